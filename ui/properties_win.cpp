// The controls' numbered properties: stored values, the live windows they apply to,
// and the mouse pointer each control may carry.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/fault.h"
#include "base/memory.h"
#include "base/services.h"
#include "base/wide.h"
#include "ui/clamps.h"
#include "ui/cursor_file.h"
#include "ui/form.h"
#include "ui/properties.h"

namespace {

struct Target {
  Form* form;
  ControlState* control;  // null for the window itself
};

// Finds the control's window and record; the window must be loaded.
Target Resolve(uint32_t window, uint32_t control) {
  Form* form = LoadedForm(window);
  if (!form)
    ReportFault("未载入欲访问窗口组件所在的窗口", kFaultDirect,
                {static_cast<int32_t>(window), static_cast<int32_t>(control)});
  return {form, control == kWindowSelfId ? nullptr : FindControl(*form, control)};
}

bool HasLiveWindow(const ControlState* c) { return c && c->hwnd && IsWindow(c->hwnd); }

// A new array block of one dimension holding the bytes; null when there are none.
int32_t* NewByteArray(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return nullptr;
  auto* block = static_cast<int32_t*>(AllocBlock(8 + bytes.size()));
  block[0] = 1;
  block[1] = static_cast<int32_t>(bytes.size());
  std::memcpy(block + 2, bytes.data(), bytes.size());
  return block;
}

std::vector<uint8_t> BytesOf(uintptr_t low) {
  auto* block = reinterpret_cast<const int32_t*>(low);
  int32_t count = ArrayElementCount(block);
  if (count <= 0) return {};
  auto* bytes = reinterpret_cast<const uint8_t*>(block + 1 + block[0]);
  return {bytes, bytes + count};
}

uintptr_t CopyText(const char* text) {
  return reinterpret_cast<uintptr_t>(Text::Copy(text ? text : "").release());
}

// ---- the mouse pointer ---------------------------------------------------------

// A cursor drawn for 96 DPI at the size for the screen's DPI, resampled smoothly; null
// when the image is no 32-bit one (the system then scales it itself).
HCURSOR ScaledPointer(const CursorImage& image, int size) {
  const std::vector<uint32_t> drawn = CursorPixels(image);
  if (drawn.empty() || image.width != image.height) return nullptr;
  const std::vector<uint32_t> pixels = ResamplePixels(drawn, image.width, size);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  HCURSOR cursor = nullptr;
  if (colour && mask && bits) {
    std::memcpy(bits, pixels.data(), pixels.size() * 4);
    ICONINFO info = {FALSE, static_cast<DWORD>(MulDiv(image.hotspotX, size, image.width)),
                     static_cast<DWORD>(MulDiv(image.hotspotY, size, image.width)), mask, colour};
    cursor = reinterpret_cast<HCURSOR>(CreateIconIndirect(&info));
  }
  if (colour) DeleteObject(colour);
  if (mask) DeleteObject(mask);
  return cursor;
}

// The pointer at the size for the window's DPI.
HCURSOR BuildPointer(const std::vector<uint8_t>& value, int dpi) {
  PointerChoice choice = ChoosePointer(value.data(), value.size());
  switch (choice.kind) {
    case PointerChoice::Kind::CursorFile: {
      const CursorImage& image = choice.cursor;
      const int size = ScaleForDpi(image.width, dpi);
      if (size != image.width)
        if (HCURSOR scaled = ScaledPointer(image, size)) return scaled;
      // A cursor resource starts with its hotspot, then the image.
      std::vector<uint8_t> resource(4 + image.size);
      uint16_t hotspot[2] = {static_cast<uint16_t>(image.hotspotX),
                             static_cast<uint16_t>(image.hotspotY)};
      std::memcpy(resource.data(), hotspot, 4);
      std::memcpy(resource.data() + 4, image.image, image.size);
      return reinterpret_cast<HCURSOR>(CreateIconFromResourceEx(
          resource.data(), static_cast<DWORD>(resource.size()), FALSE, 0x30000,
          ScaleForDpi(image.width, dpi), ScaleForDpi(image.height, dpi), LR_DEFAULTCOLOR));
    }
    case PointerChoice::Kind::Stock:
      // Stock pointers are shared: copy one so that the control can own it.
      if (HCURSOR shared = LoadCursorW(nullptr, MAKEINTRESOURCEW(choice.systemPointer)))
        return reinterpret_cast<HCURSOR>(CopyIcon(reinterpret_cast<HICON>(shared)));
      return nullptr;
    case PointerChoice::Kind::None: break;
  }
  return nullptr;
}

void WritePointer(const Form& form, ControlState& c, std::vector<uint8_t> value) {
  c.pointer.reset(value.empty() ? nullptr : BuildPointer(value, form.dpi));
  c.pointerData = std::move(value);
  if (HasLiveWindow(&c)) {
    // The system asks for the shape again when the pointer "moves": a pointer resting
    // over the control changes at once.
    // No position on a locked or secure desktop: then there is nothing to move.
    POINT p;
    if (GetCursorPos(&p)) SetCursorPos(p.x, p.y);
  }
}

// ---- kind properties -------------------------------------------------------------

[[noreturn]] void NotLoaded(const char* message, uint32_t window, uint32_t control) {
  ReportFault(message, kFaultDirect, {static_cast<int32_t>(window), static_cast<int32_t>(control)});
}

uintptr_t ReadKindProperty(ControlState& c, int number) {
  HWND h = c.hwnd;
  switch (c.layout->kind) {
    case ControlKind::EditBox:
      if (number == kEditContent) return reinterpret_cast<uintptr_t>(GetControlText(h).release());
      if (number == kEditTextColour) return c.textColour;
      if (number == kEditMaxLength) return static_cast<uintptr_t>(c.maxLength);
      if (number == kEditInputMode) return static_cast<uintptr_t>(c.inputMode);
      break;
    case ControlKind::PictureBox:
      if (number == kPicturePicture)
        return reinterpret_cast<uintptr_t>(NewByteArray(c.pictureData));
      if (number == kPictureDisplayMode) return static_cast<uintptr_t>(c.displayMode);
      break;
    case ControlKind::CheckBox:
      if (number == kCheckBoxChecked)
        return SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
      break;
    case ControlKind::ComboBox:
      if (number == kComboSelection) {
        c.selection = static_cast<int>(SendMessageW(h, CB_GETCURSEL, 0, 0));
        return static_cast<uintptr_t>(static_cast<intptr_t>(c.selection));
      }
      break;
    case ControlKind::TabControl:
      if (number == kTabCurrentPage) return static_cast<uintptr_t>(c.currentPage);
      break;
    default: break;
  }
  return 0;
}

void WriteEditContent(ControlState& c, const char* text) {
  // Setting the text notifies by itself; the write raises content-changed just once.
  c.suppressChange = true;
  SetWindowTextW(c.hwnd, Wide(text).c_str());
  c.suppressChange = false;
  RaiseControlEvent(c, kEventContentChanged);
}

void WriteKindProperty(Form& form, ControlState& c, int number, uintptr_t low) {
  HWND h = c.hwnd;
  auto value = static_cast<int32_t>(low);
  switch (c.layout->kind) {
    case ControlKind::EditBox:
      if (number == kEditContent) WriteEditContent(c, reinterpret_cast<const char*>(low));
      if (number == kEditTextColour) {
        c.textColour = static_cast<uint32_t>(value);
        InvalidateRect(h, nullptr, TRUE);
      }
      if (number == kEditMaxLength) {
        c.maxLength = std::max(value, 0);
        SendMessageW(h, EM_LIMITTEXT, static_cast<WPARAM>(c.maxLength), 0);
      }
      if (number == kEditInputMode) {
        // Read-only and password are window styles: the control is rebuilt for them.
        int before = c.inputMode;
        c.inputMode = ClampChoice(value, 11);
        bool styleChanged =
            (before == 1) != (c.inputMode == 1) || (before == 2) != (c.inputMode == 2);
        if (styleChanged) RecreateEditBox(form, c);
      }
      break;
    case ControlKind::PictureBox:
      if (number == kPicturePicture) {
        c.pictureData = BytesOf(low);
        c.image = DecodePicture(c.pictureData.data(), c.pictureData.size());
        InvalidateRect(h, nullptr, FALSE);
      }
      if (number == kPictureDisplayMode) {
        c.displayMode = ClampChoice(value, 2);
        InvalidateRect(h, nullptr, FALSE);
      }
      break;
    case ControlKind::CheckBox:
      if (number == kCheckBoxChecked)
        SendMessageW(h, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case ControlKind::TabControl:
      if (number == kTabCurrentPage) SetCurrentPage(form, c, value);
      break;
    default: break;
  }
}

}  // namespace

void RebuildPointers(Form& form) {
  for (ControlState& c : form.controls) {
    if (c.pointerData.empty()) continue;
    // One that cannot be made for the new DPI leaves the old one in place.
    HCURSOR made = BuildPointer(c.pointerData, form.dpi);
    if (!made) continue;
    CursorHandle old = std::exchange(c.pointer, CursorHandle(made));
    // The system keeps a pointer on show: one showing now is replaced before it goes.
    if (old && GetCursor() == old.get()) SetCursor(c.pointer.get());
  }
}

uintptr_t ReadProperty(uint32_t window, uint32_t control, int number, int) {
  Target t = Resolve(window, control);
  ControlState* c = t.control;
  if (!c) return 0;  // the window's own properties are fixed by its layout
  if (number <= kPropMousePointer) {
    bool live = HasLiveWindow(c);
    switch (number) {
      case kPropLeft:
      case kPropTop: {
        if (!live) return static_cast<uintptr_t>(number == kPropLeft ? c->left : c->top);
        RECT r;
        GetWindowRect(c->hwnd, &r);
        MapWindowPoints(nullptr, GetParent(c->hwnd), reinterpret_cast<POINT*>(&r), 2);
        return static_cast<uintptr_t>(static_cast<intptr_t>(number == kPropLeft ? r.left : r.top));
      }
      case kPropWidth:
      case kPropHeight: {
        if (!live) return static_cast<uintptr_t>(number == kPropWidth ? c->width : c->height);
        RECT r;
        GetWindowRect(c->hwnd, &r);
        return static_cast<uintptr_t>(number == kPropWidth ? r.right - r.left : r.bottom - r.top);
      }
      case kPropTag: return CopyText(c->tag.c_str());
      case kPropVisible: return live ? IsWindowVisible(c->hwnd) != 0 : c->visible;
      case kPropDisabled: return live ? !IsWindowEnabled(c->hwnd) : c->disabled;
      case kPropMousePointer: return reinterpret_cast<uintptr_t>(NewByteArray(c->pointerData));
      default: return 0;
    }
  }
  if (!HasLiveWindow(c)) NotLoaded("读取组件属性时发现指定窗口尚未载入", window, control);
  return ReadKindProperty(*c, number);
}

void WriteProperty(uint32_t window, uint32_t control, int number, int, uintptr_t low, uint32_t) {
  Target t = Resolve(window, control);
  ControlState* c = t.control;
  if (!c) return;
  bool live = HasLiveWindow(c);
  auto value = static_cast<int32_t>(low);
  switch (number) {
    case kPropLeft:
    case kPropTop:
      (number == kPropLeft ? c->left : c->top) = ClampPosition(value);
      if (live) MoveWindow(c->hwnd, c->left, c->top, c->width, c->height, TRUE);
      return;
    case kPropWidth:
    case kPropHeight:
      (number == kPropWidth ? c->width : c->height) = ClampSize(value);
      if (live)
        SetWindowPos(c->hwnd, nullptr, 0, 0, c->width, c->height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return;
    case kPropTag: c->tag = low ? reinterpret_cast<const char*>(low) : ""; return;
    case kPropVisible:
      c->visible = value != 0;
      if (live) ApplyVisibility(*t.form, *c);
      return;
    case kPropDisabled:
      c->disabled = value != 0;
      if (live) EnableWindow(c->hwnd, !c->disabled);
      return;
    case kPropMousePointer: WritePointer(*t.form, *c, BytesOf(low)); return;
    default: break;
  }
  if (!live) NotLoaded("修改组件属性时发现指定窗口尚未载入", window, control);
  WriteKindProperty(*t.form, *c, number, low);
}

int32_t ReadInt(uint32_t control, int number) {
  return static_cast<int32_t>(ReadProperty(kMainWindowId, control, number));
}

Text ReadText(uint32_t control, int number) {
  return Text(reinterpret_cast<char*>(ReadProperty(kMainWindowId, control, number)));
}

void WriteInt(uint32_t control, int number, int32_t value) {
  WriteProperty(kMainWindowId, control, number, -1, static_cast<uint32_t>(value));
}

void WriteText(uint32_t control, int number, const char* text) {
  WriteProperty(kMainWindowId, control, number, -1, reinterpret_cast<uintptr_t>(text));
}

void WriteBytes(uint32_t control, int number, const uint8_t* data, size_t size) {
  int32_t* block = NewByteArray(std::vector<uint8_t>(data, data + size));
  WriteProperty(kMainWindowId, control, number, -1, reinterpret_cast<uintptr_t>(block));
  FreeBlock(block);
}
