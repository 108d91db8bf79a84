// Which names a rename may give an entry, and which listed names can be
// acted on exactly.
#pragma once

#include <string>
#include <string_view>

namespace px {

// A single name the file system keeps as typed: not empty, no path separators
// or other reserved characters, no control characters, no trailing dot or
// blank (the platform would drop them and rename to another name), not a
// device name such as CON or LPT1, and at most 255 UTF-16 units.
bool IsAcceptableNewName(const std::string& name);

// Whether a name a listing reports can be handed to the file system as that
// entry of its folder. Some file systems keep "\" in a name: a path built
// from such a name (or one holding "/") reaches another entry. "", "." and
// ".." name no entry.
bool IsAddressableName(std::string_view name);

// Whether a path ending in this name reaches it through the shell and other
// programs, which read paths by the old rules: not with a trailing dot or
// blank, which they drop (reaching the neighbour "a" for "a.").
bool ShellReachesName(std::string_view name);

// Whether a listed name may stand for more than one stored name: names whose
// bytes are no valid text list with U+FFFD in their place, so two of them can
// list alike and a call by that name reaches either.
bool MayListAlike(std::string_view name);

// A name the platform takes for a device whatever folder it is in and whatever
// extension follows it (CON, NUL, COM1, lpt2.txt), ignoring case.
bool IsDeviceName(const std::string& name);

// The parameter text of the external editor: one blank and the file's path,
// in double quotes when the path holds a blank.
std::string EditorParameters(const std::string& filePath);

}  // namespace px
