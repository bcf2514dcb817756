// The form record and its events: finding the loaded window and its controls,
// raising events to the bound handlers, the focus cycle, and the routine a handler
// leaves for the message loop.
#include <windows.h>

#include "base/application.h"
#include "base/fault.h"
#include "ui/form.h"

namespace {

bool CanTakeFocus(uint32_t id, void* context) {
  Form* form = static_cast<Form*>(context);
  ControlState* c = FindControl(*form, id);
  return c && c->hwnd && c->layout->tabStop && IsWindowVisible(c->hwnd) && IsWindowEnabled(c->hwnd);
}

}  // namespace

Form* FormOf(HWND hwnd) { return reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

Form* LoadedForm(uint32_t windowId) {
  WindowEntry* entry = FindWindowEntry(windowId);
  if (!entry || !entry->hwnd) return nullptr;
  return FormOf(static_cast<HWND>(entry->hwnd));
}

ControlState* FindControl(Form& form, uint32_t id) {
  for (ControlState& c : form.controls)
    if (c.layout->id == id) return &c;
  return nullptr;
}

ControlState* ControlOfWindow(Form& form, HWND hwnd) {
  if (!hwnd) return nullptr;
  for (ControlState& c : form.controls)
    if (c.hwnd == hwnd) return &c;
  return nullptr;
}

ControlState* ControlAt(HWND hwnd) {
  Form* form = FormOf(GetAncestor(hwnd, GA_ROOT));
  return form ? ControlOfWindow(*form, hwnd) : nullptr;
}

bool RaiseEvent(EventRecord& record) {
  // Once a fault is being reported no handler runs, whatever the box's loop dispatches.
  if (g_app.reportingFault) return false;
  if (Form* form = LoadedForm(record.window); form && (form->recreating || form->closing))
    return false;
  WindowEntry* entry = FindWindowEntry(record.window);
  if (!entry || !entry->hwnd) ReportFault("未找到引发事件的窗口", kFaultDirect, {});
  if (record.control != kWindowSelfId && !FindControlLayout(record.control))
    ReportFault("未找到引发事件的窗口组件", kFaultDirect, {});
  EventHandler handler = FindEventHandler(record.control, record.event);
  if (!handler) return false;
  record.hasResult = 0;
  record.result = 0;
  if (handler(record)) record.hasResult = 1;
  return true;
}

bool RaiseControlEvent(const ControlState& control, int event,
                       std::initializer_list<int32_t> args) {
  EventRecord record;
  record.window = kMainWindowId;
  record.control = control.layout->id;
  record.event = event;
  for (int32_t a : args)
    if (record.argCount < 5) record.args[record.argCount++] = a;
  return RaiseEvent(record);
}

bool RaiseWindowEvent(Form& form, int event) {
  EventRecord record;
  record.window = form.layout->id;
  record.control = kWindowSelfId;
  record.event = event;
  return RaiseEvent(record) && record.hasResult && record.result == 0;
}

bool RaiseIdleEvent(uint32_t windowId, int32_t elapsedMs) {
  EventRecord record;
  record.window = windowId;
  record.control = kWindowSelfId;
  record.event = kEventIdle;
  record.argCount = 1;
  record.args[0] = elapsedMs;
  return RaiseEvent(record) && record.hasResult && record.result;
}

void PrepareWindowLayouts() {
  WindowEntry entry;
  entry.id = kMainWindow.id;
  for (size_t i = 0; i < kControlCount; ++i)
    entry.controls.push_back({kControls[i].id, "", nullptr});
  g_app.windows.push_back(std::move(entry));
}

void RunAfterMessage(Form& form, DeferredRoutine routine, uint32_t argument) {
  form.deferred = routine;
  form.deferredArgument = argument;
  PostPrivateMessage(form.hwnd, PrivateMessage::kDeferred);
}

void MoveFocus(Form& form, bool backward) {
  ControlState* current = ControlOfWindow(form, GetFocus());
  uint32_t next =
      NextInFocusCycle(current ? current->layout->id : 0, backward, CanTakeFocus, &form);
  if (ControlState* c = FindControl(form, next)) SetFocus(c->hwnd);
}

void FocusFirstControl(Form& form) {
  uint32_t first = NextInFocusCycle(0, false, CanTakeFocus, &form);
  if (ControlState* c = FindControl(form, first)) SetFocus(c->hwnd);
}
