#include "base/text.h"

namespace zvt {

std::wstring widenBytes(const std::string& bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) out.push_back(static_cast<wchar_t>(c));
  return out;
}

namespace {

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void appendUtf16(std::wstring& out, uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<wchar_t>(cp));
  }
}

}  // namespace

std::string utf16ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t u = static_cast<uint32_t>(text[i]) & 0xFFFF;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size()) {
      uint32_t lo = static_cast<uint32_t>(text[i + 1]) & 0xFFFF;
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        ++i;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
    appendUtf8(out, u);
  }
  return out;
}

namespace {

// The range the first continuation byte must fall in after `lead`, which
// excludes overlong forms (E0 80..9F, F0 80..8F), UTF-16 surrogates (ED
// A0..BF) and code points above U+10FFFF (F4 90..BF). 0 for a byte that
// cannot start a sequence (continuation bytes, C0, C1, F5..FF).
struct LeadRule {
  size_t length;
  unsigned char low;
  unsigned char high;
};

LeadRule leadRule(unsigned char lead) {
  if (lead < 0x80) return {1, 0, 0};
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

std::wstring utf8ToUtf16(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const LeadRule rule = leadRule(lead);
    if (rule.length == 1) {
      out.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    if (rule.length == 0) {
      appendUtf16(out, 0xFFFD);
      ++i;
      continue;
    }
    // Take continuation bytes while they fit; an ill-formed or cut-off
    // sequence becomes one U+FFFD for the bytes taken so far (the "maximal
    // subpart"), and decoding resumes at the byte that did not fit, so a
    // damaged sequence never swallows the character after it.
    uint32_t cp = lead & (0x7Fu >> rule.length);
    size_t taken = 1;
    while (taken < rule.length && i + taken < n) {
      const unsigned char c = static_cast<unsigned char>(text[i + taken]);
      const unsigned char low = taken == 1 ? rule.low : 0x80;
      const unsigned char high = taken == 1 ? rule.high : 0xBF;
      if (c < low || c > high) break;
      cp = (cp << 6) | (c & 0x3Fu);
      ++taken;
    }
    appendUtf16(out, taken == rule.length ? cp : 0xFFFD);
    i += taken;
  }
  return out;
}

std::wstring fromUtf16Le(const uint8_t* bytes, size_t byteCount) {
  std::wstring out;
  out.reserve(byteCount / 2);
  for (size_t i = 0; i + 1 < byteCount; i += 2) {
    out.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return out;
}

void appendUtf16Le(std::vector<uint8_t>& out, const std::wstring& text) {
  for (wchar_t w : text) {
    uint32_t u = static_cast<uint32_t>(w) & 0xFFFF;
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
  }
}

std::wstring decimal(long long value) {
  if (value < 0) {
    // Negate in unsigned arithmetic: -LLONG_MIN does not fit a long long.
    return L"-" + decimalUnsigned(0ULL - static_cast<unsigned long long>(value));
  }
  return decimalUnsigned(static_cast<unsigned long long>(value));
}

std::wstring decimalUnsigned(unsigned long long value) {
  wchar_t buf[24];
  size_t pos = sizeof(buf) / sizeof(buf[0]);
  do {
    buf[--pos] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  return std::wstring(buf + pos, buf + sizeof(buf) / sizeof(buf[0]));
}

}  // namespace zvt
