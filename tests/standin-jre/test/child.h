// The child side of the stand-in tests: this program run as
//   standin_tests --child <scenario> <jvm.dll> [vm options...] [-- main params...]
// loads jvm.dll the way the launcher does and plays one scenario, printing
// "key value" lines for the parent test to check. A JVM is created once per
// process, so every JVM scenario is a process of its own.
#pragma once

int runChild(int argc, char** argv);
