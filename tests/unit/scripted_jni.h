// A JNI environment without a JVM, for testing the launcher's side of the
// conversation: a function table filled with the slots the conversation uses
// (an empty slot crashes loudly), a small world of classes and methods, and
// scripted failures (missing classes and methods, strings or arrays that
// cannot be created, Java methods that throw). It records every JNI call and
// every Java method call with its arguments, and it notes each breach of the
// JNI rules a real JVM would not forgive: a call other than the exception
// functions while an exception is pending, a deleted or foreign reference,
// an argument of the wrong kind, an index out of bounds.
#pragma once

#include <jni.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace zvt::test {

class ScriptedJni {
 public:
  ScriptedJni();
  ~ScriptedJni();
  ScriptedJni(const ScriptedJni&) = delete;
  ScriptedJni& operator=(const ScriptedJni&) = delete;

  JNIEnv* env() { return &env_; }

  // --- the world ---
  // Present from the start: the launcher classes of both flavours with
  // main, the splash method, the platform class with initFromLauncher,
  // java/lang/System with setProperty and java/lang/String.
  void addClass(const std::string& name);
  void addMethod(const std::string& cls, const std::string& name, const std::string& signature, bool isStatic);
  void removeClass(const std::string& name);
  void removeMethod(const std::string& cls, const std::string& name);

  // --- scripted failures ---
  // "cls.method" throws an exception whose toString() gives `text`.
  void throwFrom(const std::string& method, const std::wstring& text);
  // The n-th string creation (NewString or NewStringUTF, counted from 1)
  // returns null with an OutOfMemoryError pending.
  void failStringCreation(int n) { failStringAt_ = n; }
  void failArrayCreation() { failArray_ = true; }
  void failStringChars() { failChars_ = true; }
  // What the exception's toString does instead of returning its text.
  enum class ToString { Text, Throws, Null, Missing };
  void exceptionToString(ToString how) { toString_ = how; }
  // Makes an exception pending, as a Java call that threw would.
  void raise(const std::string& cls, const std::wstring& text);

  // --- records ---
  // One line per JNI call ("FindClass java/lang/System") and per Java
  // method run ("run java/lang/System.setProperty(\"a\",\"b\")").
  const std::vector<std::string>& calls() const { return calls_; }
  bool called(const std::string& line) const;
  size_t countOf(const std::string& prefix) const;
  // Breaches of the JNI rules, in the order they happened.
  const std::vector<std::string>& misuse() const { return misuse_; }
  bool exceptionPending() const { return pending_ != nullptr; }
  // Local references created and not deleted.
  size_t liveLocalRefs() const;
  // Characters from GetStringChars not handed back.
  size_t heldCharacters() const { return handedChars_.size(); }
  // The String[] last handed to a main method (null elements as "<null>").
  const std::vector<std::wstring>& mainArguments() const { return mainArguments_; }
  const std::map<std::string, std::wstring>& properties() const { return properties_; }
  // What the JVM printed for ExceptionDescribe.
  const std::vector<std::wstring>& described() const { return described_; }

  // --- invocation ---
  // A JNI_CreateJavaVM that answers `result` and records the record it was
  // given. It serves the ScriptedJni created last.
  static jint JNICALL createJavaVm(JavaVM** vm, void** env, void* args);
  void createResult(jint result, bool handOutEnv = true) {
    createResult_ = result;
    handOutEnv_ = handOutEnv;
  }
  struct CreateRecord {
    jint version = 0;
    bool ignoreUnrecognized = false;
    std::vector<std::string> options;
    const void* args = nullptr;  // the record as handed over
  };
  const std::vector<CreateRecord>& creates() const { return creates_; }

  // The implementation behind the function table.
  struct Object;
  struct Ref;
  struct Method;
  struct Access;

 private:
  friend struct Access;

  JNIEnv env_;
  JNINativeInterface_ table_;
  JavaVM vm_;
  JNIInvokeInterface_ invokeTable_;

  std::vector<std::unique_ptr<Object>> objects_;
  std::vector<std::unique_ptr<Ref>> refs_;
  std::map<std::string, std::vector<std::unique_ptr<Method>>> classes_;
  std::set<std::string> removedClasses_;
  std::map<std::string, std::wstring> throws_;
  std::map<std::string, std::wstring> properties_;
  std::vector<std::unique_ptr<std::vector<jchar>>> handedChars_;
  Object* pending_ = nullptr;
  int stringsMade_ = 0;
  int failStringAt_ = 0;
  bool failArray_ = false;
  bool failChars_ = false;
  ToString toString_ = ToString::Text;
  jint createResult_ = JNI_OK;
  bool handOutEnv_ = true;
  std::vector<CreateRecord> creates_;
  std::vector<std::string> calls_;
  std::vector<std::string> misuse_;
  std::vector<std::wstring> mainArguments_;
  std::vector<std::wstring> described_;
};

}  // namespace zvt::test
