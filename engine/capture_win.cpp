#include "app/services.h"
#include "app/sysfn.h"
#include "app/value.h"
#include "assets/embedded.h"
#include "engine/capture.h"
#include "ui/layout.h"
#include "ui/properties.h"

HWND GetTopLevelWindow(HWND hwnd) {
  // GetParent also steps from an owned pop-up to its owner.
  for (;;) {
    uintptr_t parent = CallSystemFunction(kGetParent, {67174861, 47}, hwnd);
    if (!parent) return hwnd;
    hwnd = reinterpret_cast<HWND>(parent);
  }
}

void StartCapture() {
  CaptureMouse(GetControlHandle({kMainWindowId, ids::图片框_捕获窗口}));
  WriteBytes(ids::图片框_捕获窗口, kPicturePicture, kDragPicture, kDragPictureSize);
}

void FinishCapture() {
  ReleaseMouseCapture();
  WriteBytes(ids::图片框_捕获窗口, kPicturePicture, kIdlePicture, kIdlePictureSize);
  HWND h = GetTopLevelWindow(GetWindowUnderCursor());
  WriteText(ids::编辑框_窗口标题, kEditContent, GetWindowTextOf(h).get());
  WriteText(ids::编辑框_窗口类名, kEditContent, GetWindowClassName(h).get());
  // Captured values are the user's own text, not the grey placeholder.
  WriteInt(ids::编辑框_窗口标题, kEditTextColour, 0);
  WriteInt(ids::编辑框_窗口类名, kEditTextColour, 0);
  RECT r = {};
  CallSystemFunction(kGetWindowRect, {67174580, 434}, h, &r);
  WriteText(ids::编辑框_窗口宽度, kEditContent,
            ToText(Value(static_cast<int32_t>(r.right - r.left))).get());
  WriteText(ids::编辑框_窗口高度, kEditContent,
            ToText(Value(static_cast<int32_t>(r.bottom - r.top))).get());
}
