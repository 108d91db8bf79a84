#include "fileops/FileOpsCommands.h"

#include "fileops/DriveInfoDialog.h"
#include "panels/PanelPair.h"

namespace px {

void ShowDriveProperties(AppContext& context) {
  DriveInfoDialog dialog(context.Texts(), context.Panels().Active().Path().substr(0, 3));
  dialog.DoModal(context.owner);
}

}  // namespace px
