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
bool IsPrivateMessage(UINT message, PrivateMessage which);

// Posts the private message with this process's token as lParam; nothing when it is
// not registered.
void PostPrivateMessage(HWND hwnd, PrivateMessage which);

// A number drawn once per process, which Quiltmark's own posts of its private
// messages carry in lParam: another program that learns a message's name cannot
// also know it.
LPARAM PrivateMessageToken();

// Ends the thread's message loop: PostQuitMessage, marked as Quiltmark's own so that
// a WM_QUIT another program posts is not taken for it.
void PostQuit(int exitCode);

// WM_GETDPISCALEDSIZE (Windows 10 1703 and later), which the headers name only for
// programs that require such a system: the system asks a window, before a move to a
// monitor of another DPI, what size it will take there.
constexpr UINT kGetDpiScaledSize = 0x02E4;

// Whether a message taken off the queue can only have been posted by another
// program: numbers of the window class's own posted to a window of Quiltmark's making
// (its parameters may be pointers into the sender), WM_DPICHANGED and
// WM_GETDPISCALEDSIZE, which the system sends, a WM_QUIT not asked for, Quiltmark's
// private requests without its token.
// Quiltmark's own loops pass these over.
bool IsForgedPost(const MSG& msg);

// While a loop of the system's runs on this thread (a message box, a menu, moving the
// window), what it takes off the queue is screened the same way and a forged post
// becomes WM_NULL. Only then: under Wine every screened message costs a round trip
// to the server, too slow for a flood in the program's own loop. Nested, counted.
void EnterSystemLoop();
void LeaveSystemLoop();

// A message box, say, shown for the scope's life.
class SystemLoopScope {
 public:
  SystemLoopScope();
  ~SystemLoopScope();
  SystemLoopScope(const SystemLoopScope&) = delete;
  SystemLoopScope& operator=(const SystemLoopScope&) = delete;
};

// A dialog box of the system's class: a message box among them.
inline bool IsDialogBox(HWND hwnd) {
  constexpr ULONG_PTR kDialogAtom = 32770;
  return hwnd && GetClassLongPtrW(hwnd, GCW_ATOM) == kDialogAtom;
}

// A message of the numbers each window class gives a meaning of its own (from
// WM_USER up to the registered ones), sent from another thread. Quiltmark sends its
// own windows none of them from another thread, so it comes from another program,
// and a pointer in it points into that program: it is ignored.
inline bool IsForeignClassMessage(UINT message) {
  return message >= WM_USER && message < 0xC000 && InSendMessage();
}
