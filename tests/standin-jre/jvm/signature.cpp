#include "signature.h"

#include <cstring>

namespace standin::vm {

namespace {

// Reads one field type at sig[pos]; returns its letter and advances pos.
char readType(const std::string& sig, size_t* pos) {
  size_t p = *pos;
  if (p >= sig.size()) return 0;
  char letter = sig[p];
  if (letter == '[') {
    while (p < sig.size() && sig[p] == '[') ++p;
    size_t inner = p;
    if (readType(sig, &inner) == 0) return 0;
    *pos = inner;
    return '[';
  }
  if (letter == 'L') {
    size_t end = sig.find(';', p);
    if (end == std::string::npos || end == p + 1) return 0;
    *pos = end + 1;
    return 'L';
  }
  if (std::strchr("ZBCSIJFD", letter) == nullptr) return 0;
  *pos = p + 1;
  return letter;
}

}  // namespace

bool parseSignature(const std::string& sig, std::vector<char>* params, char* ret) {
  params->clear();
  if (sig.empty() || sig[0] != '(') return false;
  size_t pos = 1;
  while (pos < sig.size() && sig[pos] != ')') {
    char letter = readType(sig, &pos);
    if (letter == 0) return false;
    params->push_back(letter);
  }
  if (pos >= sig.size()) return false;
  ++pos;
  if (pos < sig.size() && sig[pos] == 'V' && pos + 1 == sig.size()) {
    *ret = 'V';
    return true;
  }
  char letter = readType(sig, &pos);
  if (letter == 0 || pos != sig.size()) return false;
  *ret = letter;
  return true;
}

}  // namespace standin::vm
