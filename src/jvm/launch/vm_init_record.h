// The JNI initialisation record handed to JNI_CreateJavaVM, together with
// the option strings it points to. A JVM may keep pointers into the option
// strings after creation, so the record is made once, lives as long as the
// JVM, and is never copied or moved (that would move short strings held
// inside their std::string).
#pragma once

#include <jni.h>

#include <string>
#include <vector>

namespace zvt {

class VmInitRecord {
 public:
  VmInitRecord() { fill(); }
  explicit VmInitRecord(std::vector<std::string> options) : strings_(std::move(options)) { fill(); }
  VmInitRecord(const VmInitRecord&) = delete;
  VmInitRecord& operator=(const VmInitRecord&) = delete;

  // JNI 1.2, the options in list order, unrecognised options ignored.
  JavaVMInitArgs* args() { return &args_; }
  const std::vector<std::string>& options() const { return strings_; }

 private:
  void fill() {
    entries_.resize(strings_.size());
    for (size_t i = 0; i < strings_.size(); ++i) {
      // JNI declares the strings writable; the JVM only reads them.
      entries_[i].optionString = &strings_[i][0];
      entries_[i].extraInfo = nullptr;
    }
    args_ = JavaVMInitArgs{};
    args_.version = JNI_VERSION_1_2;
    args_.nOptions = static_cast<jint>(entries_.size());
    args_.options = entries_.empty() ? nullptr : entries_.data();
    args_.ignoreUnrecognized = JNI_TRUE;
  }

  std::vector<std::string> strings_;
  std::vector<JavaVMOption> entries_;
  JavaVMInitArgs args_{};
};

}  // namespace zvt
