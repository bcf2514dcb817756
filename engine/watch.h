#pragma once
// Keeping one group of windows in its grid as its members come and go: whenever a
// matching window is shown, hidden, closed, or starts or stops matching by its title,
// and whenever the work area changes, the group is arranged again with the same
// request, once a burst of changes has settled.
//
// The system's window events say what changed where they arrive. Where a kind of
// event has not been seen to arrive (Wine reports creation only), the desktop is also
// checked every kPollMs, and a window just created is looked at more often until it
// has been up for a moment. A program that does not answer holds nothing up: each
// arrangement is an Arrangement, carried on by the host window's timer and message.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/arrange.h"

class Watch {
 public:
  // The host is a window of this thread whose procedure hands `timer` and `message`
  // to Continue(). `placed` are the windows already in their cells, in the grid's
  // order; with none, the first arrangement comes at once. `monitor` counts from 1;
  // 0 is the primary screen less the taskbar. With `byTitle` the titles' natural
  // order decides the cells, else the order of placing and appearing.
  Watch(const ArrangeRequest& request, bool byTitle, int32_t monitor,
        const std::vector<int32_t>& placed, HWND host, UINT message, UINT_PTR timer);
  ~Watch();
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  // The work area changed (a taskbar moved, the resolution, the monitors).
  void WorkAreaChanged() { Changed(); }
  // What the host's timer and message call: whatever is due now.
  void Continue();

  // The grid's windows in their order, as last arranged.
  const std::vector<int32_t>& Order() const { return order_; }

  // From the window-event hook.
  void Seen(DWORD event, HWND hwnd);

 private:
  struct Fresh {
    HWND hwnd;
    DWORD since;
  };
  bool IsMember(HWND hwnd) const;
  bool Qualifies(HWND hwnd) const;
  void Changed();
  void Poll();
  void LookAtFresh();
  void Rearrange();
  bool Polling() const;
  void Schedule();

  ArrangeRequest request_;
  bool byTitle_;
  int32_t monitor_;
  HWND host_;
  UINT message_;
  UINT_PTR timer_;
  WindowMatcher matcher_;
  std::vector<HWINEVENTHOOK> hooks_;
  std::vector<int32_t> order_;
  std::vector<int32_t> appeared_;  // since the last arrangement, in order
  std::vector<Fresh> fresh_;
  // Top-level windows of the last check, sorted, and whether each could ever match
  // (class and program, which a window keeps).
  std::vector<std::pair<HWND, bool>> known_;
  std::unique_ptr<Arrangement> arrangement_;
  bool due_ = false;
  DWORD changedAt_ = 0;  // the last change of the burst
  DWORD polledAt_ = 0;
  // The kinds of event that have been seen to arrive from other programs.
  bool seenShow_ = false, seenHide_ = false, seenDestroy_ = false, seenName_ = false;
};
