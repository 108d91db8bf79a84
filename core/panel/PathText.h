// Texts derived from a panel's folder path.
#pragma once

#include <string>

namespace px {

// The path line shows the search pattern of the folder: C:\Data\*.*
std::string PathLineText(const std::string& path);
// The command prompt: C:\> for a drive root, C:\Windows> for a deeper folder.
std::string CommandPromptText(const std::string& path);
// The drive root of a path: its first three characters (C:\).
std::string DriveRootOf(const std::string& path);
// A folder without its final backslash, but for a drive root's: "C:" alone
// names the drive's current folder, not its root.
std::string WithoutTrailingBackslash(std::string folder);

// C:\Data\Work\ gives C:\Data\ and Work; a drive root is its own parent.
std::string ParentFolder(const std::string& path);
std::string LastComponent(const std::string& path);

}  // namespace px
