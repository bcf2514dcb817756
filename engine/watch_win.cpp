// Keeping a group's grid: the window-event hooks, the checks where events do not
// arrive, and the arrangements that follow a settled burst of changes.
#include "engine/watch.h"

#include <algorithm>

#include "base/application.h"
#include "base/memory.h"
#include "engine/window_manager.h"

namespace {

// A burst of changes has settled once nothing changed for this long.
constexpr DWORD kQuietMs = 100;
// Where the system's events do not arrive, the desktop is checked this often.
constexpr DWORD kPollMs = 250;
// A window just created is looked at this often until it has been up this long: it
// is usually shown and named a moment after it is made.
constexpr DWORD kFreshStepMs = 50;
constexpr DWORD kFreshMs = 2000;
constexpr DWORD kNever = 0xFFFFFFFF;
// Windows 8's cloaking events, declared by the headers only for builds that need 8.
constexpr DWORD kEventCloaked = 0x8017, kEventUncloaked = 0x8018;

// The watches of this thread; the events arrive on the thread that hooked them.
std::vector<Watch*>& Watches() {
  static std::vector<Watch*> watches;
  return watches;
}

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                         DWORD) {
  if (object != OBJID_WINDOW || child != CHILDID_SELF || !hwnd || g_app.reportingFault) return;
  for (Watch* watch : Watches()) watch->Seen(event, hwnd);
}

int32_t HandleOf(HWND hwnd) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd)); }
HWND WindowOf(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

bool IsTopLevel(HWND hwnd) { return GetAncestor(hwnd, GA_PARENT) == GetDesktopWindow(); }

bool IsOurs(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid == GetCurrentProcessId();
}

DWORD Left(DWORD since, DWORD span) {
  DWORD spent = GetTickCount() - since;
  return spent < span ? span - spent : 0;
}

}  // namespace

Watch::Watch(const ArrangeRequest& request, bool byTitle, int32_t monitor,
             const std::vector<int32_t>& placed, HWND host, UINT message, UINT_PTR timer)
    : request_(request),
      byTitle_(byTitle),
      monitor_(monitor),
      host_(host),
      message_(message),
      timer_(timer),
      matcher_(request.className.empty() ? nullptr : request.className.c_str(),
               request.title.empty() ? nullptr : request.title.c_str(),
               request.program.empty() ? nullptr : request.program.c_str()),
      order_(placed) {
  Watches().push_back(this);
  // Shown, hidden, created and destroyed; named; cloaked and uncloaked. Not the
  // ranges between, which carry every move and focus change on the desktop.
  const DWORD kRanges[][2] = {{EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE},
                              {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE},
                              {kEventCloaked, kEventUncloaked}};
  for (const auto& range : kRanges)
    if (HWINEVENTHOOK hook = SetWinEventHook(range[0], range[1], nullptr, OnWinEvent, 0, 0,
                                             WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS))
      hooks_.push_back(hook);
  // The first check at once, so that later ones see what is new.
  polledAt_ = GetTickCount() - kPollMs;
  if (placed.empty()) {
    due_ = true;
    changedAt_ = GetTickCount() - kQuietMs;
  }
  Schedule();
}

Watch::~Watch() {
  for (HWINEVENTHOOK hook : hooks_) UnhookWinEvent(hook);
  KillTimer(host_, timer_);
  std::erase(Watches(), this);
}

bool Watch::IsMember(HWND hwnd) const {
  return std::ranges::find(order_, HandleOf(hwnd)) != order_.end();
}

// A member of the group: a visible, uncloaked window of another program that matches.
bool Watch::Qualifies(HWND hwnd) const {
  return IsWindowVisible(hwnd) && matcher_.TitleMatches(hwnd) && !IsOurs(hwnd) &&
         matcher_.LastingMatch(hwnd) && !IsCloaked(hwnd);
}

bool Watch::Polling() const {
  return !(seenShow_ && seenHide_ && seenDestroy_ && (seenName_ || !matcher_.HasTitle()));
}

void Watch::Changed() {
  due_ = true;
  changedAt_ = GetTickCount();
  Schedule();
}

void Watch::Seen(DWORD event, HWND hwnd) {
  switch (event) {
    case EVENT_OBJECT_DESTROY:
      seenDestroy_ = true;
      if (IsMember(hwnd)) Changed();
      return;
    case EVENT_OBJECT_CREATE:
      if (Polling() && IsTopLevel(hwnd)) {
        fresh_.push_back({hwnd, GetTickCount()});
        Schedule();
      }
      return;
    case EVENT_OBJECT_SHOW: seenShow_ = true; break;
    case EVENT_OBJECT_HIDE: seenHide_ = true; break;
    case EVENT_OBJECT_NAMECHANGE: seenName_ = true; break;
    default: break;
  }
  if (!IsTopLevel(hwnd)) return;
  const bool qualifies = Qualifies(hwnd);
  if (IsMember(hwnd) == qualifies) return;
  if (qualifies) appeared_.push_back(HandleOf(hwnd));
  Changed();
}

void Watch::LookAtFresh() {
  std::erase_if(fresh_, [this](const Fresh& f) {
    if (!IsWindow(f.hwnd) || !Left(f.since, kFreshMs)) return true;
    if (IsMember(f.hwnd) || !Qualifies(f.hwnd)) return false;
    appeared_.push_back(HandleOf(f.hwnd));
    Changed();
    return true;
  });
}

void Watch::Poll() {
  polledAt_ = GetTickCount();
  std::vector<void*> windows = TopLevelWindows();
  std::ranges::sort(windows);
  std::vector<std::pair<HWND, bool>> known;
  known.reserve(windows.size());
  bool changed = false;
  for (void* window : windows) {
    HWND hwnd = static_cast<HWND>(window);
    // What a window keeps all its life is read once.
    auto it = std::ranges::lower_bound(known_, hwnd, {}, &std::pair<HWND, bool>::first);
    const bool lasting = it != known_.end() && it->first == hwnd
                             ? it->second
                             : !IsOurs(hwnd) && matcher_.LastingMatch(hwnd);
    known.emplace_back(hwnd, lasting);
    if (!lasting) continue;
    const bool qualifies = IsWindowVisible(hwnd) && matcher_.TitleMatches(hwnd) && !IsCloaked(hwnd);
    if (IsMember(hwnd) == qualifies) continue;
    if (qualifies) appeared_.push_back(HandleOf(hwnd));
    changed = true;
  }
  known_ = std::move(known);
  // A member that is no longer there at all.
  for (int32_t handle : order_)
    if (!std::ranges::binary_search(windows, static_cast<void*>(WindowOf(handle)))) changed = true;
  if (changed) Changed();
}

void Watch::Rearrange() {
  due_ = false;
  WindowList list;
  FindRequestedWindows(request_, list);
  std::vector<int32_t> found;
  for (int32_t i = 1; i <= list.Count(); ++i) {
    const int32_t handle = ReadArrayElement(list.get(), i, 0, 0);
    HWND hwnd = WindowOf(handle);
    if (IsWindowVisible(hwnd) && !IsOurs(hwnd)) found.push_back(handle);
  }
  if (byTitle_) {
    list.Clear();
    for (int32_t handle : found) list.Append(handle);
    SortByTitle(list);
    order_.clear();
    for (int32_t i = 1; i <= list.Count(); ++i) order_.push_back(ReadArrayElement(list.get(), i, 0, 0));
  } else {
    order_ = KeptOrder(order_, appeared_, found);
  }
  appeared_.clear();
  if (order_.empty()) return;
  // The area as it is now; a monitor that has gone leaves the primary screen's.
  WorkArea area = ComputeWorkArea();
  if (monitor_ > 0) {
    const std::vector<Monitor> monitors = ListMonitors();
    if (static_cast<size_t>(monitor_) <= monitors.size())
      area = WorkAreaOf(monitors[static_cast<size_t>(monitor_ - 1)]);
  }
  // A screen too small for the request leaves the windows where they are.
  if (CheckArrangeRequest(request_, area) != ArrangeRefusal::kNone) return;
  WindowList arranged;
  for (int32_t handle : order_) arranged.Append(handle);
  arrangement_ = std::make_unique<Arrangement>(arranged, request_, area, host_, message_);
}

void Watch::Continue() {
  if (g_app.reportingFault) return;
  if (arrangement_ && arrangement_->Advance()) arrangement_.reset();
  LookAtFresh();
  if (Polling() && !Left(polledAt_, kPollMs)) Poll();
  if (due_ && !arrangement_ && !Left(changedAt_, kQuietMs)) {
    Rearrange();
    if (arrangement_ && arrangement_->Advance()) arrangement_.reset();
  }
  Schedule();
}

void Watch::Schedule() {
  DWORD wait = kNever;
  if (arrangement_) wait = std::min<DWORD>(wait, arrangement_->WaitMs());
  if (due_ && !arrangement_) wait = std::min(wait, Left(changedAt_, kQuietMs));
  if (Polling()) wait = std::min(wait, Left(polledAt_, kPollMs));
  if (!fresh_.empty()) wait = std::min(wait, kFreshStepMs);
  if (wait == kNever)
    KillTimer(host_, timer_);
  else
    SetTimer(host_, timer_, std::max<DWORD>(wait, USER_TIMER_MINIMUM), nullptr);
}
