// Stand-in jli.dll: the three argument-file functions the launcher uses.
// "@file" expands to the file's lines, one argument per non-empty line (a
// trailing CR is dropped); "@@x" is the escape for a literal "@x"; anything
// else is not an argument file and yields null. Lists and strings are
// malloc'ed so that JLI_MemFree (free) releases them, as the runtime does.
#include <jni.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "standin_home.h"
#include "trace.h"

using namespace standin;

extern "C" {

struct JliList {
  char** elements;
  size_t size;
  size_t capacity;
};

JNIEXPORT void JNICALL JLI_InitArgProcessing(jboolean hasJavaArgs, jboolean disableArgFile);
JNIEXPORT JliList* JNICALL JLI_PreprocessArg(const char* arg, jboolean expandSourceOpt);
JNIEXPORT void JNICALL JLI_MemFree(void* ptr);
}

namespace {

bool g_initialised = false;
bool g_disabled = false;

char* copyOf(const std::string& s) {
  char* out = static_cast<char*>(std::malloc(s.size() + 1));
  std::memcpy(out, s.c_str(), s.size() + 1);
  return out;
}

JliList* listOf(const std::vector<std::string>& items) {
  JliList* list = static_cast<JliList*>(std::malloc(sizeof(JliList)));
  list->size = items.size();
  list->capacity = items.size() + 1;
  list->elements = static_cast<char**>(std::malloc(sizeof(char*) * list->capacity));
  for (size_t i = 0; i < items.size(); ++i) list->elements[i] = copyOf(items[i]);
  list->elements[items.size()] = nullptr;
  return list;
}

std::vector<std::string> linesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= bytes.size()) {
    size_t end = bytes.find('\n', start);
    std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

void JNICALL JLI_InitArgProcessing(jboolean hasJavaArgs, jboolean disableArgFile) {
  g_initialised = true;
  g_disabled = disableArgFile != JNI_FALSE;
  trace(JsonLine("jliInit").flag("hasJavaArgs", hasJavaArgs).flag("disableArgFile", g_disabled));
}

JliList* JNICALL JLI_PreprocessArg(const char* arg, jboolean) {
  if (!g_initialised) {
    // The runtime's own launcher always initialises first; an uninitialised
    // call is a caller bug worth a loud stop.
    std::fputs("stand-in jli: JLI_PreprocessArg before JLI_InitArgProcessing\n", stderr);
    ExitProcess(134);
  }
  if (arg == nullptr || arg[0] != '@' || g_disabled) return nullptr;
  if (arg[1] == '@') return listOf({std::string(arg + 1)});
  std::wstring path = widen(arg + 1);
  if (!fileExists(path)) {
    // As the runtime's launcher does: a missing argument file ends the process.
    std::fprintf(stderr, "Error: could not open `%s'\n", arg + 1);
    trace(JsonLine("jliMissing").text("arg", arg));
    ExitProcess(1);
  }
  std::vector<std::string> lines = linesOf(readFileBytes(path));
  trace(JsonLine("jliExpand").text("arg", arg).texts("result", lines));
  return listOf(lines);
}

void JNICALL JLI_MemFree(void* ptr) { std::free(ptr); }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    setTraceHome(homeFor(modulePathOf(reinterpret_cast<const void*>(&DllMain)), 1));
  }
  return TRUE;
}
