// The window's undo and the grid it keeps (持续排列): what an arrangement from the
// button leaves behind, and how the window carries an arrangement or an undo on.
#include <windows.h>

#include "base/messages.h"
#include "ui/form.h"

namespace {

void OfferUndo(Form& form, bool offered) {
  EnableMenuItem(GetSystemMenu(form.hwnd, FALSE), kUndoCommand,
                 MF_BYCOMMAND | (offered ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

void KeepForUndo(Form& form, std::vector<SavedPlacement> saved) {
  form.undo = std::move(saved);
  OfferUndo(form, !form.undo.empty());
}

namespace {

// The frame helper of the last arrangement is ended: its windows are another's now.
void EndFollowUp(Form& form) {
  if (form.followUp) TerminateProcess(form.followUp.get(), 0);
  form.followUp.reset();
}

void KeepGrid(Form& form, const std::vector<int32_t>& placed) {
  EndFollowUp(form);
  form.watch = std::make_unique<Watch>(form.keptRequest, false, 0, placed, form.hwnd,
                                       PrivateMessageId(PrivateMessage::kArrange), kWatchTimer);
}

}  // namespace

void KeepArranging(Form& form, bool keep) {
  // Ticked while a click's arrangement is under way, or before any click, the grid of
  // that click is the one kept; ticked after it, the grid it left. A click that left
  // no window to keep leaves it unticked.
  form.watchPending = keep && ((form.arrangement && form.clickArranging) || !form.lastGrid);
  if (keep && !form.watchPending) {
    std::erase_if(*form.lastGrid, [](int32_t h) {
      return !IsWindow(reinterpret_cast<HWND>(static_cast<intptr_t>(h)));
    });
    if (form.lastGrid->empty())
      keep = false;
    else
      KeepGrid(form, *form.lastGrid);
  }
  form.keepArranging = keep;
  CheckMenuItem(GetSystemMenu(form.hwnd, FALSE), kKeepCommand,
                MF_BYCOMMAND | (keep ? MF_CHECKED : MF_UNCHECKED));
  if (!keep) form.watch.reset();
}

void StartKeeping(Form& form, const ArrangeRequest& request) {
  EndFollowUp(form);
  form.watch.reset();
  form.watchPending = form.keepArranging;
  form.keptRequest = request;
  form.clickArranging = true;
}

bool UndoArrangement(Form& form) {
  // An undo already asked for may start right here, as the arrangement ends.
  const bool asked = form.undoAsked;
  ContinueArrangement(form);
  if (form.undo.empty()) return asked;
  // Put back, the windows are no grid to keep.
  form.lastGrid.reset();
  KeepArranging(form, false);
  if (form.arrangement) {
    form.undoAsked = true;
    return true;
  }
  EndFollowUp(form);
  form.arrangement = std::make_unique<Arrangement>(form.undo, form.hwnd,
                                                   PrivateMessageId(PrivateMessage::kArrange));
  form.clickArranging = false;
  form.undo.clear();
  OfferUndo(form, false);
  ContinueArrangement(form);
  return true;
}

void ContinueArrangement(Form& form) {
  if (!form.arrangement) return;
  if (!form.arrangement->Advance()) {
    SetTimer(form.hwnd, kArrangeTimer, form.arrangement->WaitMs(), nullptr);
    return;
  }
  KillTimer(form.hwnd, kArrangeTimer);
  if (void* followUp = form.arrangement->TakeFollowUp()) {
    EndFollowUp(form);
    form.followUp.reset(static_cast<HANDLE>(followUp));
  }
  if (form.clickArranging) {
    // The windows in their cells' order: the grid 持续排列 keeps, now or when ticked.
    form.lastGrid.emplace();
    for (size_t i = 0; i < form.arrangement->Count(); ++i)
      form.lastGrid->push_back(form.arrangement->HandleOf(i));
  }
  if (form.watchPending && form.lastGrid) {
    form.watchPending = false;
    KeepGrid(form, *form.lastGrid);
  }
  form.arrangement.reset();
  form.clickArranging = false;
  if (form.undoAsked) {
    form.undoAsked = false;
    UndoArrangement(form);
  }
}
