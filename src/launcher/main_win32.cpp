#include <cstdlib>

#include "launcher/entry.h"

// The command line is read with GetCommandLineW inside the entry: the C
// runtime's own argument parsing follows other quoting rules.
int main() { return zvt::processEntry(); }

// The C++ runtime's default terminate handler names the escaping exception's
// type, demangled, on standard error: that alone links the runtime's whole
// symbol demangler (about 40 KiB) into every packed launcher. No exception
// is meant to leave the launcher's code (only an allocation failure could),
// so ending the process the same way without that text is enough.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
