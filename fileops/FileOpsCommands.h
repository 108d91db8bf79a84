// The commands of the file operations that work on the active panel: a new
// folder, attributes and times of the selection, the drive's properties.
#pragma once

#include "framework/AppContext.h"

namespace px {

class PanelPair;

// Asks for a name, creates that folder in the active panel's folder and lists
// the panel again with the new folder under the cursor.
void MakeNewFolder(AppContext& context, PanelPair& panels);
// Changes attributes and last-write times of the active panel's selection.
void EditAttributes(AppContext& context, PanelPair& panels);
// Shows the properties of the active panel's drive.
void ShowDriveProperties(AppContext& context, PanelPair& panels);

}  // namespace px
