// The edit box: the input mode's filter on typed, composed and pasted text, the
// rewrite of a numeric field when it is left, and the rebuild of the box for a
// style that a live edit control cannot change (the rules are in edit_rules).
#include <windows.h>
// imm.h needs the types of windows.h.
#include <imm.h>

#include <algorithm>
#include <string>

#include "base/application.h"
#include "base/services.h"
#include "base/wide.h"
#include "ui/common_controls_win.h"
#include "ui/edit_rules.h"
#include "ui/form.h"

namespace {

// Puts text that arrives whole where the selection is, as much as the limit takes
// and only the characters the box's mode lets in; nothing left leaves the box as it
// was, as a refused key does.
void InsertAccepted(HWND hwnd, const ControlState& c, std::u16string text) {
  // A single-line box takes the first line only.
  text.resize(std::min(text.size(), text.find_first_of(u"\r\n")));
  std::u16string kept = KeepAcceptedChars(c.inputMode, text);
  if (kept.empty()) return;
  SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
}

std::u16string ClipboardText(HWND owner) {
  std::u16string text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
      size_t most = GlobalSize(data) / sizeof(char16_t);
      text.assign(chars, std::find(chars, chars + most, u'\0'));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

std::u16string CompositionResult(HWND hwnd) {
  std::u16string text;
  HIMC context = ImmGetContext(hwnd);
  if (!context) return text;
  LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
  if (bytes > 0) {
    text.resize(static_cast<size_t>(bytes) / sizeof(char16_t));
    ImmGetCompositionStringW(context, GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
  }
  ImmReleaseContext(hwnd, context);
  return text;
}

// Edit boxes drop the characters their input mode refuses, whichever way they come:
// typed (a code unit of any size: the box is a Unicode window), from an input
// method, or pasted.
// Nothing here raises an event; what the default procedure passes on to the main
// window is handled there, and no exception comes back out.
LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) noexcept {
  // Shift+Insert pastes too, and the edit control may do it without a WM_PASTE.
  const bool shiftInsert = message == WM_KEYDOWN && wParam == VK_INSERT &&
                           GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0;
  bool input = message == WM_CHAR || message == WM_IME_CHAR || message == WM_PASTE || shiftInsert ||
               (message == WM_IME_COMPOSITION && (lParam & GCS_RESULTSTR));
  ControlState* c = input ? ControlAt(hwnd) : nullptr;
  if (!c || !FiltersInput(c->inputMode)) return DefaultSubclassProc(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_KEYDOWN:
    case WM_PASTE: InsertAccepted(hwnd, *c, ClipboardText(hwnd)); return 0;
    case WM_IME_COMPOSITION: InsertAccepted(hwnd, *c, CompositionResult(hwnd)); return 0;
    default: {
      // A full-width digit goes in as its ASCII digit.
      const uint32_t ch = FoldFullWidthChar(static_cast<uint32_t>(wParam));
      if (!AcceptsTypedChar(c->inputMode, ch)) return 0;
      return DefaultSubclassProc(hwnd, message, ch, lParam);
    }
  }
}

}  // namespace

// A box that holds numbers has no input method: its characters come as plain keys,
// and composing text there could only be refused.
void PrepareEditInput(const ControlState& c) {
  SubclassControl(c.hwnd, EditProc, 3, 0);
  if (FiltersInput(c.inputMode)) ImmAssociateContext(c.hwnd, nullptr);
}

// Only a changed text is set, with the caret where the selection began.
void NormaliseEdit(ControlState& c) {
  if (!NormalisesOnLeave(c.inputMode)) return;
  Text text = GetControlText(c.hwnd);
  std::string normal = NormaliseOnLeave(c.inputMode, text.c_str());
  if (normal == text.view()) return;
  DWORD start = 0;
  SendMessageW(c.hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  SetWindowTextW(c.hwnd, Wide(normal).c_str());
  SendMessageW(c.hwnd, EM_SETSEL, start, start);
  SendMessageW(c.hwnd, EM_SCROLLCARET, 0, 0);
}

void RecreateEditBox(Form& form, ControlState& c) {
  HWND old = c.hwnd;
  HWND parent = GetParent(old);
  HWND above = GetWindow(old, GW_HWNDPREV);
  bool hadFocus = GetFocus() == old;
  Text text = GetControlText(old);
  DWORD style = static_cast<DWORD>(GetWindowLongW(old, GWL_STYLE)) & ~(ES_READONLY | ES_PASSWORD);
  if (c.inputMode == 1) style |= ES_READONLY;
  if (c.inputMode == 2) style |= ES_PASSWORD;
  HWND fresh = CreateWindowExW(static_cast<DWORD>(GetWindowLongW(old, GWL_EXSTYLE)), L"EDIT",
                               Wide(text.c_str()).c_str(), style, c.left, c.top, c.width, c.height,
                               parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!fresh) return;
  form.recreating = true;
  SendMessageW(fresh, WM_SETFONT, SendMessageW(old, WM_GETFONT, 0, 0), FALSE);
  SendMessageW(fresh, EM_LIMITTEXT, static_cast<WPARAM>(c.maxLength), 0);
  SetWindowPos(fresh, above ? above : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  c.hwnd = fresh;
  PrepareEditInput(c);
  GuardControl(fresh);
  if (WindowEntry* entry = FindWindowEntry(form.layout->id))
    for (ControlEntry& mirrored : entry->controls)
      if (mirrored.id == c.layout->id) mirrored.hwnd = fresh;
  if (hadFocus) SetFocus(fresh);
  DestroyWindow(old);
  form.recreating = false;
}
