// Keeping a group's grid: the window-event hooks, the checks where events do not
// arrive, and the arrangements that follow a settled burst of changes.
#include <algorithm>

#include "base/application.h"
#include "base/memory.h"
#include "engine/watch.h"
#include "engine/window_manager.h"

namespace {

// A burst of changes has settled once nothing changed for this long.
constexpr DWORD kQuietMs = 50;
// Where the system's events do not arrive, the windows that could match are checked
// this often; the whole desktop is walked as often where creation is not reported
// either, and otherwise now and then, for a creation the events missed.
constexpr DWORD kPollMs = 250;
constexpr DWORD kScanMs = 10000;
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
      order_(placed),
      group_(placed) {
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
  // Whether the system reports creation at all: a hidden window of our own, made under
  // a hook that does not pass over this process. Its event comes with the messages.
  probeHook_ = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, OnWinEvent, 0, 0,
                               WINEVENT_OUTOFCONTEXT);
  if (probeHook_)
    probe_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  // The first check at once, so that later ones see what is new.
  polledAt_ = GetTickCount() - kPollMs;
  scannedAt_ = GetTickCount() - kScanMs;
  if (placed.empty()) {
    due_ = true;
    changedAt_ = GetTickCount() - kQuietMs;
  }
  Schedule();
}

Watch::~Watch() {
  EndProbe();
  for (HWINEVENTHOOK hook : hooks_) UnhookWinEvent(hook);
  KillTimer(host_, timer_);
  std::erase(Watches(), this);
}

bool Watch::InGroup(HWND hwnd) const {
  return std::ranges::find(group_, HandleOf(hwnd)) != group_.end();
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

void Watch::Compare(HWND hwnd, bool qualifies) {
  if (InGroup(hwnd) == qualifies) return;
  if (qualifies) {
    group_.push_back(HandleOf(hwnd));
    AddCandidate(hwnd);
  } else {
    std::erase(group_, HandleOf(hwnd));
  }
  Changed();
}

void Watch::EndProbe() {
  if (probeHook_) UnhookWinEvent(probeHook_);
  if (probe_) DestroyWindow(probe_);
  probeHook_ = nullptr;
  probe_ = nullptr;
}

void Watch::Seen(DWORD event, HWND hwnd) {
  // Only the probe's hook tells of this process's own windows: creation is reported.
  if (event == EVENT_OBJECT_CREATE && IsOurs(hwnd)) {
    seenCreate_ = true;
    return;
  }
  if (event == EVENT_OBJECT_DESTROY) {
    // Known as a top-level window: the events do tell of closing.
    if (std::ranges::binary_search(known_, hwnd, {}, &std::pair<HWND, bool>::first))
      seenDestroy_ = true;
    if (InGroup(hwnd)) Compare(hwnd, false);
    return;
  }
  if (!IsTopLevel(hwnd)) return;
  switch (event) {
    case EVENT_OBJECT_CREATE:
      seenCreate_ = true;
      // Its class and program are there from the start; its title and showing
      // usually follow a moment later. (Both hooks tell of it while the probe's lasts.)
      if (Polling() && std::ranges::find(candidates_, hwnd) == candidates_.end() &&
          matcher_.LastingMatch(hwnd)) {
        AddCandidate(hwnd);
        fresh_.push_back({hwnd, GetTickCount()});
        Schedule();
      }
      return;
    case EVENT_OBJECT_SHOW: seenShow_ = true; break;
    case EVENT_OBJECT_HIDE: seenHide_ = true; break;
    case EVENT_OBJECT_NAMECHANGE: seenName_ = true; break;
    default: break;
  }
  Compare(hwnd, Qualifies(hwnd));
}

void Watch::AddCandidate(HWND hwnd) {
  if (std::ranges::find(candidates_, hwnd) == candidates_.end()) candidates_.push_back(hwnd);
}

// What may change of a window that could match: whether it is shown, its title and
// its cloaking.
bool Watch::QualifiesNow(HWND hwnd) const {
  return IsWindowVisible(hwnd) && matcher_.TitleMatches(hwnd) && !IsCloaked(hwnd);
}

void Watch::LookAtFresh() {
  freshLookedAt_ = GetTickCount();
  std::erase_if(fresh_, [this](const Fresh& f) {
    if (!IsWindow(f.hwnd)) return true;
    const bool qualifies = QualifiesNow(f.hwnd);
    Compare(f.hwnd, qualifies);
    // Looked at for the last time once it has been up a while.
    return qualifies || !Left(f.since, kFreshMs);
  });
}

void Watch::Scan() {
  scannedAt_ = GetTickCount();
  const std::vector<void*> windows = TopLevelWindows();
  std::vector<std::pair<HWND, bool>> known;
  known.reserve(windows.size());
  candidates_.clear();
  // From the bottom of the stacking order up: of windows that appeared since the last
  // check, the older ones are usually the lower ones.
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    HWND hwnd = static_cast<HWND>(*it);
    // What a window keeps all its life is read once, unless its program could not be
    // asked.
    auto at = std::ranges::lower_bound(known_, hwnd, {}, &std::pair<HWND, bool>::first);
    bool settled = true;
    const bool lasting = at != known_.end() && at->first == hwnd
                             ? at->second
                             : !IsOurs(hwnd) && matcher_.LastingMatch(hwnd, &settled);
    if (settled) known.emplace_back(hwnd, lasting);
    if (lasting) candidates_.push_back(hwnd);
  }
  std::ranges::sort(known);
  known_ = std::move(known);
}

void Watch::Poll() {
  polledAt_ = GetTickCount();
  if (!Left(scannedAt_, seenCreate_ ? kScanMs : 0)) Scan();
  std::erase_if(candidates_, [](HWND hwnd) { return !IsWindow(hwnd); });
  for (HWND hwnd : candidates_) Compare(hwnd, QualifiesNow(hwnd));
  // A member that is not there at all any more.
  for (size_t i = group_.size(); i-- > 0;)
    if (!IsWindow(WindowOf(group_[i]))) Compare(WindowOf(group_[i]), false);
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
    for (int32_t i = 1; i <= list.Count(); ++i)
      order_.push_back(ReadArrayElement(list.get(), i, 0, 0));
  } else {
    // The group as the events and checks left it: the placed windows in their order,
    // then the newcomers in the order they appeared.
    order_ = KeptOrder(order_, group_, found);
  }
  group_ = order_;
  for (int32_t handle : order_) AddCandidate(WindowOf(handle));
  if (order_.empty()) return;
  // The area as it is now; a monitor that has gone leaves the primary screen's.
  WorkArea area = ComputeWorkArea();
  if (monitor_ > 0) {
    const std::vector<Monitor> monitors = ListMonitors();
    if (static_cast<size_t>(monitor_) <= monitors.size())
      area = WorkAreaOf(monitors[static_cast<size_t>(monitor_ - 1)]);
  }
  // A screen too small for the request leaves the windows where they are.
  if (CheckArrangeRequest(request_, area) != ArrangeRefusal::kNone ||
      CheckGrid(request_, area, static_cast<int32_t>(order_.size())) != ArrangeRefusal::kNone)
    return;
  WindowList arranged;
  for (int32_t handle : order_) arranged.Append(handle);
  arrangement_ = std::make_unique<Arrangement>(arranged, request_, area, host_, message_, true);
}

void Watch::Continue() {
  timerSet_ = false;
  if (g_app.reportingFault) return;
  if (seenCreate_ && probeHook_) EndProbe();
  if (arrangement_ && arrangement_->Advance()) arrangement_.reset();
  if (due_ && !arrangement_ && !Left(changedAt_, kQuietMs)) {
    Rearrange();
    if (arrangement_ && arrangement_->Advance()) arrangement_.reset();
  }
  if (!fresh_.empty() && !Left(freshLookedAt_, kFreshStepMs)) LookAtFresh();
  if (Polling() && !Left(polledAt_, kPollMs)) Poll();
  Schedule();
}

void Watch::Schedule() {
  DWORD wait = kNever;
  if (arrangement_) wait = std::min<DWORD>(wait, arrangement_->WaitMs());
  if (due_ && !arrangement_) wait = std::min(wait, Left(changedAt_, kQuietMs));
  if (!fresh_.empty()) wait = std::min(wait, Left(freshLookedAt_, kFreshStepMs));
  if (Polling()) wait = std::min(wait, Left(polledAt_, kPollMs));
  if (wait == kNever) {
    KillTimer(host_, timer_);
    timerSet_ = false;
    return;
  }
  // Only ever earlier: a stream of events must not keep putting the timer off.
  const DWORD at = GetTickCount() + wait;
  if (timerSet_ && static_cast<LONG>(at - timerAt_) >= 0) return;
  SetTimer(host_, timer_, std::max<DWORD>(wait, USER_TIMER_MINIMUM), nullptr);
  timerSet_ = true;
  timerAt_ = at;
}
