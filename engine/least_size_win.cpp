// The plan as the windows can take it: a window that cannot shrink to its cell is
// given its smallest size, inside the work area, before anything moves, so that the
// move, --list and a kept grid's check all see the same rectangle.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "engine/arrange.h"
#include "engine/window_manager.h"

namespace {

// How long a window's program may take to say how small the window goes; one that
// takes longer is not asked again in this plan, and its windows keep their cells. All
// the questions of one plan take no longer than kAllMs, however many programs are busy.
constexpr DWORD kAskMs = 100;
constexpr DWORD kAllMs = 250;

HWND WindowOf(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

// The smallest rectangle the system lets the window be sized to: what the window
// answers to the question the system itself asks before every sizing, starting from
// the system's own least tracking size. The system holds only a window with a sizing
// frame, or an overlapped one, to it; any other has none. False when the program did
// not answer in time.
bool LeastTrackSize(HWND hwnd, DWORD ms, POINT* least) {
  *least = {0, 0};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  if (!(style & WS_THICKFRAME) && (style & (WS_POPUP | WS_CHILD))) return true;
  MINMAXINFO info = {};
  info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  info.ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  DWORD_PTR result = 0;
  SetLastError(0);
  if (!SendMessageTimeoutW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info),
                           SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, ms, &result))
    // Only silence says anything of the program: a window closed meanwhile, or a
    // question its rights kept from it, is just not fitted.
    return GetLastError() != ERROR_TIMEOUT;
  // Whatever it answers, the system holds it to no more than its largest tracking size.
  *least = {std::clamp<LONG>(info.ptMinTrackSize.x, 0, GetSystemMetrics(SM_CXMAXTRACK)),
            std::clamp<LONG>(info.ptMinTrackSize.y, 0, GetSystemMetrics(SM_CYMAXTRACK))};
  return true;
}

}  // namespace

ArrangementPlan PlanForWindows(const WindowList& list, const ArrangeRequest& request,
                               const WorkArea& area) {
  ArrangementPlan plan = PlanArrangement(request, area, list.Count());
  // Moved only, a window keeps whatever size it has.
  if (request.method == ArrangeMethod::kByRowCount && request.keepSize) return plan;
  std::vector<DWORD> silent;
  const DWORD start = GetTickCount();
  for (size_t i = 0; i < plan.cells.size(); ++i) {
    HWND hwnd = WindowOf(ReadArrayElement(list.get(), static_cast<int32_t>(i + 1), 0, 0));
    const DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
    if (!thread || std::ranges::find(silent, thread) != silent.end()) continue;
    const DWORD spent = GetTickCount() - start;
    POINT least;
    if (spent >= kAllMs || !LeastTrackSize(hwnd, std::min(kAskMs, kAllMs - spent), &least)) {
      silent.push_back(thread);
      continue;
    }
    // The cell is the visible frame's; the least size is the whole rectangle's.
    const FrameMargins m = FrameMarginsOf(hwnd);
    plan.cells[i] =
        FitCell(plan.cells[i], least.x - m.left - m.right, least.y - m.top - m.bottom, area);
  }
  return plan;
}
