// The private messages, registered once by name.
#include "base/messages.h"

UINT PrivateMessageId(PrivateMessage which) {
  static const struct Ids {
    UINT id[static_cast<int>(PrivateMessage::kCount)];
    Ids() {
      const wchar_t* const kNames[] = {L"Quiltmark.Shutdown", L"Quiltmark.Deferred",
                                       L"Quiltmark.Arrange", L"Quiltmark.ItemChosen",
                                       L"Quiltmark.StopWatch"};
      static_assert(sizeof kNames / sizeof kNames[0] == sizeof id / sizeof id[0]);
      for (int i = 0; i < static_cast<int>(PrivateMessage::kCount); ++i)
        id[i] = RegisterWindowMessageW(kNames[i]);
    }
  } ids;
  return ids.id[static_cast<int>(which)];
}

void PostPrivateMessage(HWND hwnd, PrivateMessage which) {
  if (UINT id = PrivateMessageId(which)) PostMessageW(hwnd, id, 0, 0);
}
