// The controls of the window: each made from its layout, the containers that pass
// their children's notifications on, the combo box's posted choice, the stacking
// order and the pages of the page container.
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "base/wide.h"
#include "ui/clamps.h"
#include "ui/common_controls_win.h"
#include "ui/form.h"

namespace {

// ---- containers --------------------------------------------------------------

// Group boxes and the page container hold controls; what their children tell their
// parent goes on to the main window, which handles it for every control alike.
// What a container passes on is handled by the main window's procedure, which lets
// no exception out either.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR isPageContainer) noexcept {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    case WM_ERASEBKGND: {
      // The main window clips its children, so a container paints its own ground.
      RECT area;
      GetClientRect(hwnd, &area);
      FillRect(reinterpret_cast<HDC>(wParam), &area, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_PAINT:
      // The page container shows no tab strip and no frame: only its ground.
      if (isPageContainer) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
        EndPaint(hwnd, &ps);
        return 0;
      }
      break;
    default: break;
  }
  return DefaultSubclassProc(hwnd, message, wParam, lParam);
}

// Subclass of the combo box for its posted choice message. A fault in the choice's
// handler shows its report and ends the process from inside this call.
LRESULT CALLBACK ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) noexcept {
  if (IsPrivateMessage(message, PrivateMessage::kItemChosen)) {
    // Quiltmark posts it; one sent from another thread is not its.
    if (ControlState* c = InSendMessage() ? nullptr : ControlAt(hwnd)) {
      c->selection = static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
      RaiseControlEvent(*c, kEventItemChosen);
    }
    return 0;
  }
  return DefaultSubclassProc(hwnd, message, wParam, lParam);
}

// ---- creation ------------------------------------------------------------------

struct KindClass {
  const wchar_t* windowClass;
  DWORD style;
  DWORD exStyle;
};

KindClass ClassFor(const ControlLayout& layout) {
  switch (layout.kind) {
    case ControlKind::EditBox:
      return {L"EDIT", WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      return {L"STATIC", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, 0};
    case ControlKind::GroupBox: return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::Button:
      return {L"BUTTON",
              WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY | BS_MULTILINE | BS_CENTER | BS_VCENTER, 0};
    case ControlKind::CheckBox:
      return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER, 0};
    case ControlKind::ComboBox: return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::TabControl: return {WC_TABCONTROLW, WS_CLIPSIBLINGS, 0};
    case ControlKind::PictureBox: return {kPictureClass, 0, 0};
    case ControlKind::Window: break;
  }
  return {L"STATIC", 0, 0};
}

// Each list item one pixel taller than the system's height for the font, which a new
// font sets again. Some systems let only an owner-drawn combo box pass that on to its
// list; then the list is told itself.
void TallerItems(HWND combo) {
  const LRESULT itemHeight = SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0);
  if (itemHeight <= 0) return;
  SendMessageW(combo, CB_SETITEMHEIGHT, 0, itemHeight + 1);
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  if (SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0) != itemHeight + 1 &&
      GetComboBoxInfo(combo, &info) && info.hwndList)
    SendMessageW(info.hwndList, LB_SETITEMHEIGHT, 0, itemHeight + 1);
}

bool CreateControl(Form& form, ControlState& c, HINSTANCE instance, bool& commonControlsReady) {
  const ControlLayout& layout = *c.layout;
  HWND parent = form.hwnd;
  if (layout.container) {
    ControlState* container = FindControl(form, layout.container);
    if (!container || !container->hwnd) return false;
    parent = container->hwnd;
  }
  if (layout.kind == ControlKind::TabControl && !commonControlsReady) {
    LoadCommonControls(ICC_TAB_CLASSES | ICC_STANDARD_CLASSES);
    commonControlsReady = true;
  }
  KindClass kc = ClassFor(layout);
  // A combo box's height is that of it with its list open.
  const int height = ScaleForDpi(
      layout.kind == ControlKind::ComboBox ? std::max(layout.height, 160) : layout.height,
      form.dpi);
  const char* text = layout.kind == ControlKind::EditBox || layout.kind == ControlKind::Label ||
                             layout.kind == ControlKind::GroupBox ||
                             layout.kind == ControlKind::Button ||
                             layout.kind == ControlKind::CheckBox
                         ? layout.text
                         : "";
  c.hwnd = CreateWindowExW(
      kc.exStyle, kc.windowClass, Wide(text).c_str(), WS_CHILD | WS_CLIPSIBLINGS | kc.style,
      ScaleForDpi(layout.left, form.dpi), ScaleForDpi(layout.top, form.dpi),
      ScaleForDpi(layout.width, form.dpi), height, parent, nullptr, instance, nullptr);
  if (!c.hwnd) return false;
  HFONT font = layout.font == FontChoice::Number ? form.numberFont.get() : form.interfaceFont.get();
  SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  c.left = ScaleForDpi(layout.left, form.dpi);
  c.top = ScaleForDpi(layout.top, form.dpi);
  c.width = ScaleForDpi(layout.width, form.dpi);
  c.height = height;  // a combo box with its list
  c.textColour = layout.textColour;
  c.background = layout.background;
  if (layout.background != kButtonFace)
    c.backgroundBrush.reset(CreateSolidBrush(ResolveColour(layout.background)));
  c.inputMode = layout.inputMode;
  c.maxLength = layout.maxLength;
  switch (layout.kind) {
    case ControlKind::EditBox:
      SendMessageW(c.hwnd, EM_LIMITTEXT, static_cast<WPARAM>(layout.maxLength), 0);
      break;
    case ControlKind::ComboBox: {
      for (const std::string& item : LayoutLines(layout.text))
        SendMessageW(c.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
      SendMessageW(c.hwnd, CB_SETCURSEL, 0, 0);
      c.selection = 0;
      TallerItems(c.hwnd);
      break;
    }
    case ControlKind::GroupBox: SubclassControl(c.hwnd, ContainerProc, 1, 0); break;
    case ControlKind::TabControl: SubclassControl(c.hwnd, ContainerProc, 1, 1); break;
    default: break;
  }
  return true;
}

void ApplyStacking(Form& form) {
  for (size_t s = 0; s < kStackingCount; ++s) {
    const StackingLayout& stack = kStacking[s];
    HWND above = HWND_TOP;
    for (size_t i = 0; i < stack.count; ++i) {
      ControlState* c = FindControl(form, stack.order[i]);
      if (!c || !c->hwnd) continue;
      SetWindowPos(c->hwnd, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      above = c->hwnd;
    }
  }
}

}  // namespace

COLORREF ResolveColour(uint32_t colour) {
  return colour == kButtonFace ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

bool CreateControls(Form& form, HINSTANCE instance) {
  form.controls.resize(kControlCount);
  for (size_t i = 0; i < kControlCount; ++i) form.controls[i].layout = &kControls[i];
  bool commonControlsReady = false;
  for (ControlState& c : form.controls) {
    if (!CreateControl(form, c, instance, commonControlsReady)) return false;
    if (c.layout->kind == ControlKind::ComboBox) SubclassControl(c.hwnd, ComboProc, 2, 0);
    if (c.layout->kind == ControlKind::EditBox) PrepareEditInput(c);
    GuardControl(c.hwnd);
  }
  ApplyStacking(form);
  for (ControlState& c : form.controls)
    if (c.layout->page < 0) ShowWindow(c.hwnd, SW_SHOWNA);
  if (ControlState* pages = FindControl(form, ids::选择夹_排序方式)) LayOutPages(form, *pages);
  return true;
}

void PlaceControls(Form& form) {
  for (ControlState& c : form.controls) {
    const ControlLayout& l = *c.layout;
    c.left = ScaleForDpi(l.left, form.dpi);
    c.top = ScaleForDpi(l.top, form.dpi);
    c.width = ScaleForDpi(l.width, form.dpi);
    c.height =
        ScaleForDpi(l.kind == ControlKind::ComboBox ? std::max(l.height, 160) : l.height, form.dpi);
    SetWindowPos(c.hwnd, nullptr, c.left, c.top, c.width, c.height, SWP_NOZORDER | SWP_NOACTIVATE);
    HFONT font = l.font == FontChoice::Number ? form.numberFont.get() : form.interfaceFont.get();
    SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (l.kind == ControlKind::ComboBox) TallerItems(c.hwnd);
  }
}

void LayOutPages(Form& form, const ControlState& container) {
  for (ControlState& c : form.controls) {
    if (c.layout->container != container.layout->id || c.layout->page < 0) continue;
    bool show = c.layout->page == container.currentPage && c.visible;
    ShowWindow(c.hwnd, show ? SW_SHOWNA : SW_HIDE);
  }
}

void ApplyVisibility(Form& form, ControlState& control) {
  if (control.layout->page >= 0) {
    if (ControlState* pages = FindControl(form, control.layout->container)) {
      LayOutPages(form, *pages);
      return;
    }
  }
  ShowWindow(control.hwnd, control.visible ? SW_SHOWNA : SW_HIDE);
}

void SetCurrentPage(Form& form, ControlState& container, int page) {
  container.currentPage =
      ClampPage(page, static_cast<int32_t>(LayoutLines(container.layout->text).size()));
  LayOutPages(form, container);
}
