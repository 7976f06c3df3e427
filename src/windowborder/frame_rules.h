// The rules of the border window procedure that need no system call: the
// client rectangle of a window without a system caption, the resize band at
// its top edge, the answer of a hit test when Java cannot be asked, the
// state of each system menu item, and which screen edges hold an auto-hide
// bar. Values named here are the Windows ones; the Win32 side checks that
// they match its headers.
#pragma once

#include <array>
#include <cstdint>

namespace zvt::border {

// Hit-test codes (WM_NCHITTEST results and WM_NCRBUTTONUP's wParam).
constexpr int32_t kHitClient = 1;
constexpr int32_t kHitCaption = 2;
constexpr int32_t kHitSysMenu = 3;
constexpr int32_t kHitTop = 12;

// System menu commands.
constexpr uint32_t kCommandSize = 0xF000;
constexpr uint32_t kCommandMove = 0xF010;
constexpr uint32_t kCommandMinimize = 0xF020;
constexpr uint32_t kCommandMaximize = 0xF030;
constexpr uint32_t kCommandClose = 0xF060;
constexpr uint32_t kCommandRestore = 0xF120;

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Edges of a monitor that hold an auto-hide bar (a bar that slides in when
// the pointer touches that edge).
struct AutoHideEdges {
  bool top = false;
  bool bottom = false;
  bool left = false;
  bool right = false;
  bool any() const { return top || bottom || left || right; }
};

// Screen edges as the shell numbers them (ABE_LEFT, ABE_TOP, ...).
enum class ScreenEdge : uint32_t { Left = 0, Top = 1, Right = 2, Bottom = 3 };

// What the shell said about auto-hide bars on the window's monitor.
struct AppBarReport {
  bool autoHide = false;          // the taskbar state has the auto-hide bit
  AutoHideEdges perEdge;          // an auto-hide bar was reported on each edge
  bool taskbarOnMonitor = false;  // the taskbar's rectangle touches the monitor
  ScreenEdge taskbarEdge = ScreenEdge::Bottom;
};

// The edges to keep one pixel free on. A shell that reports an auto-hide
// taskbar but no auto-hide bar on any edge (Wine's answers every edge query
// with none) still has its taskbar at the edge it reports for it, so that
// edge counts when the taskbar lies on this monitor.
AutoHideEdges autoHideEdges(const AppBarReport& report);

// The client rectangle that WM_NCCALCSIZE answers. `computed` is the first
// rectangle as the previous window procedure left it, `originalTop` its top
// edge before that procedure ran. The caption and top frame go away; a
// maximised window (unless full screen) keeps its top edge below the screen
// edge by the resize-frame thickness, which Windows places off screen, and
// leaves one pixel free at each edge holding an auto-hide bar so the bar can
// still be brought in.
struct ClientAreaInput {
  Rect computed;
  int32_t originalTop = 0;
  bool maximized = false;
  bool fullscreen = false;
  int32_t frameThickness = 0;  // padded border + sizing frame for the window's DPI
  AutoHideEdges autoHide;
};
Rect borderClientRect(const ClientAreaInput& input);

// The point of a mouse message: signed low and high words of its lParam,
// whose upper bits a 64-bit lParam may carry as anything.
struct Point {
  int32_t x = 0;
  int32_t y = 0;
};
Point pointOfMessage(uint64_t lParam);

// Whether a window-relative y lies in the resize band at the top edge, which
// only a resizable window has.
bool isOnResizeBorder(int32_t y, int32_t frameThickness, bool resizable);

// The hit-test answer when Java cannot be asked.
int32_t hitTestWithoutJava(bool onResizeBorder);

// One system menu item's wanted state.
struct MenuItemRule {
  uint32_t command;
  bool enabled;
};
struct WindowTraits {
  bool maximized = false;
  bool resizable = false;    // WS_THICKFRAME
  bool minimizeBox = false;  // WS_MINIMIZEBOX
  bool maximizeBox = false;  // WS_MAXIMIZEBOX
};
// Restore, Move, Size, Minimize, Maximize, Close, in this order; Close is the
// default item.
std::array<MenuItemRule, 6> systemMenuRules(const WindowTraits& window);

}  // namespace zvt::border
