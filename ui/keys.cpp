// The key codes the common events report.
#include "ui/keys.h"

int32_t EventKeyCode(int32_t virtualKey) {
  if (virtualKey >= 0x60 && virtualKey <= 0x69) return virtualKey - 0x60 + 0x30;
  switch (virtualKey) {
    case 0x6D: return 0xBD;
    case 0x6E: return 0xBE;
    case 0x6F: return 0xBF;
    default: return virtualKey;
  }
}
