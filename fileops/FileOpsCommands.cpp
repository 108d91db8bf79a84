#include "fileops/FileOpsCommands.h"

#include "core/panel/PathText.h"
#include "fileops/DriveInfoDialog.h"
#include "panels/PanelPair.h"

namespace px {

void ShowDriveProperties(AppContext& context, PanelPair& panels) {
  DriveInfoDialog dialog(context.Texts(), DriveRootOf(panels.Active().Path()));
  dialog.DoModal(context.owner);
}

}  // namespace px
