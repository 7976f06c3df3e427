// Method descriptors: "(ZLjava/lang/String;[I)V" → parameter letters
// {'Z','L','['} and return letter 'V'. Malformed descriptors are rejected so
// that a typo in a lookup fails like it does in a real JVM.
#pragma once

#include <string>
#include <vector>

namespace standin::vm {

bool parseSignature(const std::string& sig, std::vector<char>* params, char* ret);

}  // namespace standin::vm
