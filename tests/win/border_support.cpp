#include "border_support.h"

#include <cstring>
#include <memory>

#include "base/text.h"
#include "standin_layout.h"
#include "support/win_process.h"

namespace zvt::test::border {

namespace {

#define ZVT_BORDER_PREFIX "Java_com_zentrovia_runtime_flatlaf_FlatWindowsNativeWindowBorder_"
#if defined(_WIN64)
#define ZVT_EXPORT_NAME(name, bytes) ZVT_BORDER_PREFIX name
#else
#define ZVT_EXPORT_NAME(name, bytes) "_" ZVT_BORDER_PREFIX name "@" #bytes
#endif

template <typename Fn>
void lookUp(const char* name, Fn* out, std::string* missing) {
  *out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), name)));
  if (*out == nullptr) *missing += std::string(name) + " ";
}

constexpr const char* kWndProcClass = "com/zentrovia/runtime/flatlaf/FlatWindowsNativeWindowBorder$WndProc";
constexpr const char* kBorderClass = "com/zentrovia/runtime/flatlaf/FlatWindowsNativeWindowBorder";

std::vector<std::string> splitOptions(const std::wstring& text) {
  std::vector<std::string> out;
  std::string all = utf16ToUtf8(text);
  size_t start = 0;
  while (start <= all.size() && !all.empty()) {
    size_t bar = all.find('|', start);
    std::string part = all.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
    if (!part.empty()) out.push_back(part);
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return out;
}

std::wstring environmentValue(const wchar_t* name) {
  std::vector<wchar_t> buf(32768);
  DWORD n = GetEnvironmentVariableW(name, buf.data(), static_cast<DWORD>(buf.size()));
  return n > 0 && n < buf.size() ? std::wstring(buf.data(), n) : std::wstring();
}

const wchar_t kWindowClass[] = L"ZvtBorderTestWindow";
constexpr UINT kRunTask = WM_APP + 0x3A1;

}  // namespace

const Exports& exports() {
  static Exports e = [] {
    Exports x;
    lookUp(ZVT_EXPORT_NAME("00024WndProc_installImpl", 16), &x.install, &x.missing);
    lookUp(ZVT_EXPORT_NAME("00024WndProc_uninstallImpl", 16), &x.uninstall, &x.missing);
    lookUp(ZVT_EXPORT_NAME("00024WndProc_updateFrame", 16), &x.updateFrame, &x.missing);
    lookUp(ZVT_EXPORT_NAME("00024WndProc_showWindow", 20), &x.showWindow, &x.missing);
    lookUp(ZVT_EXPORT_NAME("registryGetIntValue", 20), &x.registryGetIntValue, &x.missing);
    return x;
  }();
  return e;
}

// ---- the stand-in JVM ----

namespace {
Jvm* g_jvm = nullptr;  // made on first use by the main thread, lives to the end of the process
}

Jvm& Jvm::get() {
  if (g_jvm == nullptr) g_jvm = new Jvm();
  return *g_jvm;
}

bool Jvm::created() {
  return g_jvm != nullptr;
}

Jvm::Jvm() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  dir_ = std::wstring(temp) + L"zvt-border-" + decimal(GetCurrentProcessId());
  removeTree(dir_);
  home_ = dir_ + L"\\rt";
  standin::RuntimeLayout layout;
  std::wstring problem;
  if (!standin::layOutRuntime(home_, layout, &problem)) {
    error_ = "cannot lay out the stand-in runtime: " + utf16ToUtf8(problem);
    return;
  }
  std::wstring dll = standin::runtimeBinDir(home_, layout) + L"\\client\\jvm.dll";
  library_ = LoadLibraryW(dll.c_str());
  if (library_ == nullptr) {
    error_ = "cannot load " + utf16ToUtf8(dll);
    return;
  }
  using CreateFn = jint(JNICALL*)(JavaVM**, void**, void*);
  auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(library_, "JNI_CreateJavaVM")));
  if (create == nullptr) {
    error_ = "no JNI_CreateJavaVM";
    return;
  }
  std::vector<std::string> options = splitOptions(environmentValue(L"ZVT_BORDER_VM_OPTIONS"));
  std::vector<JavaVMOption> records(options.size());
  for (size_t i = 0; i < options.size(); ++i) records[i].optionString = const_cast<char*>(options[i].c_str());
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_2;
  args.nOptions = static_cast<jint>(records.size());
  args.options = records.empty() ? nullptr : records.data();
  args.ignoreUnrecognized = JNI_TRUE;
  void* env = nullptr;
  jint result = create(&vm_, &env, &args);
  if (result != JNI_OK) {
    error_ = "JNI_CreateJavaVM failed with " + std::to_string(result);
    vm_ = nullptr;
    return;
  }
  env_ = static_cast<JNIEnv*>(env);
}

void Jvm::destroy() {
  if (vm_ != nullptr) {
    vm_->DestroyJavaVM();
    vm_ = nullptr;
    env_ = nullptr;
  }
  savedTrace_ = standin::traceLines(home_);
  if (library_ != nullptr) FreeLibrary(library_);
  library_ = nullptr;
  removeTree(dir_);
}

jobject Jvm::newReceiver(JNIEnv* env) {
  if (env == nullptr) env = env_;
  jclass cls = env->FindClass(kWndProcClass);
  jobject receiver = cls != nullptr ? env->AllocObject(cls) : nullptr;
  if (cls != nullptr) env->DeleteLocalRef(cls);
  return receiver;
}

jclass Jvm::borderClass() {
  return env_->FindClass(kBorderClass);
}

jstring Jvm::string(const std::wstring& text) {
  std::vector<jchar> units(text.begin(), text.end());
  return env_->NewString(units.data(), static_cast<jsize>(units.size()));
}

void Jvm::setProperty(const std::string& name, const std::string& value) {
  jclass system = env_->FindClass("java/lang/System");
  jmethodID set =
      env_->GetStaticMethodID(system, "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;");
  jobject previous =
      env_->CallStaticObjectMethod(system, set, env_->NewStringUTF(name.c_str()), env_->NewStringUTF(value.c_str()));
  if (previous != nullptr) env_->DeleteLocalRef(previous);
  env_->DeleteLocalRef(system);
}

std::vector<std::string> Jvm::trace() const {
  return vm_ != nullptr ? standin::traceLines(home_) : savedTrace_;
}

std::vector<CallRecord> callbackCalls(const std::vector<std::string>& trace, size_t from, const std::string& method) {
  std::vector<CallRecord> out;
  const std::string needle =
      "\"ev\":\"call\",\"class\":\"" + std::string(kWndProcClass) + "\",\"method\":\"" + method + "\"";
  for (size_t i = from; i < trace.size(); ++i) {
    const std::string& line = trace[i];
    if (line.find(needle) == std::string::npos) continue;
    size_t at = line.find("\"args\":");
    size_t end = at == std::string::npos ? at : line.find(']', at);
    out.push_back(
        {method, at == std::string::npos || end == std::string::npos ? "" : line.substr(at + 7, end - at - 6)});
  }
  return out;
}

// ---- windows ----

TestWindow::TestWindow(DWORD style, const RECT& at, const wchar_t* title, COLORREF fill) : fill_(fill) {
  static const ATOM registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TestWindow::procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = kWindowClass;
    return RegisterClassW(&wc);
  }();
  (void)registered;
  hwnd_ = CreateWindowExW(0, kWindowClass, title, style, at.left, at.top, at.right - at.left, at.bottom - at.top,
                          nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

TestWindow::~TestWindow() {
  destroy();
}

void TestWindow::destroy() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

jlong TestWindow::handle() const {
  return javaHandle(hwnd_);
}

int TestWindow::count(UINT message) const {
  return static_cast<int>(seen(message).size());
}

std::vector<Seen> TestWindow::seen(UINT message) const {
  CriticalSectionScope hold(lock_);
  std::vector<Seen> out;
  for (const Seen& s : seen_) {
    if (s.message == message) out.push_back(s);
  }
  return out;
}

void TestWindow::forget() {
  CriticalSectionScope hold(lock_);
  seen_.clear();
}

void TestWindow::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  HBRUSH body = CreateSolidBrush(fill_);
  FillRect(dc, &client, body);
  DeleteObject(body);
  if (titleBand > 0) {
    RECT band = client;
    band.bottom = band.top + titleBand;
    HBRUSH dark = CreateSolidBrush(RGB(40, 40, 40));
    FillRect(dc, &band, dark);
    DeleteObject(dark);
    wchar_t title[128];
    int n = GetWindowTextW(hwnd_, title, 128);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    band.left += 10;
    DrawTextW(dc, title, n, &band, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  }
  EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK TestWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  {
    CriticalSectionScope hold(self->lock_);
    self->seen_.push_back({message, wParam, lParam});
  }
  if (self->hook) {
    LRESULT answer = self->hook(message, wParam, lParam);
    if (answer != 0) return answer;
  }
  if (message == WM_PAINT) {
    self->paint();
    return 0;
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

Insets clientInsets(HWND hwnd) {
  RECT window{};
  RECT client{};
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  return Insets{origin.x - window.left, origin.y - window.top, window.right - (origin.x + client.right),
                window.bottom - (origin.y + client.bottom)};
}

std::string show(const Insets& i) {
  return "(left " + std::to_string(i.left) + ", top " + std::to_string(i.top) + ", right " + std::to_string(i.right) +
         ", bottom " + std::to_string(i.bottom) + ")";
}

void pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (ms > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

// ---- window threads ----

WindowThread::WindowThread(bool attach) : attach_(attach) {
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &WindowThread::main, this, 0, &threadId_);
  WaitForSingleObject(ready_, 30000);
}

WindowThread::~WindowThread() {
  PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_, 30000);
  CloseHandle(thread_);
  CloseHandle(ready_);
}

DWORD WINAPI WindowThread::main(LPVOID param) {
  auto* self = static_cast<WindowThread*>(param);
  JavaVM* vm = Jvm::get().vm();
  if (self->attach_ && vm != nullptr) {
    void* env = nullptr;
    if (vm->AttachCurrentThread(&env, nullptr) == JNI_OK) self->env_ = static_cast<JNIEnv*>(env);
  }
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here on
  SetEvent(self->ready_);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kRunTask) {
      std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(msg.lParam));
      (*task)();
      if (msg.wParam != 0) SetEvent(reinterpret_cast<HANDLE>(msg.wParam));
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (self->env_ != nullptr) vm->DetachCurrentThread();
  return 0;
}

void WindowThread::post(const std::function<void()>& task) {
  PostThreadMessageW(threadId_, kRunTask, 0, reinterpret_cast<LPARAM>(new std::function<void()>(task)));
}

void WindowThread::run(const std::function<void()>& task) {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  PostThreadMessageW(threadId_, kRunTask, reinterpret_cast<WPARAM>(done),
                     reinterpret_cast<LPARAM>(new std::function<void()>(task)));
  // Keep this thread's messages flowing: the task may send to its windows.
  while (MsgWaitForMultipleObjects(1, &done, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) pump();
  CloseHandle(done);
}

bool runningOnWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

int frameThicknessOf(HWND hwnd) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  using DpiFn = UINT(WINAPI*)(HWND);
  using MetricFn = int(WINAPI*)(int, UINT);
  auto dpiOf = reinterpret_cast<DpiFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
  auto metric = reinterpret_cast<MetricFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetSystemMetricsForDpi")));
  if (dpiOf == nullptr || metric == nullptr) return -1;
  UINT dpi = dpiOf(hwnd);
  return metric(SM_CXPADDEDBORDER, dpi) + metric(SM_CYSIZEFRAME, dpi);
}

}  // namespace zvt::test::border
