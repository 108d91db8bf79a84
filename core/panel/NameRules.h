// Which names a rename may give an entry.
#pragma once

#include <string>

namespace px {

// A single name the file system keeps as typed: not empty, no path separators
// or other reserved characters, no control characters, no trailing dot or
// blank (the platform would drop them and rename to another name), not a
// device name such as CON or LPT1, and at most 255 UTF-16 units.
bool IsAcceptableNewName(const std::string& name);

// The parameter text of the external editor: one blank and the file's path,
// in double quotes when the path holds a blank.
std::string EditorParameters(const std::string& filePath);

}  // namespace px
