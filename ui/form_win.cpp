#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <imm.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/fault.h"
#include "app/runtime.h"
#include "ui/clamps.h"
#include "ui/common_controls_win.h"
#include "ui/edit_rules.h"
#include "ui/form.h"

namespace {

const char kMainClass[] = "QuiltmarkWindow";
const char kPictureClass[] = "QuiltmarkPicture";
constexpr UINT kItemChosenMessage = 0xA711;
// Posted to the main window to run the routine a handler left for the message loop.
constexpr UINT kDeferredMessage = WM_APP + 0x0B;

COLORREF ResolveColour(uint32_t colour) {
  return colour == kButtonFace ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

Form* FormOf(HWND hwnd) { return reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

WindowEntry* EntryOf(uint32_t windowId) { return FindWindowEntry(windowId); }

// Splits "a\nb" into its parts.
std::vector<std::string> Lines(const char* text) {
  std::vector<std::string> out;
  if (!text) return out;
  const char* start = text;
  for (const char* p = text;; ++p) {
    if (*p == '\n' || !*p) {
      out.emplace_back(start, p);
      if (!*p) break;
      start = p + 1;
    }
  }
  return out;
}

HFONT MakeFont(const char* face) {
  return CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

void NormaliseEdit(ControlState& c);

// ---- painting ----------------------------------------------------------------

void PaintPicture(HWND hwnd, HDC dc, const ControlState& c) {
  RECT area;
  GetClientRect(hwnd, &area);
  BrushHandle ground(CreateSolidBrush(ResolveColour(c.background)));
  FillRect(dc, &area, ground.get());
  if (c.image.empty()) return;
  int w = c.image.width, h = c.image.height;
  int cw = area.right, ch = area.bottom;
  RECT dest{0, 0, w, h};
  if (c.displayMode == 1) {
    dest = area;
  } else if (c.displayMode == 2) {
    if (w > cw || h > ch) {
      double scale = std::min(static_cast<double>(cw) / w, static_cast<double>(ch) / h);
      w = static_cast<int>(w * scale);
      h = static_cast<int>(h * scale);
    }
    dest = {(cw - w) / 2, (ch - h) / 2, (cw - w) / 2 + w, (ch - h) / 2 + h};
  }
  // The image is composed over the background with its own transparency.
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = c.image.width;
  bi.bmiHeader.biHeight = -c.image.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  // AlphaBlend wants premultiplied colour.
  std::vector<uint8_t> premultiplied = c.image.pixels;
  for (size_t i = 0; i + 3 < premultiplied.size(); i += 4) {
    unsigned a = premultiplied[i + 3];
    for (int k = 0; k < 3; ++k)
      premultiplied[i + k] = static_cast<uint8_t>(premultiplied[i + k] * a / 255);
  }
  HDC memory = CreateCompatibleDC(dc);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    std::memcpy(bits, premultiplied.data(), premultiplied.size());
    HGDIOBJ old = SelectObject(memory, bitmap);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    SetStretchBltMode(dc, HALFTONE);
    GdiAlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, memory,
                  0, 0, c.image.width, c.image.height, blend);
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
}

LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    Form* form = FormOf(GetAncestor(hwnd, GA_ROOT));
    if (ControlState* c = form ? ControlOfWindow(*form, hwnd) : nullptr) PaintPicture(hwnd, dc, *c);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// ---- containers --------------------------------------------------------------

// Group boxes and the page container hold controls; what their children tell their
// parent goes on to the main window, which handles it for every control alike.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR isPageContainer) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return SendMessageA(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
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

// ---- creation ------------------------------------------------------------------

struct KindClass {
  const char* windowClass;
  DWORD style;
  DWORD exStyle;
};

KindClass ClassFor(const ControlLayout& layout) {
  switch (layout.kind) {
    case ControlKind::EditBox:
      return {"EDIT", WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Label: return {"STATIC", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, 0};
    case ControlKind::GroupBox: return {"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::Button:
      return {"BUTTON",
              WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY | BS_MULTILINE | BS_CENTER | BS_VCENTER, 0};
    case ControlKind::CheckBox:
      return {"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER, 0};
    case ControlKind::ComboBox: return {"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::TabControl: return {WC_TABCONTROLA, WS_CLIPSIBLINGS, 0};
    case ControlKind::PictureBox: return {kPictureClass, 0, 0};
    case ControlKind::Window: break;
  }
  return {"STATIC", 0, 0};
}

void RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  if (!GetClassInfoExA(instance, kPictureClass, &wc)) {
    wc.lpfnWndProc = PictureProc;
    wc.lpszClassName = kPictureClass;
    wc.hbrBackground = nullptr;
    RegisterClassExA(&wc);
  }
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
  int height = layout.kind == ControlKind::ComboBox ? std::max(layout.height, 160) : layout.height;
  const char* text = layout.kind == ControlKind::EditBox || layout.kind == ControlKind::Label ||
                             layout.kind == ControlKind::GroupBox ||
                             layout.kind == ControlKind::Button ||
                             layout.kind == ControlKind::CheckBox
                         ? layout.text
                         : "";
  c.hwnd = CreateWindowExA(kc.exStyle, kc.windowClass, text, WS_CHILD | WS_CLIPSIBLINGS | kc.style,
                           layout.left, layout.top, layout.width, height, parent, nullptr, instance,
                           nullptr);
  if (!c.hwnd) return false;
  HFONT font = layout.font == FontChoice::Number ? form.numberFont.get() : form.interfaceFont.get();
  SendMessageA(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  c.left = layout.left;
  c.top = layout.top;
  c.width = layout.width;
  c.height = height;  // a combo box with its list
  c.textColour = layout.textColour;
  c.background = layout.background;
  if (layout.background != kButtonFace)
    c.backgroundBrush.reset(CreateSolidBrush(ResolveColour(layout.background)));
  c.inputMode = layout.inputMode;
  c.maxLength = layout.maxLength;
  switch (layout.kind) {
    case ControlKind::EditBox:
      SendMessageA(c.hwnd, EM_LIMITTEXT, static_cast<WPARAM>(layout.maxLength), 0);
      break;
    case ControlKind::ComboBox: {
      for (const std::string& item : Lines(layout.text))
        SendMessageA(c.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      SendMessageA(c.hwnd, CB_SETCURSEL, 0, 0);
      c.selection = 0;
      // Each list item one pixel taller than the system's height for the font. Some
      // systems let only an owner-drawn combo box pass that on to its list; then the
      // list is told itself.
      LRESULT itemHeight = SendMessageA(c.hwnd, CB_GETITEMHEIGHT, 0, 0);
      if (itemHeight > 0) {
        SendMessageA(c.hwnd, CB_SETITEMHEIGHT, 0, itemHeight + 1);
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        if (SendMessageA(c.hwnd, CB_GETITEMHEIGHT, 0, 0) != itemHeight + 1 &&
            GetComboBoxInfo(c.hwnd, &info) && info.hwndList)
          SendMessageA(info.hwndList, LB_SETITEMHEIGHT, 0, itemHeight + 1);
      }
      break;
    }
    case ControlKind::GroupBox: SubclassWindow(c.hwnd, ContainerProc, 1, 0); break;
    case ControlKind::TabControl: SubclassWindow(c.hwnd, ContainerProc, 1, 1); break;
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

size_t PageCount(const ControlState& container) { return Lines(container.layout->text).size(); }

// Shows the current page's controls and hides the other pages'.
void LayOutPages(Form& form, const ControlState& container) {
  for (ControlState& c : form.controls) {
    if (c.layout->container != container.layout->id || c.layout->page < 0) continue;
    bool show = c.layout->page == container.currentPage && c.visible;
    ShowWindow(c.hwnd, show ? SW_SHOWNA : SW_HIDE);
  }
}

bool CanTakeFocus(uint32_t id, void* context) {
  Form* form = static_cast<Form*>(context);
  ControlState* c = FindControl(*form, id);
  return c && c->hwnd && c->layout->tabStop && IsWindowVisible(c->hwnd) && IsWindowEnabled(c->hwnd);
}

void FocusFirstControl(Form& form) {
  uint32_t first = NextInFocusCycle(0, false, CanTakeFocus, &form);
  if (ControlState* c = FindControl(form, first)) SetFocus(c->hwnd);
}

void MirrorIntoRegistry(Form& form, WindowEntry& entry) {
  entry.hwnd = form.hwnd;
  entry.controls.clear();
  for (const ControlState& c : form.controls) entry.controls.push_back({c.layout->id, "", c.hwnd});
}

// ---- the window procedure ----------------------------------------------------------

void OnCommand(Form& form, HWND child, int code) {
  ControlState* c = ControlOfWindow(form, child);
  if (!c) return;
  switch (c->layout->kind) {
    case ControlKind::Button:
      if (code == BN_CLICKED) RaiseControlEvent(*c, kEventClicked);
      if (code == BN_SETFOCUS) RaiseControlEvent(*c, kEventGotFocus);
      if (code == BN_KILLFOCUS) RaiseControlEvent(*c, kEventLostFocus);
      break;
    case ControlKind::EditBox:
      if (code == EN_SETFOCUS) RaiseControlEvent(*c, kEventGotFocus);
      if (code == EN_KILLFOCUS) {
        NormaliseEdit(*c);
        RaiseControlEvent(*c, kEventLostFocus);
      }
      if (code == EN_CHANGE && !c->suppressChange) RaiseControlEvent(*c, 0);
      break;
    case ControlKind::ComboBox:
      // The choice is raised from a posted message, once the list has closed.
      if (code == CBN_SELENDOK) PostMessageA(child, kItemChosenMessage, 0, 0);
      if (code == CBN_SETFOCUS) RaiseControlEvent(*c, kEventGotFocus);
      if (code == CBN_KILLFOCUS) RaiseControlEvent(*c, kEventLostFocus);
      break;
    default: break;
  }
}

LRESULT OnControlColour(Form& form, HDC dc, HWND child) {
  ControlState* c = ControlOfWindow(form, child);
  if (!c) return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  SetTextColor(dc, ResolveColour(c->textColour));
  SetBkColor(dc, ResolveColour(c->background));
  if (c->backgroundBrush) return reinterpret_cast<LRESULT>(c->backgroundBrush.get());
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// A combo box asks for its own colours and for those of its dropped list, which is a
// window of its own; the list takes the colours of its combo box.
HWND ListOwner(Form& form, HWND list) {
  if (ControlOfWindow(form, list)) return list;
  for (const ControlState& c : form.controls) {
    if (c.layout->kind != ControlKind::ComboBox) continue;
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(c.hwnd, &info) && info.hwndList == list) return c.hwnd;
  }
  return list;
}

// Raises one of the window's own events; true when a handler returned false.
bool RaiseWindowEvent(Form& form, int event) {
  EventRecord record;
  record.window = form.layout->id;
  record.control = kWindowSelfId;
  record.event = event;
  return RaiseEvent(record) && record.hasResult && record.result == 0;
}

void OnActivate(Form& form, bool active) {
  if (!active) {
    RaiseWindowEvent(form, 6);  // deactivated
    // With no control focused there is nothing to go back to: an older control
    // remembered from before would get the focus and run its handlers for nothing.
    HWND focus = GetFocus();
    form.lastFocus = focus && IsChild(form.hwnd, focus) ? focus : nullptr;
    return;
  }
  if (!form.activatedOnce) {
    form.activatedOnce = true;
    RaiseWindowEvent(form, 8);  // first activated
  }
  RaiseWindowEvent(form, 5);  // activated
  RaiseWindowEvent(form, kEventGotFocus);
  // A refusal puts the focus into its field itself once its box is answered.
  if (form.refusing) return;
  // Back to the control that had the focus, else to the first of the cycle.
  if (form.lastFocus && IsWindow(form.lastFocus) && IsChild(form.hwnd, form.lastFocus))
    SetFocus(form.lastFocus);
  else
    FocusFirstControl(form);
}

void OnFinalDestroy(HWND hwnd) {
  Form* form = FormOf(hwnd);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  if (!form) return;
  if (WindowEntry* entry = EntryOf(form->layout->id)) {
    entry->loaded = false;
    entry->hwnd = nullptr;
    for (ControlEntry& c : entry->controls) c.hwnd = nullptr;
  }
  delete form;  // its custom pointers, fonts and icons go with it
  bool anyLoaded = std::any_of(g_app.windows.begin(), g_app.windows.end(),
                               [](const WindowEntry& w) { return w.loaded; });
  if (!anyLoaded && g_app.loopRunning) PostQuitMessage(0);
}

void RunDeferred(Form& form) {
  DeferredRoutine routine = form.deferred;
  form.deferred = nullptr;
  if (routine && !form.closing) routine(form.deferredArgument);
}

bool OnSetCursor(Form& form, HWND over) {
  // The control under the pointer, or the nearest control around it.
  for (HWND h = over; h && h != form.hwnd; h = GetParent(h)) {
    ControlState* c = ControlOfWindow(form, h);
    if (!c) continue;
    if (!c->pointer) return false;
    SetCursor(c->pointer.get());
    return true;
  }
  return false;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Form* form = FormOf(hwnd);
  if (!form) {
    if (message == WM_NCDESTROY) OnFinalDestroy(hwnd);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  switch (message) {
    case WM_COMMAND:
      if (lParam) OnCommand(*form, reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnControlColour(*form, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORLISTBOX:
      return OnControlColour(*form, reinterpret_cast<HDC>(wParam),
                             ListOwner(*form, reinterpret_cast<HWND>(lParam)));
    case WM_ACTIVATE: OnActivate(*form, LOWORD(wParam) != WA_INACTIVE); return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && OnSetCursor(*form, reinterpret_cast<HWND>(wParam)))
        return TRUE;
      break;
    case WM_CLOSE:
      // Either may-be-closed event can refuse the close by returning false.
      if (RaiseWindowEvent(*form, 12) || RaiseWindowEvent(*form, 1)) return 0;
      // The controls lose the focus as the window goes; a field's check must not
      // show a box for a window that is already on its way out.
      form->closing = true;
      break;
    case WM_DESTROY:
      form->closing = false;
      RaiseWindowEvent(*form, 2);  // about to be destroyed
      form->closing = true;
      return 0;
    case WM_NCDESTROY: OnFinalDestroy(hwnd); return 0;
    case kDeferredMessage: RunDeferred(*form); return 0;
    default: break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

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
LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
  // Shift+Insert pastes too, and the edit control may do it without a WM_PASTE.
  const bool shiftInsert = message == WM_KEYDOWN && wParam == VK_INSERT &&
                           GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0;
  bool input = message == WM_CHAR || message == WM_IME_CHAR || message == WM_PASTE || shiftInsert ||
               (message == WM_IME_COMPOSITION && (lParam & GCS_RESULTSTR));
  Form* form = input ? FormOf(GetAncestor(hwnd, GA_ROOT)) : nullptr;
  ControlState* c = form ? ControlOfWindow(*form, hwnd) : nullptr;
  if (!c || !FiltersInput(c->inputMode)) return DefaultSubclassProc(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_KEYDOWN:
    case WM_PASTE: InsertAccepted(hwnd, *c, ClipboardText(hwnd)); return 0;
    case WM_IME_COMPOSITION: InsertAccepted(hwnd, *c, CompositionResult(hwnd)); return 0;
    default:
      if (!AcceptsTypedChar(c->inputMode, static_cast<uint32_t>(wParam))) return 0;
      return DefaultSubclassProc(hwnd, message, wParam, lParam);
  }
}

// The box's own input handling. A box that holds numbers has no input method: its
// characters come as plain keys, and composing text there could only be refused.
void PrepareEditInput(const ControlState& c) {
  SubclassWindow(c.hwnd, EditProc, 3, 0);
  if (FiltersInput(c.inputMode)) ImmAssociateContext(c.hwnd, nullptr);
}

// Leaving a numeric field rewrites its text as the number it holds; only a changed
// text is set, with the caret where the selection began.
void NormaliseEdit(ControlState& c) {
  if (!NormalisesOnLeave(c.inputMode)) return;
  int n = GetWindowTextLengthA(c.hwnd);
  std::string text(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
  GetWindowTextA(c.hwnd, text.data(), n + 1);
  text.resize(std::strlen(text.c_str()));
  std::string normal = NormaliseOnLeave(c.inputMode, text.c_str());
  if (normal == text) return;
  DWORD start = 0;
  SendMessageA(c.hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  SetWindowTextA(c.hwnd, normal.c_str());
  SendMessageA(c.hwnd, EM_SETSEL, start, start);
  SendMessageA(c.hwnd, EM_SCROLLCARET, 0, 0);
}

// Subclass of the combo box for its posted choice message.
LRESULT CALLBACK ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
  if (message == kItemChosenMessage) {
    Form* form = FormOf(GetAncestor(hwnd, GA_ROOT));
    if (ControlState* c = form ? ControlOfWindow(*form, hwnd) : nullptr) {
      c->selection = static_cast<int>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0));
      RaiseControlEvent(*c, kEventItemChosen);
    }
    return 0;
  }
  return DefaultSubclassProc(hwnd, message, wParam, lParam);
}

Form* CreateMainForm(const WindowLayout& layout) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // The visual-style versions of the standard controls come with the library, so it
  // is there before the first control is made.
  LoadCommonControls(ICC_STANDARD_CLASSES);
  RegisterClasses(instance);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExA(instance, kMainClass, &wc)) {
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    if (!RegisterClassExA(&wc)) return nullptr;
  }
  const WindowOrigin origin = CentredOnScreen(
      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), layout.width, layout.height);
  const int left = origin.left, top = origin.top;
  HWND hwnd =
      CreateWindowExA(0, kMainClass, layout.caption,
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                      left, top, layout.width, layout.height, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  RECT r;
  GetWindowRect(hwnd, &r);
  if (r.right - r.left != layout.width || r.bottom - r.top != layout.height || r.left != left ||
      r.top != top)
    SetWindowPos(hwnd, nullptr, left, top, layout.width, layout.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

  auto* form = new Form;
  form->layout = &layout;
  form->hwnd = hwnd;
  form->interfaceFont.reset(MakeFont("微软雅黑"));
  form->numberFont.reset(MakeFont("Consolas"));
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  form->bigIcon.reset(
      static_cast<HICON>(LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
  form->smallIcon.reset(static_cast<HICON>(LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), 0)));
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(form->bigIcon.get()));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(form->smallIcon.get()));
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));

  form->controls.resize(kControlCount);
  for (size_t i = 0; i < kControlCount; ++i) form->controls[i].layout = &kControls[i];
  bool commonControlsReady = false;
  for (ControlState& c : form->controls) {
    if (!CreateControl(*form, c, instance, commonControlsReady)) {
      // The half-built window goes quietly: with its record detached first, neither
      // it nor its controls raise an event while they are destroyed.
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      DestroyWindow(hwnd);
      delete form;
      return nullptr;
    }
    if (c.layout->kind == ControlKind::ComboBox) SubclassWindow(c.hwnd, ComboProc, 2, 0);
    if (c.layout->kind == ControlKind::EditBox) PrepareEditInput(c);
  }
  ApplyStacking(*form);
  for (ControlState& c : form->controls)
    if (c.layout->page < 0) ShowWindow(c.hwnd, SW_SHOWNA);
  if (ControlState* pages = FindControl(*form, ids::选择夹_排序方式)) LayOutPages(*form, *pages);
  return form;
}

}  // namespace

// ---- the interface -----------------------------------------------------------------

Form* LoadedForm(uint32_t windowId) {
  WindowEntry* entry = EntryOf(windowId);
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

bool RaiseEvent(EventRecord& record) {
  if (Form* form = LoadedForm(record.window); form && (form->recreating || form->closing))
    return false;
  WindowEntry* entry = EntryOf(record.window);
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
  PostMessageA(form.hwnd, kDeferredMessage, 0, 0);
}

void MoveFocus(Form& form, bool backward) {
  ControlState* current = ControlOfWindow(form, GetFocus());
  uint32_t next =
      NextInFocusCycle(current ? current->layout->id : 0, backward, CanTakeFocus, &form);
  if (ControlState* c = FindControl(form, next)) SetFocus(c->hwnd);
}

void LoadStartWindow(uint32_t windowId) {
  WindowEntry* entry = EntryOf(windowId);
  if (!entry) ReportFault("载入启动窗口失败", kFaultDirect, {static_cast<int32_t>(windowId), 0});
  if (entry->loaded && entry->hwnd) {
    HWND open = static_cast<HWND>(entry->hwnd);
    if (IsIconic(open))
      ShowWindow(open, SW_RESTORE);
    else
      SetActiveWindow(open);
    return;
  }
  Form* form = CreateMainForm(kMainWindow);
  if (!form) ReportFault("载入启动窗口失败", kFaultDirect, {static_cast<int32_t>(windowId), 0});
  MirrorIntoRegistry(*form, *entry);
  entry->loaded = true;
  // A handler may close the window, and its record goes with it; from here on the
  // system is asked about the handle, and the record is looked up afresh.
  const HWND hwnd = form->hwnd;
  form = nullptr;

  EventRecord created;
  created.window = windowId;
  created.control = kWindowSelfId;
  for (int event : {kEventCreated, 3, 4}) {
    if (!IsWindow(hwnd)) return;
    created.event = event;
    RaiseEvent(created);
  }
  if (!IsWindow(hwnd)) return;
  HWND before = GetFocus();
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  HWND focus = GetFocus();
  Form* shown = LoadedForm(windowId);
  if (shown && focus && (focus == hwnd || IsChild(hwnd, focus))) {
    if (ControlState* c = ControlOfWindow(*shown, focus)) RaiseControlEvent(*c, kEventGotFocus);
  } else if (before && IsWindow(before)) {
    SetFocus(before);
  }
}

void RecreateEditBox(Form& form, ControlState& c) {
  HWND old = c.hwnd;
  HWND parent = GetParent(old);
  HWND above = GetWindow(old, GW_HWNDPREV);
  bool hadFocus = GetFocus() == old;
  int n = GetWindowTextLengthA(old);
  std::string text(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
  GetWindowTextA(old, text.data(), n + 1);
  DWORD style = static_cast<DWORD>(GetWindowLongA(old, GWL_STYLE)) & ~(ES_READONLY | ES_PASSWORD);
  if (c.inputMode == 1) style |= ES_READONLY;
  if (c.inputMode == 2) style |= ES_PASSWORD;
  HWND fresh = CreateWindowExA(static_cast<DWORD>(GetWindowLongA(old, GWL_EXSTYLE)), "EDIT",
                               text.c_str(), style, c.left, c.top, c.width, c.height, parent,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!fresh) return;
  form.recreating = true;
  SendMessageA(fresh, WM_SETFONT, SendMessageA(old, WM_GETFONT, 0, 0), FALSE);
  SendMessageA(fresh, EM_LIMITTEXT, static_cast<WPARAM>(c.maxLength), 0);
  SetWindowPos(fresh, above ? above : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  c.hwnd = fresh;
  PrepareEditInput(c);
  if (WindowEntry* entry = EntryOf(form.layout->id))
    for (ControlEntry& mirrored : entry->controls)
      if (mirrored.id == c.layout->id) mirrored.hwnd = fresh;
  if (hadFocus) SetFocus(fresh);
  DestroyWindow(old);
  form.recreating = false;
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
  container.currentPage = ClampPage(page, static_cast<int32_t>(PageCount(container)));
  LayOutPages(form, container);
}
