#pragma once
// The messages Quiltmark sends and posts to its own windows. Each is registered under
// a name of the program's own, so that nothing another program sends or broadcasts
// (the WM_APP range, say) is ever taken for one of them.
#include <windows.h>

enum class PrivateMessage {
  kShutdown,    // to the hidden owner: a shutdown asked for on another thread
  kDeferred,    // to the main window: run the routine a handler left for the loop
  kArrange,     // to the main window: a move has finished, carry the arrangement on
  kItemChosen,  // to a combo box: its list closed on a choice
  kStopWatch,   // from Quiltmark.exe --stop to a watch's window: end the watch; the
                // only one that comes from another process
  kCount
};

// The message's number; 0 when the system could not register it, and then it is
// never posted or recognised.
UINT PrivateMessageId(PrivateMessage which);

// Whether `message` is that private message.
inline bool IsPrivateMessage(UINT message, PrivateMessage which) {
  const UINT id = PrivateMessageId(which);
  return id != 0 && message == id;
}

// Posts the private message with no arguments; nothing when it is not registered.
void PostPrivateMessage(HWND hwnd, PrivateMessage which);
