// Image lists filled from the icon resources of a library beside the
// program's files (Menu\Menu.dll, ToolBar\ToolBar.dll).
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"

namespace px {

constexpr int kFirstLibraryIcon = 2000;
constexpr int kLibraryIconCount = 32;

// A file below the start directory: tail begins with a backslash.
std::string CompanionPath(const std::string& startDirectory, const char* tail);

// An image list (32-bit colour with alpha, and a mask) of `count` images at
// width by height: image i is icon firstId + i of the library. An icon drawn
// at that size is taken as it is; otherwise the smallest drawn larger is
// shrunk to it (the largest, when none is). An icon the library lacks, or a
// library that is missing or cannot be loaded, gives blank images in their
// places, so image i always stands for icon firstId + i.
ImageList LoadLibraryIcons(const std::string& libraryPath, int width, int height,
                           int firstId = kFirstLibraryIcon, int count = kLibraryIconCount);

}  // namespace px
