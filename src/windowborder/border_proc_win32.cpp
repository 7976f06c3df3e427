#include "windowborder/border_proc_win32.h"

#include <cstdint>

#include "windowborder/frame_rules.h"

namespace zvt::border {

static_assert(kHitClient == HTCLIENT && kHitCaption == HTCAPTION && kHitSysMenu == HTSYSMENU && kHitTop == HTTOP,
              "hit-test codes");
static_assert(kCommandSize == SC_SIZE && kCommandMove == SC_MOVE && kCommandMinimize == SC_MINIMIZE &&
                  kCommandMaximize == SC_MAXIMIZE && kCommandClose == SC_CLOSE && kCommandRestore == SC_RESTORE,
              "system menu commands");
static_assert(static_cast<UINT>(ScreenEdge::Left) == ABE_LEFT && static_cast<UINT>(ScreenEdge::Top) == ABE_TOP &&
                  static_cast<UINT>(ScreenEdge::Right) == ABE_RIGHT &&
                  static_cast<UINT>(ScreenEdge::Bottom) == ABE_BOTTOM,
              "screen edges");

namespace {

// ABM_GETAUTOHIDEBAREX (Windows 8): the headers declare it only for that
// target and up, while this code runs where GetDpiForWindow exists.
constexpr DWORD kGetAutoHideBarEx = 0x0000000B;

constexpr UINT kSetWindowPosFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
static_assert(kSetWindowPosFrameChanged == 0x37, "frame refresh flags");

WNDPROC currentProcedure(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

bool isOwnThread(HWND hwnd) {
  return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

WNDPROC rememberedPrevious(HWND hwnd) {
  const BorderRuntime* rt = borderRuntime();
  if (rt == nullptr || rt->previousProperty == 0) return nullptr;
  return reinterpret_cast<WNDPROC>(GetPropW(hwnd, MAKEINTATOM(rt->previousProperty)));
}

void forgetPrevious(HWND hwnd) {
  const BorderRuntime* rt = borderRuntime();
  if (rt != nullptr && rt->previousProperty != 0) RemovePropW(hwnd, MAKEINTATOM(rt->previousProperty));
}

// A message for a window the map does not know: it reached this procedure
// through a chain that still holds it (another subclass put in front of the
// border, or a message already on its way when uninstallImpl ran on another
// thread). It goes to the procedure the border replaced, remembered on the
// window; failing that, to the window class's procedure, which every window
// of the class started with.
LRESULT withoutState(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC next = rememberedPrevious(hwnd);
  if (next == nullptr) next = reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
  // The window's last message: nothing of the border may stay on it.
  if (message == WM_NCDESTROY) forgetPrevious(hwnd);
  if (next == nullptr || next == &borderWindowProc) return DefWindowProcW(hwnd, message, wParam, lParam);
  return CallWindowProcW(next, hwnd, message, wParam, lParam);
}

LRESULT passOn(const WindowBorderState& state, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(state.previous, state.hwnd, message, wParam, lParam);
}

// The window thread's JNIEnv when Java may be called now: not with an
// exception pending, which belongs to Java code further up this thread.
JNIEnv* javaFor(WindowBorderState& state) {
  JNIEnv* env = windowEnv(state);
  return env != nullptr && !env->ExceptionCheck() ? env : nullptr;
}

// An exception thrown by a callback must not stay pending on the window
// thread, where it would surface from some unrelated Java call later: it is
// printed and cleared, and the message is answered as without Java.
bool javaFailed(JNIEnv* env) {
  if (!env->ExceptionCheck()) return false;
  env->ExceptionDescribe();
  env->ExceptionClear();
  return true;
}

bool askFullscreen(WindowBorderState& state, const BorderRuntime& rt) {
  JNIEnv* env = javaFor(state);
  if (env == nullptr) return false;
  jboolean fullscreen = env->CallBooleanMethod(state.receiver, rt.isFullscreen);
  return !javaFailed(env) && fullscreen != JNI_FALSE;
}

int32_t askHitTest(WindowBorderState& state, const BorderRuntime& rt, int32_t x, int32_t y, bool onResizeBorder) {
  JNIEnv* env = javaFor(state);
  if (env == nullptr) return hitTestWithoutJava(onResizeBorder);
  jint answer = env->CallIntMethod(state.receiver, rt.onNcHitTest, static_cast<jint>(x), static_cast<jint>(y),
                                   static_cast<jboolean>(onResizeBorder ? JNI_TRUE : JNI_FALSE));
  return javaFailed(env) ? hitTestWithoutJava(onResizeBorder) : static_cast<int32_t>(answer);
}

void notifyColorizationChanged(WindowBorderState& state, const BorderRuntime& rt) {
  JNIEnv* env = javaFor(state);
  if (env == nullptr) return;
  env->CallVoidMethod(state.receiver, rt.fireStateChangedLaterOnce);
  javaFailed(env);
}

// Padded border plus sizing frame at the window's DPI: how far Windows puts
// the frame of a maximised window beyond the screen edge, and the height of
// the resize band along the top edge.
int32_t frameThickness(HWND hwnd, const BorderRuntime& rt) {
  UINT dpi = rt.getDpiForWindow(hwnd);
  return rt.getSystemMetricsForDpi(SM_CXPADDEDBORDER, dpi) + rt.getSystemMetricsForDpi(SM_CYSIZEFRAME, dpi);
}

bool hasAutoHideBar(const BorderRuntime& rt, UINT edge, const RECT& monitor) {
  APPBARDATA data{};
  data.cbSize = sizeof(data);
  data.uEdge = edge;
  data.rc = monitor;
  return rt.shAppBarMessage(kGetAutoHideBarEx, &data) != 0;
}

AutoHideEdges autoHideEdgesOf(HWND hwnd, const BorderRuntime& rt) {
  AppBarReport report;
  APPBARDATA state{};
  state.cbSize = sizeof(state);
  report.autoHide = (rt.shAppBarMessage(ABM_GETSTATE, &state) & ABS_AUTOHIDE) != 0;
  if (!report.autoHide) return AutoHideEdges();
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info)) return AutoHideEdges();
  report.perEdge.top = hasAutoHideBar(rt, ABE_TOP, info.rcMonitor);
  report.perEdge.bottom = hasAutoHideBar(rt, ABE_BOTTOM, info.rcMonitor);
  report.perEdge.left = hasAutoHideBar(rt, ABE_LEFT, info.rcMonitor);
  report.perEdge.right = hasAutoHideBar(rt, ABE_RIGHT, info.rcMonitor);
  if (!report.perEdge.any()) {
    APPBARDATA taskbar{};
    taskbar.cbSize = sizeof(taskbar);
    if (rt.shAppBarMessage(ABM_GETTASKBARPOS, &taskbar) != 0) {
      RECT overlap;
      report.taskbarOnMonitor = IntersectRect(&overlap, &taskbar.rc, &info.rcMonitor) != FALSE;
      report.taskbarEdge = static_cast<ScreenEdge>(taskbar.uEdge);
    }
  }
  return autoHideEdges(report);
}

Rect rectOf(const RECT& r) {
  return Rect{r.left, r.top, r.right, r.bottom};
}

RECT winRectOf(const Rect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

LRESULT onNcCalcSize(WindowBorderState& state, const BorderRuntime& rt, LPARAM lParam) {
  auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
  const LONG originalTop = params->rgrc[0].top;
  LRESULT result = passOn(state, WM_NCCALCSIZE, TRUE, lParam);
  if (result != 0) return result;
  ClientAreaInput input;
  input.computed = rectOf(params->rgrc[0]);
  input.originalTop = originalTop;
  input.maximized = IsZoomed(state.hwnd) != FALSE;
  if (input.maximized) {
    input.fullscreen = askFullscreen(state, rt);
    if (!input.fullscreen) {
      input.frameThickness = frameThickness(state.hwnd, rt);
      input.autoHide = autoHideEdgesOf(state.hwnd, rt);
    }
  }
  params->rgrc[0] = winRectOf(borderClientRect(input));
  return 0;
}

LRESULT onNcHitTest(WindowBorderState& state, const BorderRuntime& rt, WPARAM wParam, LPARAM lParam) {
  LRESULT result = passOn(state, WM_NCHITTEST, wParam, lParam);
  if (result != HTCLIENT) return result;
  RECT window;
  if (!GetWindowRect(state.hwnd, &window)) return result;
  // LPARAM is signed: widening keeps the low 32 bits as they are.
  Point at = pointOfMessage(static_cast<uint64_t>(lParam));
  int32_t x = at.x - window.left;
  int32_t y = at.y - window.top;
  bool resizable = (GetWindowLongPtrW(state.hwnd, GWL_STYLE) & WS_THICKFRAME) != 0;
  return askHitTest(state, rt, x, y, isOnResizeBorder(y, frameThickness(state.hwnd, rt), resizable));
}

// The window has no system caption to right-click, so its title bar (a
// caption hit test answered by Java) opens the system menu here, with the
// items' states as the window's style and size allow.
void showSystemMenu(HWND hwnd, Point at) {
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  if (menu == nullptr) return;
  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  WindowTraits traits;
  traits.maximized = IsZoomed(hwnd) != FALSE;
  traits.resizable = (style & WS_THICKFRAME) != 0;
  traits.minimizeBox = (style & WS_MINIMIZEBOX) != 0;
  traits.maximizeBox = (style & WS_MAXIMIZEBOX) != 0;
  for (const MenuItemRule& rule : systemMenuRules(traits)) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE;
    // Disabled items are grayed too, as Windows shows them in its own system
    // menu: disabled alone (MF_DISABLED) would look selectable.
    item.fState = rule.enabled ? MFS_ENABLED : MFS_DISABLED;
    SetMenuItemInfoW(menu, rule.command, FALSE, &item);
  }
  SetMenuDefaultItem(menu, SC_CLOSE, FALSE);
  UINT command = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, hwnd, nullptr));
  if (command != 0) PostMessageW(hwnd, WM_SYSCOMMAND, command, 0);
}

LRESULT onDestroy(const WindowBorderState& state, WPARAM wParam, LPARAM lParam) {
  // uninstallImpl may have taken the window on another thread a moment ago;
  // then it restores the procedure, not this.
  if (takeWindowState(state.hwnd)) restorePrevious(state);
  // The caller's reference keeps the state (and the global reference) until
  // this message is done; the last owner lets go of both.
  return passOn(state, WM_DESTROY, wParam, lParam);
}

}  // namespace

void rememberPrevious(HWND hwnd, WNDPROC previous) {
  const BorderRuntime* rt = borderRuntime();
  if (rt != nullptr && rt->previousProperty != 0) {
    SetPropW(hwnd, MAKEINTATOM(rt->previousProperty), reinterpret_cast<HANDLE>(previous));
  }
}

bool restorePrevious(const WindowBorderState& state) {
  if (currentProcedure(state.hwnd) != &borderWindowProc) return false;
  SetWindowLongPtrW(state.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state.previous));
  // On another thread a message may be on its way to the border procedure
  // right now and still need the remembered procedure; on the window's own
  // thread none can be, and the window keeps no trace of the border.
  if (isOwnThread(state.hwnd)) forgetPrevious(state.hwnd);
  return true;
}

BOOL refreshFrame(HWND hwnd) {
  return SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, kSetWindowPosFrameChanged);
}

LRESULT CALLBACK borderWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const BorderRuntime* rt = borderRuntime();
  // Held to the end of this message: uninstallImpl on another thread cannot
  // free the state under it.
  StateRef held = rt != nullptr ? findWindowState(hwnd) : StateRef();
  if (!held) return withoutState(hwnd, message, wParam, lParam);
  WindowBorderState& state = *held;
  switch (message) {
    case WM_DESTROY:
      return onDestroy(state, wParam, lParam);
    case WM_NCCALCSIZE:
      if (wParam == TRUE) return onNcCalcSize(state, *rt, lParam);
      break;
    case WM_NCHITTEST:
      return onNcHitTest(state, *rt, wParam, lParam);
    case WM_NCRBUTTONUP:
      if (wParam == HTCAPTION || wParam == HTSYSMENU)
        showSystemMenu(hwnd, pointOfMessage(static_cast<uint64_t>(lParam)));
      break;
    case WM_DWMCOLORIZATIONCOLORCHANGED:
      notifyColorizationChanged(state, *rt);
      break;
    default:
      break;
  }
  return passOn(state, message, wParam, lParam);
}

}  // namespace zvt::border
