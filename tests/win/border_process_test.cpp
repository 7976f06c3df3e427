// Window-border cases that need a process of their own (a JVM with other
// options, the one-time set-up, the references left at DestroyJavaVM), the
// registry read, and the windows the screenshot test photographs.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/text.h"
#include "border_support.h"
#include "child.h"
#include "runtime/log.h"

namespace {

using namespace zvt::test::border;
namespace test = zvt::test;

const RECT kAt{100, 100, 500, 400};
constexpr DWORD kResizable = WS_OVERLAPPEDWINDOW;

WNDPROC procedureOf(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

int countOf(const std::vector<std::string>& lines, const std::string& part) {
  int n = 0;
  for (const std::string& line : lines) n += line.find(part) != std::string::npos;
  return n;
}

// The JVM of the test process goes away with it; its runtime home too.
class JvmCleanup : public ::testing::Environment {
 public:
  // The first log line (which sets the log up) comes from this thread
  // before window and Java threads exist.
  void SetUp() override { zvt::logPath(); }
  void TearDown() override {
    if (Jvm::created()) Jvm::get().destroy();
  }
};
::testing::Environment* const g_cleanup = ::testing::AddGlobalTestEnvironment(new JvmCleanup());

// A registry key of its own under HKCU\Software\ZvtBorderTest, removed
// afterwards.
class UserKey {
 public:
  explicit UserKey(const std::wstring& tag)
      : path_(L"Software\\ZvtBorderTest\\" + tag + L"-" + zvt::decimal(GetCurrentProcessId())) {
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    created_ = RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                               nullptr) == ERROR_SUCCESS;
  }
  ~UserKey() {
    if (created_) RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZvtBorderTest");  // only when empty
  }
  bool ok() const { return created_; }
  const std::wstring& path() const { return path_; }
  HKEY key() const { return key_; }
  bool set(const std::wstring& name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExW(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  }

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
  bool created_ = false;
};

// ---- registryGetIntValue ----

class BorderRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(exports().missing.empty()) << exports().missing;
    ASSERT_NE(nullptr, Jvm::get().env()) << Jvm::get().error();
    ASSERT_TRUE(key.ok());
    cls = Jvm::get().borderClass();
    ASSERT_NE(nullptr, cls);
  }
  void TearDown() override {
    JNIEnv* env = Jvm::get().env();
    if (env == nullptr) return;
    EXPECT_FALSE(env->ExceptionCheck());
    if (cls != nullptr) env->DeleteLocalRef(cls);
  }
  jint read(const std::wstring& keyPath, const std::wstring& name) {
    Jvm& jvm = Jvm::get();
    jstring k = jvm.string(keyPath);
    jstring v = jvm.string(name);
    jint value = exports().registryGetIntValue(jvm.env(), cls, k, v, -7);
    jvm.env()->DeleteLocalRef(k);
    jvm.env()->DeleteLocalRef(v);
    return value;
  }
  jint read(const std::wstring& name) { return read(key.path(), name); }

  UserKey key{L"registry"};
  jclass cls = nullptr;
};

TEST_F(BorderRegistry, DwordAndFourByteBinaryAreRead) {
  DWORD dword = 0x12345678;
  ASSERT_TRUE(key.set(L"Dword", REG_DWORD, &dword, 4));
  const unsigned char binary[4] = {0x21, 0x43, 0x65, 0x07};
  ASSERT_TRUE(key.set(L"Binary", REG_BINARY, binary, 4));
  DWORD negative = 0xFFFFFFFE;
  ASSERT_TRUE(key.set(L"Negative", REG_DWORD, &negative, 4));
  EXPECT_EQ(0x12345678, read(L"Dword"));
  EXPECT_EQ(0x07654321, read(L"Binary"));
  EXPECT_EQ(-2, read(L"Negative"));
}

TEST_F(BorderRegistry, EverythingElseGivesTheDefault) {
  const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_TRUE(key.set(L"Eight", REG_BINARY, eight, 8));
  // Binary data counts only as four bytes: both type flags together ask the
  // registry for 32-bit data.
  const unsigned char two[2] = {0x34, 0x12};
  ASSERT_TRUE(key.set(L"Two", REG_BINARY, two, 2));
  const wchar_t text[] = L"42";
  ASSERT_TRUE(key.set(L"Text", REG_SZ, text, sizeof(text)));
  unsigned long long qword = 5;
  ASSERT_TRUE(key.set(L"Qword", REG_QWORD, &qword, 8));
  EXPECT_EQ(-7, read(L"Eight"));
  EXPECT_EQ(-7, read(L"Two"));
  EXPECT_EQ(-7, read(L"Text"));
  EXPECT_EQ(-7, read(L"Qword"));
  EXPECT_EQ(-7, read(L"Missing"));
  EXPECT_EQ(-7, read(key.path() + L"\\NoSuchKey", L"Dword"));
}

TEST_F(BorderRegistry, NamesAreReadAsJavaHasThem) {
  // Outside ASCII: converted through modified UTF-8 and the ANSI code page
  // these names would not be found.
  UserKey special(L"Z\u00fcrich \u65e5\u672c");
  ASSERT_TRUE(special.ok());
  DWORD five = 5;
  ASSERT_TRUE(special.set(L"Gr\u00f6\u00dfe \U0001F600", REG_DWORD, &five, 4));
  EXPECT_EQ(5, read(special.path(), L"Gr\u00f6\u00dfe \U0001F600"));
  // A name with U+0000 is not the shorter name the registry would see.
  DWORD dword = 9;
  ASSERT_TRUE(key.set(L"Dword", REG_DWORD, &dword, 4));
  EXPECT_EQ(-7, read(std::wstring(L"Dword\0x", 7)));
  // Null strings from Java.
  JNIEnv* env = Jvm::get().env();
  jstring k = Jvm::get().string(key.path());
  EXPECT_EQ(-7, exports().registryGetIntValue(env, cls, k, nullptr, -7));
  EXPECT_EQ(-7, exports().registryGetIntValue(env, cls, nullptr, k, -7));
  env->DeleteLocalRef(k);
}

// ---- in processes of their own ----

void expectChildPasses(const std::string& test, const std::wstring& vmOptions) {
  test::RunOptions options;
  options.setEnv[L"ZVT_BORDER_VM_OPTIONS"] = vmOptions;
  options.timeoutMs = 120000;
  test::RunResult r = test::runChild(test, options);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  EXPECT_NE(std::string::npos, r.out.find("[  PASSED  ] 1 test.")) << r.out << r.err;
}

TEST(BorderProcess, SetUpWithoutACallbackRefusesEveryWindow) {
  expectChildPasses("Child_Border.SetUpWithoutACallbackRefusesEveryWindow", L"-Dstandin.hideMethod=isFullscreen");
}

TEST(BorderProcess, ApplicationDrivesTheExportsOfItsHostExecutable) {
  UserKey key(L"app");
  ASSERT_TRUE(key.ok());
  DWORD dark = 42;
  ASSERT_TRUE(key.set(L"Dark", REG_DWORD, &dark, 4));
  expectChildPasses("Child_Border.ApplicationDrivesTheExportsOfItsHostExecutable",
                    L"-Dstandin.callBorderExports=true|-Dstandin.ncHitTest=13|-Dstandin.borderRegKey=" + key.path() +
                        L"|-Dstandin.borderRegValue=Dark");
}

TEST(BorderProcess, NoJavaReferenceOutlivesItsWindow) {
  expectChildPasses("Child_Border.NoJavaReferenceOutlivesItsWindow", L"");
}

TEST(BorderProcess, StateOutlivesAnUninstallDuringItsMessage) {
  expectChildPasses("Child_Border.StateOutlivesAnUninstallDuringItsMessage", L"-Dstandin.ncHitTest=13");
}

TEST(BorderProcess, FirstInstallsFromManyThreadsAtOnce) {
  expectChildPasses("Child_Border.FirstInstallsFromManyThreadsAtOnce", L"-Dstandin.ncHitTest=13");
}

class Child_Border : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_CHILD();
    ASSERT_TRUE(exports().missing.empty()) << exports().missing;
    ASSERT_NE(nullptr, Jvm::get().env()) << Jvm::get().error();
    env = Jvm::get().env();
  }
  std::vector<std::string> traceAfterDestroy() {
    Jvm::get().destroy();
    return Jvm::get().trace();
  }
  JNIEnv* env = nullptr;
};

TEST_F(Child_Border, SetUpWithoutACallbackRefusesEveryWindow) {
  jobject receiver = Jvm::get().newReceiver();
  TestWindow w(kResizable, kAt);
  WNDPROC own = procedureOf(w.hwnd());
  EXPECT_EQ(0, exports().install(env, receiver, w.handle()));
  EXPECT_FALSE(env->ExceptionCheck()) << "the failed lookup left its NoSuchMethodError pending";
  EXPECT_EQ(own, procedureOf(w.hwnd()));
  EXPECT_EQ(0, exports().install(env, receiver, w.handle()));
  exports().uninstall(env, receiver, w.handle());
  EXPECT_EQ(own, procedureOf(w.hwnd()));
  EXPECT_EQ(JNI_TRUE, exports().updateFrame(env, receiver, w.handle()));
  env->DeleteLocalRef(receiver);
  w.destroy();
  std::vector<std::string> trace = traceAfterDestroy();
  // Looked up once: the set-up is not retried.
  EXPECT_EQ(1, countOf(trace, "\"name\":\"isFullscreen\""));
  EXPECT_EQ(1, countOf(trace, "\"liveGlobalRefs\":0"));
}

TEST_F(Child_Border, ApplicationDrivesTheExportsOfItsHostExecutable) {
  // The application's main (the stand-in's) finds the exports by name in
  // this executable and drives them on a window of its own.
  jclass launcher = env->FindClass("com/quarn/runtime/WinLauncher");
  ASSERT_NE(nullptr, launcher);
  jmethodID main = env->GetStaticMethodID(launcher, "main", "([Ljava/lang/String;)V");
  ASSERT_NE(nullptr, main);
  jclass string = env->FindClass("java/lang/String");
  jobjectArray args = env->NewObjectArray(0, string, nullptr);
  env->CallStaticVoidMethod(launcher, main, args);
  ASSERT_FALSE(env->ExceptionCheck());
  std::vector<std::string> trace = traceAfterDestroy();
  EXPECT_EQ(5, countOf(trace, "\"ev\":\"borderExport\""));
  EXPECT_EQ(0, countOf(trace, "\"found\":false"));
  EXPECT_EQ(1, countOf(trace, "\"second\":0"));
  EXPECT_EQ(0, countOf(trace, "\"first\":0,")) << "the first install was refused";
  EXPECT_EQ(1, countOf(trace, "\"ev\":\"borderHitTest\",\"result\":13"));
  EXPECT_EQ(1, countOf(trace, "\"ev\":\"borderRegistry\",\"value\":42"));
  EXPECT_EQ(1, countOf(trace, "\"ev\":\"borderDone\",\"complete\":true"));
  EXPECT_EQ(1, countOf(trace, "\"liveGlobalRefs\":0"));
}

TEST_F(Child_Border, NoJavaReferenceOutlivesItsWindow) {
  jobject receiver = Jvm::get().newReceiver();
  // Uninstalled, destroyed, uninstalled on another Java thread, and
  // destroyed on its own (attached) window thread.
  TestWindow a(kResizable, kAt);
  TestWindow b(kResizable, kAt);
  TestWindow c(kResizable, kAt);
  ASSERT_EQ(a.handle(), exports().install(env, receiver, a.handle()));
  ASSERT_EQ(b.handle(), exports().install(env, receiver, b.handle()));
  ASSERT_EQ(c.handle(), exports().install(env, receiver, c.handle()));
  exports().uninstall(env, receiver, a.handle());
  b.destroy();
  {
    WindowThread java(true);
    java.run([&] {
      jobject other = Jvm::get().newReceiver(java.env());
      exports().uninstall(java.env(), other, c.handle());
      java.env()->DeleteLocalRef(other);
    });
    std::unique_ptr<TestWindow> d;
    java.run([&] { d.reset(new TestWindow(kResizable, kAt)); });
    ASSERT_EQ(d->handle(), exports().install(env, receiver, d->handle()));
    java.run([&] { d.reset(); });
  }
  env->DeleteLocalRef(receiver);
  std::vector<std::string> trace = traceAfterDestroy();
  EXPECT_EQ(1, countOf(trace, "\"liveGlobalRefs\":0")) << (trace.empty() ? "" : trace.back());
}

TEST_F(Child_Border, StateOutlivesAnUninstallDuringItsMessage) {
  jobject receiver = Jvm::get().newReceiver();
  auto windowThreadOwner = std::make_unique<WindowThread>(true);
  WindowThread& windowThread = *windowThreadOwner;
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::unique_ptr<TestWindow> w;
  bool blockNext = false;
  windowThread.run([&] {
    w.reset(new TestWindow(kResizable, kAt));
    // The window's own procedure holds the hit test until told to go on,
    // handling the messages other threads send meanwhile.
    w->hook = [&](UINT message, WPARAM, LPARAM) -> LRESULT {
      if (message != WM_NCHITTEST || !blockNext) return 0;
      blockNext = false;
      SetEvent(entered);
      while (MsgWaitForMultipleObjects(1, &go, FALSE, 30000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
      }
      return 0;
    };
  });
  HWND hwnd = w->hwnd();
  WNDPROC own = procedureOf(hwnd);
  ASSERT_EQ(w->handle(), exports().install(env, receiver, w->handle()));
  LRESULT answer = -1;
  blockNext = true;
  windowThread.post([&] {
    RECT r;
    GetWindowRect(hwnd, &r);
    answer = SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + 50, r.top + 100));
    SetEvent(done);
  });
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered, 30000));
  // The window thread is inside the border procedure, past its lookup.
  exports().uninstall(env, receiver, w->handle());
  EXPECT_EQ(own, procedureOf(hwnd));
  size_t mark = Jvm::get().trace().size();
  SetEvent(go);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, 30000));
  // The message went on with the window's state and its Java reference (a
  // deleted reference would have ended the stand-in JVM).
  EXPECT_EQ(13, answer);
  EXPECT_EQ(1u, callbackCalls(Jvm::get().trace(), mark, "onNcHitTest").size());
  windowThread.run([&] { w.reset(); });
  windowThreadOwner.reset();  // detached before the JVM goes
  env->DeleteLocalRef(receiver);
  CloseHandle(entered);
  CloseHandle(go);
  CloseHandle(done);
  std::vector<std::string> trace = traceAfterDestroy();
  EXPECT_EQ(1, countOf(trace, "\"liveGlobalRefs\":0")) << "the window thread let go of the reference last";
}

TEST_F(Child_Border, FirstInstallsFromManyThreadsAtOnce) {
  constexpr int kThreads = 6;
  HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<std::unique_ptr<WindowThread>> threads;
  std::vector<std::unique_ptr<TestWindow>> windows(kThreads);
  std::vector<jlong> results(kThreads, -1);
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back(new WindowThread(true));
    threads[i]->run([&, i] { windows[i].reset(new TestWindow(kResizable, kAt)); });
  }
  for (int i = 0; i < kThreads; ++i) {
    WindowThread* t = threads[i].get();
    t->post([&, i, t] {
      jobject receiver = Jvm::get().newReceiver(t->env());
      WaitForSingleObject(start, 30000);
      results[i] = exports().install(t->env(), receiver, windows[i]->handle());
      t->env()->DeleteLocalRef(receiver);
    });
  }
  Sleep(100);  // every thread waits at the start line
  SetEvent(start);
  for (int i = 0; i < kThreads; ++i) threads[i]->run([] {});  // after its install
  jobject receiver = Jvm::get().newReceiver();
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_EQ(windows[i]->handle(), results[i]) << "thread " << i;
    RECT r;
    GetWindowRect(windows[i]->hwnd(), &r);
    EXPECT_EQ(13, SendMessageW(windows[i]->hwnd(), WM_NCHITTEST, 0, MAKELPARAM(r.left + 50, r.top + 100)));
    exports().uninstall(env, receiver, windows[i]->handle());
    threads[i]->run([&, i] { windows[i].reset(); });
  }
  env->DeleteLocalRef(receiver);
  threads.clear();
  CloseHandle(start);
  std::vector<std::string> trace = traceAfterDestroy();
  EXPECT_EQ(1, countOf(trace, "\"name\":\"onNcHitTest\"")) << "the callbacks are looked up once";
  EXPECT_EQ(1, countOf(trace, "\"liveGlobalRefs\":0"));
}

// ---- the screenshot ----

// Two windows side by side for tests/win/border_screenshot.sh, which
// photographs the screen: one with its system caption, one with the border
// installed and a title band drawn in its client area as a look and feel
// draws its own. Their geometry goes to <dir>\geometry.txt; the windows stay
// until <dir>\done exists.
TEST(Shot_Border, WindowsForTheScreenshot) {
  std::wstring dir = test::childEnv(L"ZVT_BORDER_SHOT");
  if (dir.empty()) GTEST_FAIL() << "runs only from border_screenshot.sh (ZVT_BORDER_SHOT names its directory)";
  ASSERT_TRUE(exports().missing.empty()) << exports().missing;
  Jvm& jvm = Jvm::get();
  ASSERT_NE(nullptr, jvm.env()) << jvm.error();
  jobject receiver = jvm.newReceiver();
  TestWindow plain(kResizable, RECT{60, 140, 600, 520}, L"System caption");
  TestWindow bordered(kResizable, RECT{680, 140, 1220, 520}, L"Border installed: title band drawn by the application");
  bordered.titleBand = 30;
  ASSERT_EQ(bordered.handle(), exports().install(jvm.env(), receiver, bordered.handle()));
  ASSERT_EQ(JNI_TRUE, exports().updateFrame(jvm.env(), receiver, bordered.handle()));
  ShowWindow(plain.hwnd(), SW_SHOWNORMAL);
  ShowWindow(bordered.hwnd(), SW_SHOWNORMAL);
  UpdateWindow(plain.hwnd());
  UpdateWindow(bordered.hwnd());
  pump(1500);
  std::string geometry;
  for (const TestWindow* w : {&plain, &bordered}) {
    RECT r;
    GetWindowRect(w->hwnd(), &r);
    RECT c;
    GetClientRect(w->hwnd(), &c);
    POINT origin{0, 0};
    ClientToScreen(w->hwnd(), &origin);
    geometry += (w == &plain ? "plain " : "border ") + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                std::to_string(r.right) + " " + std::to_string(r.bottom) + " " + std::to_string(origin.x) + " " +
                std::to_string(origin.y) + " " + std::to_string(origin.x + c.right) + " " +
                std::to_string(origin.y + c.bottom) + "\n";
  }
  ASSERT_TRUE(test::writeFileBytes(dir + L"\\geometry.txt", geometry));
  DWORD start = GetTickCount();
  while (!test::fileExists(dir + L"\\done") && GetTickCount() - start < 90000) pump(100);
  EXPECT_TRUE(test::fileExists(dir + L"\\done")) << "the screenshot was not taken";
  exports().uninstall(jvm.env(), receiver, bordered.handle());
  jvm.env()->DeleteLocalRef(receiver);
}

}  // namespace
