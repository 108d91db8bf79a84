// Painting a control through an off-screen bitmap.
#pragma once

#include <windows.h>

namespace px {

// Makes control draw its invalid part into a 32-bit bitmap in memory and
// copy that to the screen in one step. Besides not flickering, this is much
// cheaper under Wine, where every small image a tree or list draws straight
// onto a window costs about half a millisecond and into memory a tenth of
// that. The control must paint its client area when sent WM_PAINT with a
// device context in wParam, as the common controls do. Ends by itself when
// the window is destroyed; false when the window could not be subclassed.
bool PaintThroughBuffer(HWND control);

}  // namespace px
