// What the stand-in application does when the launcher calls main, chosen by
// -Dstandin.* system properties.
#pragma once

#include "vm_state.h"

namespace standin::vm {

jvalue launcherMain(Env& env, Object* self, const std::vector<jvalue>& args);

// Calls the launcher's exported window-border functions from inside the
// application, as the look and feel's Java classes would.
void exerciseBorderExports(Env& env);

}  // namespace standin::vm
