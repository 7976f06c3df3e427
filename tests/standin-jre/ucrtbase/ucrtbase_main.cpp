// Stand-in ucrtbase.dll placed in a runtime's bin directory: it only records
// that (and from where) the launcher loaded it before jvm.dll.
#include "standin_home.h"
#include "trace.h"

using namespace standin;

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    std::wstring self = modulePathOf(reinterpret_cast<const void*>(&DllMain));
    setTraceHome(homeFor(self, 1));
    trace(JsonLine("ucrtbase").text("path", utf8(self)));
  }
  return TRUE;
}
