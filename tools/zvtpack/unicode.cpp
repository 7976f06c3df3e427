#include "unicode.h"

#include <cstdio>

namespace zvt::pack {

bool decodeUtf8(const std::string& text, std::u32string& out, size_t& badByte) {
  out.clear();
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
      out.push_back(b0);
      ++i;
      continue;
    }
    size_t length;
    char32_t c;
    char32_t minimum;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2, c = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3, c = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4, c = b0 & 0x07, minimum = 0x10000;
    } else {
      badByte = i;
      return false;
    }
    if (i + length > n) {
      badByte = i;
      return false;
    }
    for (size_t k = 1; k < length; ++k) {
      const auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) {
        badByte = i;
        return false;
      }
      c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      badByte = i;
      return false;
    }
    out.push_back(c);
    i += length;
  }
  return true;
}

std::string encodeUtf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return out;
}

std::string encodeUtf8(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) out += encodeUtf8(c);
  return out;
}

std::wstring toUtf16Units(const std::u32string& text) {
  std::wstring out;
  for (char32_t c : text) {
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
  }
  return out;
}

bool fromUtf16Units(const std::wstring& units, std::u32string& out, size_t& badUnit) {
  out.clear();
  for (size_t i = 0; i < units.size(); ++i) {
    const char32_t u = static_cast<char32_t>(units[i]) & 0xFFFF;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size()) {
      const char32_t low = static_cast<char32_t>(units[i + 1]) & 0xFFFF;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) {
      badUnit = i;
      return false;
    }
    out.push_back(u);
  }
  return true;
}

std::string describeChar(char32_t c) {
  switch (c) {
    case 0:
      return "NUL character";
    case '\t':
      return "tab";
    case '\n':
      return "line feed";
    case '\r':
      return "carriage return";
    default:
      break;
  }
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return std::string("control character ") + code;
  return std::string(code) + " '" + encodeUtf8(c) + "'";
}

}  // namespace zvt::pack
