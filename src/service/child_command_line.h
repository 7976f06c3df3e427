// The command line of the service child: the program path, the service name,
// the host's own arguments, the start parameters and the restart marker.
//
// The child reads it back with splitArguments, where blanks separate and
// both double and single quotes group. Each element is written so that the
// child gets exactly that element back: in double quotes when it holds a
// blank or a single quote, in single quotes when it holds a double quote,
// and as "" when it is empty. The grammar has no escape, so one argument can
// hold only one kind of quote character: an element with both kinds (or a
// NUL, which would end the command line) cannot be passed, and the child is
// then not started at all rather than with arguments that differ from what
// the service was given.
#pragma once

#include <cstddef>
#include <string>

#include "base/arguments.h"

namespace zvt {

enum class ChildLineStatus {
  Ok,
  Unquotable,  // an element holds both quote kinds (or a NUL)
  TooLong,     // the text and its terminator exceed the capacity
};

struct ChildCommandLine {
  ChildLineStatus status = ChildLineStatus::Ok;
  std::wstring text;  // complete when Ok
  // Unquotable: the position of the element in the child's argument list
  // (0 the program path, 1 the service name, ...).
  size_t element = 0;
};

// `ownArguments` is the host's own command line split (its first element the
// program path); `startParameters` are the service arguments after the first.
// `capacity` counts the terminator.
ChildCommandLine buildChildCommandLine(const ArgumentList& ownArguments, const std::wstring& serviceName,
                                       const ArgumentList& startParameters, size_t capacity);

// Appends `element` written for splitArguments; false (nothing appended)
// when the grammar cannot carry it.
bool appendArgument(std::wstring& out, const std::wstring& element);

}  // namespace zvt
