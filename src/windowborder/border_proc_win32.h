// The border window procedure that installImpl puts in front of a Java
// window's own, and the operations on the window procedure chain.
#pragma once

#include "base/win32.h"
#include "windowborder/border_runtime_win32.h"

namespace zvt::border {

LRESULT CALLBACK borderWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Records the procedure in place before install on the window itself, so
// that a message reaching the border procedure after the window left the map
// still finds it.
void rememberPrevious(HWND hwnd, WNDPROC previous);

// Puts the previous procedure back when the border procedure is the window's
// current one. When another subclass was put in front of it since, that
// chain stays as it is (cutting it would drop the other subclass) and the
// border procedure goes on passing messages through. True when restored.
bool restorePrevious(const WindowBorderState& state);

// SetWindowPos without moving, sizing, reordering or activating, frame
// marked changed: Windows recomputes the non-client area.
BOOL refreshFrame(HWND hwnd);

}  // namespace zvt::border
