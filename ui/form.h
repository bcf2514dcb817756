#pragma once
// The main window at run time: its controls' live windows and stored properties,
// event raising, keyboard pre-translation and focus.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/handles.h"
#include "ui/layout.h"
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
  bool activatedOnce = false;
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

// The loaded main window, or null.
Form* LoadedForm(uint32_t windowId = kMainWindowId);
ControlState* FindControl(Form& form, uint32_t id);
ControlState* ControlOfWindow(Form& form, HWND hwnd);

// Puts the layouts into the runtime's window list (nothing is created yet).
void PrepareWindowLayouts();

// Creates and shows the start window; a failure is fatal.
void LoadStartWindow(uint32_t windowId);

// The window's own handling of a message before it is dispatched; true when the
// message was consumed.
bool PreTranslateMessage(MSG& msg);

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

// The focus moves to the next or previous control of the cycle.
void MoveFocus(Form& form, bool backward);
