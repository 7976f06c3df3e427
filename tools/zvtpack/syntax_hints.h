// What to write instead: the TOML reader's description of a syntax fault
// turned into a message with a fix, from the description and the line it
// points at ("name = MyService" needs quotes, "C:\Java" in a "..." string
// needs single quotes, "[service" needs its "]").
#pragma once

#include <string>

#include "toml_tree.h"

namespace zvt::pack {

// `description` is the reader's own text for the fault at `pos` of `text`.
// Faults it does not know keep that text, with a reminder of the syntax.
std::string explainSyntaxError(const std::string& text, const Position& pos, const std::string& description);

}  // namespace zvt::pack
