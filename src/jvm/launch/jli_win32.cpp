#include "jvm/launch/jli_win32.h"

#include <vector>

#include "base/handle.h"
#include "base/win32.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace zvt {
namespace {

// The runtime's list of strings, as its library allocates it.
struct JliList {
  char** elements;
  size_t size;
  size_t capacity;
};

// JNI calling convention (__stdcall; the same as the default on x86_64).
// jboolean is an unsigned char.
using InitArgProcessingFn = void(__stdcall*)(unsigned char hasJavaArgs, unsigned char disableArgFile);
using PreprocessArgFn = JliList*(__stdcall*)(const char* arg, unsigned char expandSourceOpt);
using MemFreeFn = void(__stdcall*)(void* pointer);

template <typename Fn>
Fn lookup(HMODULE module, const char* name) {
  // GetProcAddress gives a generic function pointer; the library's own
  // headers fix the real signature.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class Jli : public ArgumentFileLibrary {
 public:
  Jli(UniqueModule module, InitArgProcessingFn init, PreprocessArgFn preprocess, MemFreeFn memFree)
      : module_(std::move(module)), init_(init), preprocess_(preprocess), memFree_(memFree) {}

  void initArgProcessing(bool hasJavaArgs, bool disableArgFile) override {
    init_(hasJavaArgs ? 1 : 0, disableArgFile ? 1 : 0);
  }

  bool preprocessArg(const std::string& option, std::vector<std::string>& replacement) override {
    JliList* list = preprocess_(option.c_str(), 1);
    if (list == nullptr) return false;
    replacement.clear();
    for (size_t i = 0; i < list->size; ++i) {
      if (list->elements[i] != nullptr) replacement.emplace_back(list->elements[i]);
      // The strings are the library's allocations as well; the copies above
      // are what the JVM gets.
      memFree_(list->elements[i]);
    }
    memFree_(list->elements);
    memFree_(list);
    return true;
  }

 private:
  UniqueModule module_;
  InitArgProcessingFn init_;
  PreprocessArgFn preprocess_;
  MemFreeFn memFree_;
};

}  // namespace

std::unique_ptr<ArgumentFileLibrary> loadJli(const std::string& directory) {
  const std::string path = directory + "\\jli.dll";
  UniqueModule module(LoadLibraryW(toWide(path).c_str()));
  if (!module) {
    logLine(L"did not find %hs", path.c_str());
    return nullptr;
  }
  auto init = lookup<InitArgProcessingFn>(module.get(), "JLI_InitArgProcessing");
  auto preprocess = lookup<PreprocessArgFn>(module.get(), "JLI_PreprocessArg");
  auto memFree = lookup<MemFreeFn>(module.get(), "JLI_MemFree");
  if (!init || !preprocess || !memFree) {
    logLine(L"did not find all list functions %p %p %p", reinterpret_cast<void*>(init),
            reinterpret_cast<void*>(preprocess), reinterpret_cast<void*>(memFree));
    return nullptr;
  }
  return std::make_unique<Jli>(std::move(module), init, preprocess, memFree);
}

}  // namespace zvt
