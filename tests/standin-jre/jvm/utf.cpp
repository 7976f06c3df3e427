#include "utf.h"

namespace standin::vm {

std::string toModifiedUtf8(const std::wstring& utf16) {
  std::string out;
  for (wchar_t wc : utf16) {
    unsigned u = static_cast<unsigned short>(wc);
    if (u != 0 && u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

std::wstring fromModifiedUtf8(const char* bytes) {
  std::wstring out;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  while (*p) {
    unsigned c = *p;
    if (c < 0x80) {
      out += static_cast<wchar_t>(c);
      p += 1;
    } else if ((c & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
      out += static_cast<wchar_t>(((c & 0x1F) << 6) | (p[1] & 0x3F));
      p += 2;
    } else if ((c & 0xF0) == 0xE0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
      out += static_cast<wchar_t>(((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
      p += 3;
    } else {
      out += static_cast<wchar_t>(c);
      p += 1;
    }
  }
  return out;
}

}  // namespace standin::vm
