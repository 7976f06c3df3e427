// The native window border through the exports of this executable, looked up
// by name as the JVM looks them up in the launcher, on real windows, with the
// stand-in JVM answering the Java callbacks.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/text.h"
#include "border_support.h"
#include "child.h"
// After windows.h (through border_support.h).
#include <shellapi.h>

namespace {

using namespace zvt::test::border;

const RECT kAt{100, 100, 500, 400};
constexpr DWORD kResizable = WS_OVERLAPPEDWINDOW;
constexpr DWORD kFixedSize = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

WNDPROC procedureOf(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

LPARAM screenPoint(LONG x, LONG y) {
  return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

class Border : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(exports().missing.empty()) << "exports not found: " << exports().missing;
    Jvm& jvm = Jvm::get();
    ASSERT_NE(nullptr, jvm.env()) << jvm.error();
    env = jvm.env();
    receiver = jvm.newReceiver();
    ASSERT_NE(nullptr, receiver);
    traceMark = jvm.trace().size();
  }

  void TearDown() override {
    if (env == nullptr) return;
    EXPECT_FALSE(env->ExceptionCheck()) << "an exception was left pending on this thread";
    env->ExceptionClear();
    env->DeleteLocalRef(receiver);
    Jvm& jvm = Jvm::get();
    jvm.setProperty("standin.ncHitTest", "1");
    jvm.setProperty("standin.fullscreen", "false");
    jvm.setProperty("standin.borderThrow", "");
  }

  jlong install(const TestWindow& w) { return exports().install(env, receiver, w.handle()); }
  void uninstall(const TestWindow& w) { exports().uninstall(env, receiver, w.handle()); }
  bool updateFrame(const TestWindow& w) { return exports().updateFrame(env, receiver, w.handle()) != JNI_FALSE; }
  std::vector<CallRecord> calls(const std::string& method) {
    return callbackCalls(Jvm::get().trace(), traceMark, method);
  }
  LRESULT hitTest(HWND hwnd, LONG dx, LONG dy) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return SendMessageW(hwnd, WM_NCHITTEST, 0, screenPoint(r.left + dx, r.top + dy));
  }

  JNIEnv* env = nullptr;
  jobject receiver = nullptr;
  size_t traceMark = 0;
};

// ---- install and uninstall ----

TEST_F(Border, SecondInstallIsRefusedAndTheProcedureReplacedOnce) {
  TestWindow w(kResizable, kAt);
  WNDPROC own = procedureOf(w.hwnd());
  ASSERT_EQ(w.handle(), install(w));
  WNDPROC border = procedureOf(w.hwnd());
  EXPECT_NE(own, border);
  EXPECT_EQ(0, install(w));
  EXPECT_EQ(border, procedureOf(w.hwnd()));
  // A border chained behind itself would loop here until the stack runs out.
  w.forget();
  EXPECT_EQ(0, SendMessageW(w.hwnd(), WM_APP + 7, 1, 2));
  EXPECT_EQ(1, w.count(WM_APP + 7));
  uninstall(w);
  EXPECT_EQ(own, procedureOf(w.hwnd()));
  // Installable again once uninstalled.
  EXPECT_EQ(w.handle(), install(w));
  uninstall(w);
}

TEST_F(Border, HandlesThatAreNoWindowOfThisProcessAreRefused) {
  EXPECT_EQ(0, exports().install(env, receiver, 0));
  HWND gone;
  {
    TestWindow w(kResizable, kAt);
    gone = w.hwnd();
  }
  EXPECT_EQ(0, exports().install(env, receiver, javaHandle(gone)));
  // The desktop window belongs to another process: its procedure cannot be
  // replaced, and the border must not report it installed.
  HWND desktop = GetDesktopWindow();
  WNDPROC before = procedureOf(desktop);
  EXPECT_EQ(0, exports().install(env, receiver, javaHandle(desktop)));
  EXPECT_EQ(before, procedureOf(desktop));
  exports().uninstall(env, receiver, javaHandle(desktop));
  exports().uninstall(env, receiver, 0);
}

TEST_F(Border, CaptionGoesOtherEdgesStayAndUninstallBringsItBack) {
  TestWindow w(kResizable, kAt);
  Insets plain = clientInsets(w.hwnd());
  ASSERT_GT(plain.top, plain.bottom) << "a captioned window's client area starts lower";
  WNDPROC own = procedureOf(w.hwnd());
  ASSERT_EQ(w.handle(), install(w));
  w.forget();
  EXPECT_TRUE(updateFrame(w));
  EXPECT_GE(w.count(WM_NCCALCSIZE), 1) << "updateFrame makes Windows recompute the frame";
  Insets bordered = clientInsets(w.hwnd());
  EXPECT_EQ(0, bordered.top) << show(bordered);
  EXPECT_EQ(plain.left, bordered.left);
  EXPECT_EQ(plain.right, bordered.right);
  EXPECT_EQ(plain.bottom, bordered.bottom);
  uninstall(w);
  EXPECT_EQ(own, procedureOf(w.hwnd()));
  Insets after = clientInsets(w.hwnd());
  EXPECT_EQ(plain.top, after.top) << "uninstall refreshes the frame " << show(after);
  uninstall(w);  // a second time: nothing to do
  EXPECT_EQ(own, procedureOf(w.hwnd()));
}

TEST_F(Border, DestroyedWindowLeavesTheMapAndALaterUninstallDoesNothing) {
  TestWindow w(kResizable, kAt);
  HWND hwnd = w.hwnd();
  ASSERT_EQ(w.handle(), install(w));
  w.destroy();
  // The messages of the end still reach the window's own procedure.
  EXPECT_EQ(1, w.count(WM_DESTROY));
  EXPECT_EQ(1, w.count(WM_NCDESTROY));
  exports().uninstall(env, receiver, javaHandle(hwnd));
  EXPECT_FALSE(IsWindow(hwnd));
  // A new window is installable whatever handle value it gets.
  TestWindow next(kResizable, kAt);
  EXPECT_EQ(next.handle(), install(next));
  uninstall(next);
}

TEST_F(Border, UpdateFrameAndShowWindowAnswerWhatWindowsAnswers) {
  TestWindow w(kResizable, kAt);
  ASSERT_EQ(w.handle(), install(w));
  EXPECT_EQ(JNI_FALSE, exports().showWindow(env, receiver, w.handle(), SW_SHOWNA)) << "was hidden";
  EXPECT_TRUE(IsWindowVisible(w.hwnd()));
  EXPECT_EQ(JNI_TRUE, exports().showWindow(env, receiver, w.handle(), SW_HIDE)) << "was visible";
  EXPECT_FALSE(IsWindowVisible(w.hwnd()));
  uninstall(w);
  HWND hwnd = w.hwnd();
  w.destroy();
  EXPECT_EQ(JNI_FALSE, exports().updateFrame(env, receiver, javaHandle(hwnd)));
}

// ---- the non-client area ----

// Edges that hold an auto-hide bar around `hwnd`, as the shell reports them.
// Wine's shell reports an auto-hide taskbar at the bottom through the
// taskbar state and position, but no bar when asked edge by edge.
struct Bars {
  bool top = false, bottom = false, left = false, right = false;
};
Bars autoHideBarsAround(HWND hwnd) {
  Bars bars;
  APPBARDATA state{};
  state.cbSize = sizeof(state);
  if ((SHAppBarMessage(ABM_GETSTATE, &state) & ABS_AUTOHIDE) == 0) return bars;
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
  bool* slot[] = {&bars.left, &bars.top, &bars.right, &bars.bottom};  // ABE_LEFT .. ABE_BOTTOM
  bool any = false;
  for (UINT edge = ABE_LEFT; edge <= ABE_BOTTOM; ++edge) {
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    bar.uEdge = edge;
    bar.rc = info.rcMonitor;
    *slot[edge] = SHAppBarMessage(0x0B /* ABM_GETAUTOHIDEBAREX */, &bar) != 0;
    any = any || *slot[edge];
  }
  APPBARDATA taskbar{};
  taskbar.cbSize = sizeof(taskbar);
  RECT overlap;
  if (!any && SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar) && IntersectRect(&overlap, &taskbar.rc, &info.rcMonitor) &&
      taskbar.uEdge <= ABE_BOTTOM) {
    *slot[taskbar.uEdge] = true;
  }
  return bars;
}

TEST_F(Border, MaximisedWindowKeepsTheFrameOffScreenAndAPixelForTheAutoHideBar) {
  TestWindow bordered(kResizable, kAt);
  TestWindow twin(kResizable, kAt);
  ASSERT_EQ(bordered.handle(), install(bordered));
  ShowWindow(bordered.hwnd(), SW_MAXIMIZE);
  ShowWindow(twin.hwnd(), SW_MAXIMIZE);
  pump(50);
  ASSERT_TRUE(IsZoomed(bordered.hwnd()) && IsZoomed(twin.hwnd()));
  int thickness = frameThicknessOf(bordered.hwnd());
  ASSERT_GE(thickness, 0) << "GetDpiForWindow or GetSystemMetricsForDpi missing";
  Bars bars = autoHideBarsAround(bordered.hwnd());
  if (runningOnWine()) {
    ASSERT_TRUE(bars.bottom && !bars.top && !bars.left && !bars.right) << "Wine's taskbar is auto-hide at the bottom";
  }
  Insets b = clientInsets(bordered.hwnd());
  Insets t = clientInsets(twin.hwnd());
  EXPECT_EQ(thickness + (bars.top ? 1 : 0), b.top) << show(b);
  EXPECT_EQ(t.left + (bars.left ? 1 : 0), b.left) << show(b) << " twin " << show(t);
  EXPECT_EQ(t.right + (bars.right ? 1 : 0), b.right) << show(b) << " twin " << show(t);
  EXPECT_EQ(t.bottom + (bars.bottom ? 1 : 0), b.bottom) << show(b) << " twin " << show(t);
  EXPECT_FALSE(calls("isFullscreen").empty()) << "Java is asked whether a maximised window is full screen";
  uninstall(bordered);
}

TEST_F(Border, FullScreenWindowKeepsNothingBack) {
  Jvm::get().setProperty("standin.fullscreen", "true");
  TestWindow bordered(kResizable, kAt);
  TestWindow twin(kResizable, kAt);
  ASSERT_EQ(bordered.handle(), install(bordered));
  ShowWindow(bordered.hwnd(), SW_MAXIMIZE);
  ShowWindow(twin.hwnd(), SW_MAXIMIZE);
  pump(50);
  Insets b = clientInsets(bordered.hwnd());
  Insets t = clientInsets(twin.hwnd());
  EXPECT_EQ(0, b.top) << show(b);
  EXPECT_EQ(t.bottom, b.bottom) << show(b) << " twin " << show(t);
  EXPECT_EQ(t.left, b.left);
  EXPECT_EQ(t.right, b.right);
  uninstall(bordered);
}

TEST_F(Border, NcCalcSizeWithoutValidRectsIsThePreviousProceduresAnswer) {
  TestWindow bordered(kResizable, kAt);
  TestWindow twin(kResizable, kAt);
  ASSERT_EQ(bordered.handle(), install(bordered));
  RECT mine = kAt;
  RECT theirs = kAt;
  LRESULT a = SendMessageW(bordered.hwnd(), WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&mine));
  LRESULT b = SendMessageW(twin.hwnd(), WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&theirs));
  EXPECT_EQ(b, a);
  EXPECT_TRUE(EqualRect(&mine, &theirs));
  uninstall(bordered);
}

// ---- hit tests ----

TEST_F(Border, TopResizeBandAsksJavaWithIsOnResizeBorder) {
  Jvm::get().setProperty("standin.ncHitTest", "13");
  TestWindow w(kResizable, kAt);
  ASSERT_EQ(w.handle(), install(w));
  ASSERT_TRUE(updateFrame(w));
  int thickness = frameThicknessOf(w.hwnd());
  ASSERT_GT(thickness, 1);
  EXPECT_EQ(13, hitTest(w.hwnd(), 50, 1));
  EXPECT_EQ(13, hitTest(w.hwnd(), 60, thickness + 5));
  auto asked = calls("onNcHitTest");
  ASSERT_EQ(2u, asked.size());
  EXPECT_EQ("[50,1,true]", asked[0].args);
  EXPECT_EQ("[60," + std::to_string(thickness + 5) + ",false]", asked[1].args);
  // The frame edges the previous procedure reports are its answer alone.
  EXPECT_EQ(HTLEFT, hitTest(w.hwnd(), 1, 150));
  EXPECT_EQ(HTBOTTOM, hitTest(w.hwnd(), 200, 300 - 1));
  EXPECT_EQ(2u, calls("onNcHitTest").size());
  uninstall(w);
}

TEST_F(Border, WindowWithoutSizingFrameHasNoResizeBand) {
  TestWindow w(kFixedSize, kAt);
  ASSERT_EQ(w.handle(), install(w));
  ASSERT_TRUE(updateFrame(w));
  EXPECT_EQ(HTCLIENT, hitTest(w.hwnd(), 50, 1));
  auto asked = calls("onNcHitTest");
  ASSERT_EQ(1u, asked.size());
  EXPECT_EQ("[50,1,false]", asked[0].args);
  uninstall(w);
}

TEST_F(Border, PointsLeftOfAndAboveThePrimaryMonitorAreSigned) {
  const RECT offScreen{-300, -200, 100, 100};
  TestWindow w(kResizable, offScreen);
  ASSERT_EQ(w.handle(), install(w));
  ASSERT_TRUE(updateFrame(w));
  RECT r;
  GetWindowRect(w.hwnd(), &r);
  ASSERT_LT(r.top, -40) << "the window was not placed at negative coordinates";
  hitTest(w.hwnd(), 40, 2);
  auto asked = calls("onNcHitTest");
  ASSERT_EQ(1u, asked.size());
  EXPECT_EQ("[40,2,true]", asked[0].args);
  uninstall(w);
}

TEST_F(Border, WithoutJNIEnvTheTopBandIsHTTOPUntilTheThreadIsAttached) {
  WindowThread thread(false);  // a window thread the JVM does not know
  std::unique_ptr<TestWindow> w;
  thread.run([&] { w.reset(new TestWindow(kResizable, kAt)); });
  ASSERT_NE(nullptr, w->hwnd());
  ASSERT_EQ(w->handle(), install(*w));
  ASSERT_TRUE(updateFrame(*w));
  EXPECT_EQ(HTTOP, hitTest(w->hwnd(), 50, 1));
  EXPECT_EQ(HTCLIENT, hitTest(w->hwnd(), 50, 100));
  SendMessageW(w->hwnd(), WM_DWMCOLORIZATIONCOLORCHANGED, 0, 0);
  EXPECT_EQ(1, w->count(WM_DWMCOLORIZATIONCOLORCHANGED));
  ShowWindow(w->hwnd(), SW_MAXIMIZE);
  Insets maximised = clientInsets(w->hwnd());
  EXPECT_EQ(frameThicknessOf(w->hwnd()) + (autoHideBarsAround(w->hwnd()).top ? 1 : 0), maximised.top)
      << "not full screen when Java cannot say";
  EXPECT_TRUE(calls("onNcHitTest").empty());
  EXPECT_TRUE(calls("fireStateChangedLaterOnce").empty());
  EXPECT_TRUE(calls("isFullscreen").empty());
  // Once the thread is attached, the next message finds its JNIEnv: a failed
  // GetEnv is not remembered.
  JavaVM* vm = Jvm::get().vm();
  jint attached = JNI_ERR;
  thread.run([&] {
    void* threadEnv = nullptr;
    attached = vm->AttachCurrentThread(&threadEnv, nullptr);
  });
  ASSERT_EQ(JNI_OK, attached);
  Jvm::get().setProperty("standin.ncHitTest", "13");
  EXPECT_EQ(13, hitTest(w->hwnd(), 50, 100));
  EXPECT_EQ(1u, calls("onNcHitTest").size());
  thread.run([&] {
    w.reset();
    vm->DetachCurrentThread();
  });
}

TEST_F(Border, ExceptionFromACallbackIsClearedAndAnsweredAsWithoutJava) {
  TestWindow w(kResizable, kAt);
  ASSERT_EQ(w.handle(), install(w));
  ASSERT_TRUE(updateFrame(w));
  Jvm::get().setProperty("standin.borderThrow", "onNcHitTest");
  EXPECT_EQ(HTTOP, hitTest(w.hwnd(), 50, 1));
  EXPECT_FALSE(env->ExceptionCheck());
  EXPECT_EQ(HTCLIENT, hitTest(w.hwnd(), 50, 100));
  EXPECT_FALSE(env->ExceptionCheck());
  Jvm::get().setProperty("standin.borderThrow", "isFullscreen");
  ShowWindow(w.hwnd(), SW_MAXIMIZE);
  EXPECT_FALSE(env->ExceptionCheck());
  EXPECT_EQ(frameThicknessOf(w.hwnd()) + (autoHideBarsAround(w.hwnd()).top ? 1 : 0), clientInsets(w.hwnd()).top)
      << "not full screen when Java failed to say";
  Jvm::get().setProperty("standin.borderThrow", "fireStateChangedLaterOnce");
  SendMessageW(w.hwnd(), WM_DWMCOLORIZATIONCOLORCHANGED, 0, 0);
  EXPECT_FALSE(env->ExceptionCheck());
  EXPECT_EQ(2u, calls("onNcHitTest").size());
  EXPECT_EQ(1u, calls("fireStateChangedLaterOnce").size());
  uninstall(w);
}

TEST_F(Border, ColorizationChangeTellsJavaAndPassesOn) {
  TestWindow w(kResizable, kAt);
  ASSERT_EQ(w.handle(), install(w));
  SendMessageW(w.hwnd(), WM_DWMCOLORIZATIONCOLORCHANGED, 0x00FF8800, 1);
  EXPECT_EQ(1u, calls("fireStateChangedLaterOnce").size());
  auto seen = w.seen(WM_DWMCOLORIZATIONCOLORCHANGED);
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(0x00FF8800u, seen[0].wParam);
  uninstall(w);
}

// ---- the system menu ----

// Watches the system menu while TrackPopupMenu's loop runs: a timer of this
// thread fires inside that loop, records the items and closes the menu, by
// choosing the first item or by cancelling.
struct MenuWatch {
  HWND owner = nullptr;
  bool choose = false;
  bool fired = false;
  bool menuShown = false;
  UINT defaultItem = 0;
  UINT state[6] = {};
  static MenuWatch* active;

  static constexpr UINT kCommands[6] = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE};

  static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    MenuWatch* w = active;
    if (w == nullptr) return;
    w->fired = true;
    HWND popup = FindWindowW(L"#32768", nullptr);
    w->menuShown = popup != nullptr && IsWindowVisible(popup);
    HMENU menu = GetSystemMenu(w->owner, FALSE);
    for (int i = 0; i < 6; ++i) w->state[i] = GetMenuState(menu, kCommands[i], MF_BYCOMMAND);
    w->defaultItem = GetMenuDefaultItem(menu, FALSE, 0);
    if (w->choose) {
      PostMessageW(w->owner, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageW(w->owner, WM_KEYDOWN, VK_RETURN, 0);
    } else {
      EndMenu();
    }
  }

  bool enabled(int i) const { return (state[i] & (MF_DISABLED | MF_GRAYED)) == 0; }
  // Not selectable, and shown so (MF_DISABLED alone would look selectable).
  bool grayed(int i) const { return (state[i] & MF_GRAYED) != 0; }
  std::string states() const {
    std::string out;
    for (UINT s : state) out += std::to_string(s) + " ";
    return out;
  }
};
MenuWatch* MenuWatch::active = nullptr;
constexpr UINT MenuWatch::kCommands[6];

// Right-click on the title bar that Java reports as caption.
void rightClickCaption(MenuWatch& watch, HWND hwnd, WPARAM hit = HTCAPTION) {
  MenuWatch::active = &watch;
  watch.owner = hwnd;
  SetTimer(nullptr, 0, 300, &MenuWatch::onTimer);
  RECT r;
  GetWindowRect(hwnd, &r);
  SendMessageW(hwnd, WM_NCRBUTTONUP, hit, screenPoint(r.left + 60, r.top + 10));
  pump(watch.fired ? 100 : 800);
  MenuWatch::active = nullptr;
}

TEST_F(Border, SystemMenuOfAMaximisedResizableWindow) {
  TestWindow w(kResizable, kAt);
  ASSERT_EQ(w.handle(), install(w));
  ShowWindow(w.hwnd(), SW_MAXIMIZE);
  pump(50);
  // Start from the opposite of what is wanted: the border sets every item.
  HMENU menu = GetSystemMenu(w.hwnd(), FALSE);
  EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
  EnableMenuItem(menu, SC_MOVE, MF_BYCOMMAND | MF_ENABLED);
  EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_ENABLED);
  EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_ENABLED);
  SetMenuDefaultItem(menu, SC_MOVE, FALSE);
  w.forget();
  MenuWatch watch;
  rightClickCaption(watch, w.hwnd());
  ASSERT_TRUE(watch.fired && watch.menuShown) << "the system menu was not shown";
  EXPECT_TRUE(watch.enabled(0)) << "Restore";
  EXPECT_TRUE(watch.grayed(1)) << "Move " << watch.states();
  EXPECT_TRUE(watch.grayed(2)) << "Size";
  EXPECT_TRUE(watch.enabled(3)) << "Minimize";
  EXPECT_TRUE(watch.grayed(4)) << "Maximize";
  EXPECT_TRUE(watch.enabled(5)) << "Close";
  EXPECT_EQ(static_cast<UINT>(SC_CLOSE), watch.defaultItem);
  EXPECT_EQ(1, w.count(WM_NCRBUTTONUP)) << "the click is passed on as well";
  EXPECT_EQ(0, w.count(WM_SYSCOMMAND)) << "a cancelled menu posts nothing";
  uninstall(w);
}

TEST_F(Border, SystemMenuOfAFixedSizeWindowWithoutBoxes) {
  TestWindow w(kFixedSize, kAt);
  ASSERT_EQ(w.handle(), install(w));
  MenuWatch watch;
  rightClickCaption(watch, w.hwnd(), HTSYSMENU);
  ASSERT_TRUE(watch.fired && watch.menuShown) << "the system menu was not shown";
  EXPECT_TRUE(watch.grayed(0)) << "Restore";
  EXPECT_TRUE(watch.enabled(1)) << "Move";
  EXPECT_TRUE(watch.grayed(2)) << "Size";
  EXPECT_TRUE(watch.grayed(3)) << "Minimize";
  EXPECT_TRUE(watch.grayed(4)) << "Maximize";
  EXPECT_TRUE(watch.enabled(5)) << "Close";
  uninstall(w);
}

TEST_F(Border, ChosenSystemMenuCommandIsPosted) {
  TestWindow w(kResizable, kAt);
  ASSERT_EQ(w.handle(), install(w));
  ShowWindow(w.hwnd(), SW_MAXIMIZE);
  pump(50);
  w.forget();
  MenuWatch watch;
  watch.choose = true;  // the first item: Restore
  rightClickCaption(watch, w.hwnd());
  ASSERT_TRUE(watch.fired && watch.menuShown);
  auto commands = w.seen(WM_SYSCOMMAND);
  ASSERT_EQ(1u, commands.size());
  EXPECT_EQ(static_cast<WPARAM>(SC_RESTORE), commands[0].wParam & 0xFFF0);
  EXPECT_EQ(0, commands[0].lParam);
  EXPECT_FALSE(IsZoomed(w.hwnd())) << "the posted command was carried out";
  uninstall(w);
}

TEST_F(Border, RightClickInTheClientAreaOpensNoMenu) {
  TestWindow w(kResizable, kAt);
  ASSERT_EQ(w.handle(), install(w));
  MenuWatch watch;
  rightClickCaption(watch, w.hwnd(), HTCLIENT);
  ASSERT_TRUE(watch.fired);
  EXPECT_FALSE(watch.menuShown);
  EXPECT_EQ(1, w.count(WM_NCRBUTTONUP));
  uninstall(w);
}

// ---- messages for windows the map does not know ----

WNDPROC g_chainNext = nullptr;
int g_chainCalls = 0;
LRESULT CALLBACK chainProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ++g_chainCalls;
  return CallWindowProcW(g_chainNext, hwnd, message, wParam, lParam);
}

TEST_F(Border, SubclassPutInFrontLaterStaysAndTheBorderPassesThrough) {
  TestWindow w(kResizable, kAt);
  Insets plain = clientInsets(w.hwnd());
  WNDPROC own = procedureOf(w.hwnd());
  ASSERT_EQ(w.handle(), install(w));
  ASSERT_TRUE(updateFrame(w));
  g_chainCalls = 0;
  g_chainNext =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&chainProcedure)));
  WNDPROC border = g_chainNext;
  uninstall(w);
  EXPECT_EQ(&chainProcedure, procedureOf(w.hwnd())) << "the other subclass was cut out";
  EXPECT_EQ(plain.top, clientInsets(w.hwnd()).top) << "the frame is the window's own again";
  w.forget();
  g_chainCalls = 0;
  SendMessageW(w.hwnd(), WM_APP + 9, 0, 0);
  EXPECT_EQ(1, g_chainCalls);
  EXPECT_EQ(1, w.count(WM_APP + 9)) << "the border passes messages to the procedure it replaced";
  // The other subclass goes away again: the border's procedure is in front
  // once more, and still passes everything through.
  SetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(border));
  SendMessageW(w.hwnd(), WM_APP + 9, 0, 0);
  EXPECT_EQ(2, w.count(WM_APP + 9));
  EXPECT_NE(own, border);
  w.destroy();
  EXPECT_EQ(1, w.count(WM_NCDESTROY));
}

TEST_F(Border, MessageOnItsWayWhenAnotherThreadUninstalledReachesThePreviousProcedure) {
  TestWindow w(kResizable, kAt);
  // The window is subclassed already, so the procedure the border replaces
  // is not the class's.
  g_chainCalls = 0;
  g_chainNext =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&chainProcedure)));
  ASSERT_EQ(w.handle(), install(w));
  WNDPROC border = procedureOf(w.hwnd());
  WindowThread java(true);
  java.run([&] {
    JNIEnv* other = java.env();
    jobject otherReceiver = Jvm::get().newReceiver(other);
    exports().uninstall(other, otherReceiver, w.handle());
    other->DeleteLocalRef(otherReceiver);
  });
  EXPECT_EQ(&chainProcedure, procedureOf(w.hwnd()));
  // A message dispatched to the border procedure just before the uninstall
  // arrives after it.
  g_chainCalls = 0;
  w.forget();
  CallWindowProcW(border, w.hwnd(), WM_APP + 10, 0, 0);
  EXPECT_EQ(1, g_chainCalls) << "not the class procedure: the subclass in between would be skipped";
  EXPECT_EQ(1, w.count(WM_APP + 10));
  SetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_chainNext));
}

TEST_F(Border, BorderProcedureForAWindowItNeverSawUsesTheClassProcedure) {
  TestWindow a(kResizable, kAt);
  ASSERT_EQ(a.handle(), install(a));
  WNDPROC border = procedureOf(a.hwnd());
  uninstall(a);
  TestWindow b(kResizable, kAt);
  b.forget();
  EXPECT_EQ(0, CallWindowProcW(border, b.hwnd(), WM_APP + 11, 5, 6));
  auto seen = b.seen(WM_APP + 11);
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(5u, seen[0].wParam);
}

}  // namespace
