// The C++ library's reports of misuse and exhausted limits (a position past
// the end of a string, a container asked for more than it can hold) go
// through the std::__throw_* functions. The library's own versions build an
// exception object that carries its message in a reference-counted string:
// that links a second, older string implementation with all its members,
// the standard exception classes and their helpers, about 55 KiB of every
// packed launcher. No such exception is caught anywhere in the launcher (it
// would end the process through std::terminate), so these versions end the
// process through the one fatal-exit routine, after a line in the log.
// Allocation failures of operator new still throw std::bad_alloc, which the
// window-border exports catch.
#include "runtime/errors.h"
#include "runtime/log.h"

namespace {

[[noreturn]] void libraryFailure(const char* what) {
  // A failure while reporting one (the log line needs memory) ends at once.
  static bool reporting = false;
  if (!reporting) {
    reporting = true;
    zvt::logError(L"C++ library failure: %hs", what ? what : "");
  }
  zvt::fatalExit(1);
}

}  // namespace

namespace std {

void __throw_bad_alloc() { libraryFailure("bad_alloc"); }
void __throw_bad_array_new_length() { libraryFailure("bad_array_new_length"); }
void __throw_bad_cast() { libraryFailure("bad_cast"); }
void __throw_bad_exception() { libraryFailure("bad_exception"); }
void __throw_bad_typeid() { libraryFailure("bad_typeid"); }
void __throw_domain_error(const char* what) { libraryFailure(what); }
void __throw_invalid_argument(const char* what) { libraryFailure(what); }
void __throw_length_error(const char* what) { libraryFailure(what); }
void __throw_logic_error(const char* what) { libraryFailure(what); }
void __throw_out_of_range(const char* what) { libraryFailure(what); }
// The format's arguments (positions and sizes) only decorate the message.
void __throw_out_of_range_fmt(const char* format, ...) { libraryFailure(format); }
void __throw_overflow_error(const char* what) { libraryFailure(what); }
void __throw_range_error(const char* what) { libraryFailure(what); }
void __throw_runtime_error(const char* what) { libraryFailure(what); }
void __throw_underflow_error(const char* what) { libraryFailure(what); }

}  // namespace std
