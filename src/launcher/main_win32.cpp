#include "launcher/entry.h"

// The command line is read with GetCommandLineW inside the entry: the C
// runtime's own argument parsing follows other quoting rules.
int main() { return zvt::processEntry(); }
