#pragma once
// The main window at run time: its controls' live windows and stored properties,
// event raising, focus, and what the window's rooms (controls_win, edit_box_win,
// picture_win, main_window_win) tell each other.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/messages.h"
#include "engine/arrange.h"
#include "engine/watch.h"
#include "ui/handles.h"
#include "ui/layout.h"
#include "ui/loop.h"
#include "ui/picture.h"

struct ControlState {
  const ControlLayout* layout = nullptr;
  HWND hwnd = nullptr;
  // Properties common to every kind, as stored.
  int left = 0, top = 0, width = 0, height = 0;
  std::string tag;
  bool visible = true;
  bool disabled = false;
  std::vector<uint8_t> pointerData;
  CursorHandle pointer;  // the custom mouse pointer, if any
  // Kind properties.
  uint32_t textColour = 0;
  uint32_t background = kButtonFace;
  BrushHandle backgroundBrush;  // for the control-colour notification
  int inputMode = 0;
  int maxLength = 0;
  std::vector<uint8_t> pictureData;
  DecodedImage image;
  int displayMode = 1;
  int currentPage = 0;
  int selection = 0;
  bool suppressChange = false;  // a content write notifies once, by itself
};

// A routine that a handler leaves for the message loop, with its argument.
using DeferredRoutine = void (*)(uint32_t);

struct Form {
  const WindowLayout* layout = nullptr;
  HWND hwnd = nullptr;
  // The DPI the window is laid out for: its monitor's. The layout's pixels are those
  // of 96 DPI, and every place, size and font is scaled from them.
  int dpi = 96;
  std::vector<ControlState> controls;
  FontHandle interfaceFont;
  FontHandle numberFont;
  IconHandle bigIcon;
  IconHandle smallIcon;
  HWND lastFocus = nullptr;  // remembered on deactivation; null when no control had it
  // A field's refusal is on its way or on screen: no other field check runs and the
  // activation leaves the focus to the refusal.
  bool refusing = false;
  DeferredRoutine deferred = nullptr;
  uint32_t deferredArgument = 0;
  bool recreating = false;  // no event is delivered while a control is rebuilt
  bool closing = false;     // nor once the window is being destroyed
  // In the system's loop of a menu, or of moving the window (see EnterSystemLoop).
  bool inMenuLoop = false, inSizeMove = false;
  bool activatedOnce = false;
  // The arrangement under way, carried on by kArrangeTimer and by its answers; an
  // arrange click while it runs does nothing.
  std::unique_ptr<Arrangement> arrangement;
  // Where the windows of the last arrangement were before it, until it is undone.
  std::vector<SavedPlacement> undo;
  // Undo was asked for while the arrangement was still under way: it runs once that
  // is over.
  bool undoAsked = false;
  // The helper the last arrangement started for busy programs' minimised or maximised
  // windows: ended when an undo, a new arrangement or a kept grid takes those windows
  // over, so that it never moves one after them.
  OwnedHandle<HANDLE, CloseHandle> followUp;
  // 持续排列 is ticked: the grid of the button's last arrangement, and of each next one,
  // is kept. The request waits in keptRequest until that arrangement is over, when the
  // watch takes over.
  bool keepArranging = false;
  // The windows of the last click's grid, in their cells' order; none before the first
  // click and after an undo.
  std::optional<std::vector<int32_t>> lastGrid;
  bool watchPending = false;
  bool clickArranging = false;  // the arrangement under way is a click's, not an undo
  ArrangeRequest keptRequest;
  std::unique_ptr<Watch> watch;
};

// The event record handed to RaiseEvent.
struct EventRecord {
  uint32_t window = 0;
  uint32_t control = 0;
  int32_t event = 0;
  uint32_t argCount = 0;
  int32_t args[5] = {};
  uint32_t hasResult = 0;
  int32_t result = 0;
};

// A handler gives a result by setting record.result and returning true.
using EventHandler = bool (*)(EventRecord& record);

struct EventBinding {
  uint32_t control;
  int event;
  EventHandler handler;
};

// The handler bound to (control, event) of the main window, or null.
EventHandler FindEventHandler(uint32_t control, int event);

// Calls the bound handler, if any; true when one was called.
bool RaiseEvent(EventRecord& record);
bool RaiseControlEvent(const ControlState& control, int event,
                       std::initializer_list<int32_t> args = {});

// Raises one of the window's own events; true when a handler returned false.
bool RaiseWindowEvent(Form& form, int event);

// The loaded main window, or null.
Form* LoadedForm(uint32_t windowId = kMainWindowId);
ControlState* FindControl(Form& form, uint32_t id);
ControlState* ControlOfWindow(Form& form, HWND hwnd);

// The record of a top-level window of ours; null before it is attached and after
// the window's last message.
Form* FormOf(HWND hwnd);
// The record of a control's window, found through its top-level window; null for a
// window that is no control of a loaded form.
ControlState* ControlAt(HWND hwnd);

// Shows or hides a control by its visible flag; a control on a page that is not
// showing stays hidden.
void ApplyVisibility(Form& form, ControlState& control);

// Makes `page` (clamped to the pages there are) the page container's current page.
void SetCurrentPage(Form& form, ControlState& container, int page);

// Rebuilds an edit box's window in place from its stored properties, for a style
// that a live edit control cannot change (read-only, password).
void RecreateEditBox(Form& form, ControlState& control);

// Runs `routine(argument)` from the message loop once the message in hand has been
// handled, unless the window is closing by then. One routine waits at a time; a
// later call replaces it.
void RunAfterMessage(Form& form, DeferredRoutine routine, uint32_t argument);

// Every control at its place and size for the window's DPI.
void PlaceControls(Form& form);
// Every control's custom pointer made again at the size for the window's DPI.
void RebuildPointers(Form& form);

// The focus moves to the next or previous control of the cycle.
void MoveFocus(Form& form, bool backward);
// The focus goes to the first control of the cycle that can take it.
void FocusFirstControl(Form& form);

// ---- between the window's rooms --------------------------------------------------

// The window's timer that carries an arrangement on while it waits for answers; a
// finished move says so at once with PrivateMessage::kArrange.
constexpr UINT_PTR kArrangeTimer = 1;
// Carries the window's arrangement on; once it is over the timer stops.
void ContinueArrangement(Form& form);

// The system menu's entry that undoes the last arrangement.
constexpr UINT kUndoCommand = 0x0100;
// The system menu's check item 持续排列, and the timer of the grid it keeps.
constexpr UINT kKeepCommand = 0x0110;
constexpr UINT_PTR kWatchTimer = 2;
// Ticks or unticks 持续排列. Ticked, it keeps the grid of the click under way, or of the
// next click when there was none, or the grid the last click left; a click that left
// no window to keep leaves it unticked. Unticked, the grid kept so far is left as it is.
void KeepArranging(Form& form, bool keep);
// An arrangement from the button is starting: the grid kept so far is given up, and
// with 持续排列 ticked the new one is kept once it is in place.
void StartKeeping(Form& form, const ArrangeRequest& request);
// Remembers where the windows were before an arrangement and offers the undo.
void KeepForUndo(Form& form, std::vector<SavedPlacement> saved);
// Puts the windows of the last arrangement back, once, as soon as that arrangement
// is over; false when there is nothing to undo.
bool UndoArrangement(Form& form);

// A layout colour as the system takes it (kButtonFace resolved).
COLORREF ResolveColour(uint32_t colour);

// Creates every control of the form from its layout, stacked and shown as the layout
// says; false when one of them could not be made (the caller destroys the window).
bool CreateControls(Form& form, HINSTANCE instance);

// Shows the current page's controls of a page container and hides the other pages'.
void LayOutPages(Form& form, const ControlState& container);

// The edit box's own input handling, set up on each new window of the box.
void PrepareEditInput(const ControlState& c);
// Leaving a numeric field rewrites its text as the number it holds.
void NormaliseEdit(ControlState& c);

// The window class of the picture box, registered once per process.
extern const wchar_t kPictureClass[];
void RegisterPictureClass(HINSTANCE instance);
