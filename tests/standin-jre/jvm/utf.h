// JNI's "modified UTF-8": NUL as C0 80, supplementary characters as two
// three-byte surrogates. Bytes that are not valid in it are taken as
// Latin-1, as a lenient JVM does, so that a launcher passing ANSI text shows
// up in the trace instead of crashing the stand-in.
#pragma once

#include <string>

namespace standin::vm {

std::string toModifiedUtf8(const std::wstring& utf16);
std::wstring fromModifiedUtf8(const char* bytes);

}  // namespace standin::vm
