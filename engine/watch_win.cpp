// Keeping a group's grid: the window-event hooks, the checks where events do not
// arrive, and the arrangements that follow a settled burst of changes.
#include <algorithm>
#include <string>

#include "base/application.h"
#include "base/memory.h"
#include "base/services.h"
#include "engine/watch.h"
#include "engine/window_manager.h"

namespace {

// A burst of changes has settled once nothing changed for this long.
constexpr DWORD kQuietMs = 50;
// A stream of changes (a title that ticks) is arranged this long after its first.
constexpr DWORD kBurstMs = 500;
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
// For the tests only: the events alone decide, as where the system reports every kind,
// so that this path is run where it does not.
constexpr wchar_t kEventsOnlyVariable[] = L"QM_WATCH_EVENTS_ONLY";

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

bool EventsOnly() {
  wchar_t value[4] = {};
  return GetEnvironmentVariableW(kEventsOnlyVariable, value, 4) == 1 && value[0] == L'1';
}

// Still the user's after being maximised: maximised, made full screen from there (a
// full-screen mode restores the window and then covers the monitor), or being dragged
// or sized by the user this moment.
bool HeldByUser(HWND hwnd) {
  if (IsZoomed(hwnd)) return true;
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &gui) &&
      (gui.flags & GUI_INMOVESIZE) && gui.hwndMoveSize == hwnd)
    return true;
  MONITORINFO mi = {};
  mi.cbSize = sizeof mi;
  RECT r;
  return GetWindowRect(hwnd, &r) &&
         GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi) &&
         r.left <= mi.rcMonitor.left && r.top <= mi.rcMonitor.top &&
         r.right >= mi.rcMonitor.right && r.bottom >= mi.rcMonitor.bottom;
}

bool Contains(const std::vector<int32_t>& handles, int32_t handle) {
  return std::ranges::find(handles, handle) != handles.end();
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
               request.program.empty() ? nullptr : request.program.c_str(),
               request.titlePattern.empty() ? nullptr : request.titlePattern.c_str()),
      eventsOnly_(EventsOnly()),
      order_(placed),
      memory_(placed),
      group_(placed) {
  Watches().push_back(this);
  outstanding_.notify = host;
  outstanding_.message = message;
  // Shown, hidden, created and destroyed; named; minimised and restored; cloaked and
  // uncloaked. Not the ranges between, which carry every move and focus change on
  // the desktop.
  const DWORD kRanges[][2] = {{EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE},
                              {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE},
                              {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND},
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
    changedAt_ = burstAt_ = GetTickCount() - kQuietMs;
  }
  Schedule();
}

Watch::~Watch() {
  EndProbe();
  for (HWINEVENTHOOK hook : hooks_) UnhookWinEvent(hook);
  for (const MoveHooks& h : moveHooks_) {
    if (h.moved) UnhookWinEvent(h.moved);
    if (h.dropped) UnhookWinEvent(h.dropped);
  }
  KillTimer(host_, timer_);
  std::erase(Watches(), this);
}

bool Watch::InGroup(HWND hwnd) const { return Contains(group_, HandleOf(hwnd)); }

// A member of the group: a window of another program that matches, in sight and not
// minimised (a minimised member gives its cell up until it comes back).
bool Watch::Qualifies(HWND hwnd) const {
  return QualifiesNow(hwnd) && !IsOurs(hwnd) && matcher_.LastingMatch(hwnd);
}

bool Watch::Polling() const {
  if (eventsOnly_) return false;
  return !(seenShow_ && seenHide_ && seenDestroy_ && (seenName_ || !matcher_.HasTitle()));
}

void Watch::Changed() {
  if (!due_) burstAt_ = GetTickCount();
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
  // From the threads of maximised members only.
  if (event == EVENT_OBJECT_LOCATIONCHANGE || event == EVENT_SYSTEM_MOVESIZEEND) {
    if (std::ranges::find(maximised_, HandleOf(hwnd), &std::pair<int32_t, size_t>::first) !=
            maximised_.end() &&
        MaximisedRestored())
      Changed();
    return;
  }
  if (event == EVENT_OBJECT_DESTROY) {
    // Known as a top-level window: the events do tell of closing.
    if (std::ranges::binary_search(known_, hwnd, {}, &std::pair<HWND, bool>::first))
      seenDestroy_ = true;
    Forget(hwnd);
    return;
  }
  if (!IsTopLevel(hwnd)) return;
  switch (event) {
    case EVENT_OBJECT_CREATE:
      seenCreate_ = true;
      // Its class and program are there from the start; its title and showing
      // usually follow a moment later. (Both hooks tell of it while the probe's lasts.)
      if (Polling() && !candidateSet_.contains(hwnd) && matcher_.LastingMatch(hwnd)) {
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
  const bool member = InGroup(hwnd);
  Compare(hwnd, Qualifies(hwnd));
  // Renamed and still a member: the titles decide its cell.
  if (event == EVENT_OBJECT_NAMECHANGE && byTitle_ && member && InGroup(hwnd) && !TitlesInOrder())
    Changed();
}

void Watch::AddCandidate(HWND hwnd) {
  if (candidateSet_.insert(hwnd).second) candidates_.push_back(hwnd);
}

// A closed window: out of the group, the candidates and the order kept.
void Watch::Forget(HWND hwnd) {
  if (InGroup(hwnd)) Compare(hwnd, false);
  if (candidateSet_.erase(hwnd)) std::erase(candidates_, hwnd);
  std::erase(memory_, HandleOf(hwnd));
}

// What may change of a window that could match: whether it is in sight (shown and not
// cloaked; of a program, one of its own windows), minimised, and its title.
bool Watch::QualifiesNow(HWND hwnd) const {
  return matcher_.InSight(hwnd) && !IsIconic(hwnd) && matcher_.TitleMatches(hwnd);
}

// Whether the members' titles still give the order they were placed in.
bool Watch::TitlesInOrder() const {
  std::vector<NamedWindow> named;
  for (int32_t handle : order_)
    if (InGroup(WindowOf(handle)) && !IsZoomed(WindowOf(handle)))
      named.push_back(
          {GetStoredTitle(WindowOf(handle)), GetWindowClassName(WindowOf(handle)).c_str()});
  const std::vector<size_t> sorted = TitleOrder(named, CompareTitles);
  return std::ranges::is_sorted(sorted);
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
  candidateSet_.clear();
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
    if (lasting) AddCandidate(hwnd);
  }
  std::ranges::sort(known);
  known_ = std::move(known);
}

void Watch::Poll() {
  polledAt_ = GetTickCount();
  if (!Left(scannedAt_, seenCreate_ ? kScanMs : 0)) Scan();
  std::erase_if(candidates_, [this](HWND hwnd) {
    if (IsWindow(hwnd)) return false;
    candidateSet_.erase(hwnd);
    return true;
  });
  for (HWND hwnd : candidates_) Compare(hwnd, QualifiesNow(hwnd));
  // A member that is not there at all any more.
  for (size_t i = group_.size(); i-- > 0;)
    if (!IsWindow(WindowOf(group_[i]))) Forget(WindowOf(group_[i]));
  // A member renamed in place, or made normal again, which no event told of.
  if (byTitle_ && !due_ && !TitlesInOrder()) Changed();
  if (!due_ && MaximisedRestored()) Changed();
}

// A member that kept its cell maximised and is normal again is at the rectangle it had
// before, which need not be its cell any more.
bool Watch::MaximisedRestored() const {
  return std::ranges::any_of(maximised_, [](const std::pair<int32_t, size_t>& m) {
    return IsWindow(WindowOf(m.first)) && !HeldByUser(WindowOf(m.first));
  });
}

// Nothing else tells of a window made normal again: the moves in its program are
// followed while it has a maximised member, and only then. (By program: Wine reports
// nothing to a hook set on another program's thread.)
void Watch::HookMaximisedPrograms() {
  std::vector<DWORD> programs;
  for (const auto& [handle, cell] : maximised_) {
    DWORD program = 0;
    if (GetWindowThreadProcessId(WindowOf(handle), &program)) programs.push_back(program);
  }
  std::erase_if(moveHooks_, [&](const MoveHooks& h) {
    if (std::ranges::find(programs, h.program) != programs.end()) return false;
    if (h.moved) UnhookWinEvent(h.moved);
    if (h.dropped) UnhookWinEvent(h.dropped);
    return true;
  });
  for (DWORD program : programs) {
    if (std::ranges::find(moveHooks_, program, &MoveHooks::program) != moveHooks_.end()) continue;
    moveHooks_.push_back({program,
                          SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE,
                                          nullptr, OnWinEvent, program, 0, WINEVENT_OUTOFCONTEXT),
                          SetWinEventHook(EVENT_SYSTEM_MOVESIZEEND, EVENT_SYSTEM_MOVESIZEEND,
                                          nullptr, OnWinEvent, program, 0, WINEVENT_OUTOFCONTEXT)});
  }
}

// A member the user maximised keeps its cell while it stays so, whoever comes or
// goes: the others fill the cells around it. One that joins maximised (at the start,
// opened so, back from elsewhere) keeps the cell the order gives it.
void Watch::KeepMaximisedCells(const std::vector<int32_t>& before) {
  const auto kept = [this](int32_t handle) {
    return std::ranges::find(maximised_, handle, &std::pair<int32_t, size_t>::first) !=
           maximised_.end();
  };
  std::erase_if(maximised_, [this](const std::pair<int32_t, size_t>& m) {
    return !Contains(order_, m.first) || !HeldByUser(WindowOf(m.first));
  });
  for (size_t i = 0; i < before.size(); ++i)
    if (Contains(order_, before[i]) && IsZoomed(WindowOf(before[i])) && !kept(before[i]))
      maximised_.push_back({before[i], i});
  for (size_t i = 0; i < order_.size(); ++i)
    if (IsZoomed(WindowOf(order_[i])) && !kept(order_[i])) maximised_.push_back({order_[i], i});
  std::ranges::sort(maximised_, {}, &std::pair<int32_t, size_t>::second);
  for (const auto& [handle, cell] : maximised_) std::erase(order_, handle);
  // Its cell, or the last while fewer are left than it had before it.
  for (const auto& [handle, cell] : maximised_)
    order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(std::min(cell, order_.size())),
                  handle);
  HookMaximisedPrograms();
}

void Watch::Rearrange() {
  due_ = false;
  WindowList list;
  FindRequestedWindows(request_, list);
  std::vector<int32_t> found;
  for (int32_t i = 1; i <= list.Count(); ++i) {
    const int32_t handle = ReadArrayElement(list.get(), i, 0, 0);
    HWND hwnd = WindowOf(handle);
    if (QualifiesNow(hwnd) && !IsOurs(hwnd)) found.push_back(handle);
  }
  // The order of every window placed so far lasts as long as the window.
  std::erase_if(memory_, [](int32_t handle) { return !IsWindow(WindowOf(handle)); });
  const std::vector<int32_t> before = order_;
  if (byTitle_) {
    list.Clear();
    for (int32_t handle : found) list.Append(handle);
    SortByTitle(list);
    order_.clear();
    for (int32_t i = 1; i <= list.Count(); ++i)
      order_.push_back(ReadArrayElement(list.get(), i, 0, 0));
  } else {
    // Every window placed before takes its old place, whether or not it was in the
    // last grid; then the newcomers in the order they appeared.
    order_ = KeptOrder(memory_, group_, found);
  }
  KeepMaximisedCells(before);
  for (int32_t handle : order_)
    if (!Contains(memory_, handle)) memory_.push_back(handle);
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
  arrangement_ =
      std::make_unique<Arrangement>(arranged, request_, area, host_, message_, &outstanding_);
}

void Watch::Continue() {
  timerSet_ = false;
  if (g_app.reportingFault) return;
  if (seenCreate_ && probeHook_) EndProbe();
  // A program that did not answer an earlier arrangement has now: its windows are
  // placed again, where the requests queued to it may have put them.
  if (outstanding_.Settled()) Changed();
  if (arrangement_ && arrangement_->Advance()) arrangement_.reset();
  if (due_ && !arrangement_ && !QuietLeft()) {
    Rearrange();
    if (arrangement_ && arrangement_->Advance()) arrangement_.reset();
  }
  if (!fresh_.empty() && !Left(freshLookedAt_, kFreshStepMs)) LookAtFresh();
  if (Polling() && !Left(polledAt_, kPollMs)) Poll();
  Schedule();
}

DWORD Watch::QuietLeft() const {
  return std::min(Left(changedAt_, kQuietMs), Left(burstAt_, kBurstMs));
}

void Watch::Schedule() {
  DWORD wait = kNever;
  if (arrangement_) wait = std::min<DWORD>(wait, arrangement_->WaitMs());
  if (due_ && !arrangement_) wait = std::min(wait, QuietLeft());
  if (!fresh_.empty()) wait = std::min(wait, Left(freshLookedAt_, kFreshStepMs));
  if (Polling()) wait = std::min(wait, Left(polledAt_, kPollMs));
  // A helper stuck in a move is looked at now and then until it has ended.
  if (!outstanding_.stuck.empty()) wait = std::min(wait, kPollMs);
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
