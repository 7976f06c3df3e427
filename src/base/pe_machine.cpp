#include "base/pe_machine.h"

namespace zvt {

namespace {

uint32_t u16At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8);
}

}  // namespace

PeMachine peMachine(const std::vector<uint8_t>& head) {
  if (head.size() < 64 || head[0] != 'M' || head[1] != 'Z') return PeMachine::Unknown;
  const uint64_t pe = u16At(head, 60) | (static_cast<uint64_t>(u16At(head, 62)) << 16);
  if (pe + 6 > head.size()) return PeMachine::Unknown;
  if (head[pe] != 'P' || head[pe + 1] != 'E' || head[pe + 2] != 0 || head[pe + 3] != 0) return PeMachine::Unknown;
  return static_cast<PeMachine>(u16At(head, static_cast<size_t>(pe) + 4));
}

unsigned peMachineBits(PeMachine machine) {
  switch (machine) {
    case PeMachine::X86:
      return 32;
    case PeMachine::X64:
    case PeMachine::Arm64:
      return 64;
    case PeMachine::Unknown:
      break;
  }
  return 0;
}

const char* peMachineName(PeMachine machine) {
  switch (machine) {
    case PeMachine::X86:
      return "x86";
    case PeMachine::X64:
      return "x64";
    case PeMachine::Arm64:
      return "ARM64";
    case PeMachine::Unknown:
      return "unknown";
  }
  return "another machine";
}

}  // namespace zvt
