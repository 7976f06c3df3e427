#include "runtime/process_state.h"

namespace zvt {

ProcessState& processState() {
  static ProcessState* state = new ProcessState();  // lives until exit
  return *state;
}

}  // namespace zvt
