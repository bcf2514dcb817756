// The window search: every top-level window whose class and title match, collected
// in the system's order before anything is moved.
#include <windows.h>

#include "base/sysfn.h"
#include "engine/search.h"

// The fault site of the search's system call.
constexpr FaultLocation kFindWindowSite = {67174419, 73};

void WindowList::Append(int32_t handle) {
  MakeArrayPrivate(4, block_);
  int32_t count = ArrayElementCount(block_);
  int32_t dims = block_[0];
  block_ = static_cast<int32_t*>(ReallocBlock(block_, 4 + 4 * dims + 4 * (count + 1)));
  block_[1] = count + 1;
  block_[1 + dims + count] = handle;
}

bool FindMatchingWindows(const char* className, const char* title, WindowList& list) {
  // FindWindowExA walks the stacking order from the top; raising a window while it
  // walks would re-order what is left of it, so all are collected before any moves.
  list.Clear();
  uintptr_t after = 0;
  for (;;) {
    uintptr_t h =
        CallSystemFunction(kFindWindowExA, kFindWindowSite, nullptr, after, className, title);
    if (!h) break;
    // A window handle has 32 significant bits on x64 as well: the list keeps them, and
    // the arrangement sign-extends them back.
    list.Append(static_cast<int32_t>(h));
    after = h;
  }
  return list.Count() >= 1;
}
