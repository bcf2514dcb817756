// A program's own windows, as a taskbar shows them.
#include "engine/program_windows.h"

namespace {

// The extended styles the decision reads, as the system numbers them.
constexpr uint32_t kToolWindow = 0x00000080;
constexpr uint32_t kAppWindow = 0x00040000;

}  // namespace

bool IsProgramWindow(const WindowTraits& w) {
  if (!w.visible || w.cloaked || (w.exStyle & kToolWindow)) return false;
  return !w.owned || (w.exStyle & kAppWindow);
}
