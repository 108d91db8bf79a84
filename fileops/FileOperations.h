// Copy, move and delete of the active panel's selection: the check, the
// question or the target, one run in the progress window, and both panels
// listed again with the cursor where it belongs.
#pragma once

#include "core/fileops/Engine.h"
#include "framework/AppContext.h"

namespace px {

class BackgroundJobs;
class PanelPair;

// With background, the target dialog and the progress window offer to run
// the job there.
void RunFileOperation(AppContext& context, PanelPair& panels, OperationKind kind,
                      BackgroundJobs* background = nullptr);

}  // namespace px
