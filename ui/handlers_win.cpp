// The event handlers of the main window and the table that binds them.
#include "assets/embedded.h"
#include "base/msgbox.h"
#include "base/phases.h"
#include "base/services.h"
#include "engine/arrange.h"
#include "engine/capture.h"
#include "ui/edit_rules.h"
#include "ui/form.h"
#include "ui/properties.h"

namespace {

using namespace ids;

const char kPlaceholder[] = "[ 可空 ]";
constexpr int32_t kPlaceholderColour = 0x606060;

// False once the window is closed or closing. A handler that waited (a box, another
// program's answer) asks before it goes on: another program may have closed the
// window meanwhile, and its controls are then gone.
bool StillOpen() {
  Form* form = LoadedForm();
  return form && !form->closing;
}

// Shows the message; false when the window was closed while the box was up.
bool ShowError(const char* text, const char* title) {
  ShowMessageBox(Value(text), MB_ICONERROR, title);
  return StillOpen();
}

bool OnCreated(EventRecord&) {
  WriteBytes(图片框_捕获窗口, kPropMousePointer, kCaptureCursor, kCaptureCursorSize);
  MarkStartupPhase("capture cursor");
  WriteBytes(图片框_捕获窗口, kPicturePicture, kIdlePicture, kIdlePictureSize);
  MarkStartupPhase("idle picture decoded");
  return false;
}

// A search field shows either the grey placeholder or the user's text in black.
bool OnSearchFieldGotFocus(EventRecord& e) {
  Text content = ReadText(e.control, kEditContent);
  if (CompareText(content.get(), kPlaceholder) == 0) {
    WriteInt(e.control, kEditTextColour, 0);
    WriteText(e.control, kEditContent, CharFromCode(0).get());
  }
  return false;
}

bool OnSearchFieldLostFocus(EventRecord& e) {
  Text content = ReadText(e.control, kEditContent);
  if (CompareText(content.get(), nullptr) == 0) {
    WriteInt(e.control, kEditTextColour, kPlaceholderColour);
    WriteText(e.control, kEditContent, kPlaceholder);
  }
  return false;
}

// The message of a field's refusal is the one the command line writes too.
struct NumericField {
  uint32_t id;
  ArrangeRefusal refusal;
  const char* title;
};
const NumericField kWidth = {编辑框_窗口宽度, ArrangeRefusal::kWidth, "无效宽度"};
const NumericField kHeight = {编辑框_窗口高度, ArrangeRefusal::kHeight, "无效高度"};
const NumericField kPerRow = {编辑框_单行数量, ArrangeRefusal::kPerRow, "无效数量"};

// Tells the user, empties the field and gives it the focus back. One refusal at a
// time: while its box is up no other field is checked, and a press that a control of
// the window was tracking (the arrange button held down) is called off rather than
// left half done behind the box.
void RefuseField(const NumericField& field) {
  Form* form = LoadedForm();
  if (!form || form->closing) return;
  form->refusing = true;
  HWND tracking = GetCapture();
  if (tracking && IsChild(form->hwnd, tracking)) SendMessageW(tracking, WM_CANCELMODE, 0, 0);
  if (ShowError(RefusalMessage(field.refusal), field.title)) {
    WriteText(field.id, kEditContent, CharFromCode(0).get());
    SetControlFocus({kMainWindowId, field.id});
  }
  // The window may have gone while the box was up.
  if (Form* still = LoadedForm()) still->refusing = false;
}

const NumericField* NumericFieldOf(uint32_t id) {
  for (const NumericField* f : {&kWidth, &kHeight, &kPerRow})
    if (f->id == id) return f;
  return nullptr;
}

void RefuseFieldLater(uint32_t id) {
  if (const NumericField* field = NumericFieldOf(id)) RefuseField(*field);
}

// A field's number, read as the handlers read any control (its content property, a
// text block): full-width digits, typed with a Chinese input method, fold to ASCII
// first, then the leading integer counts. A number too large for the field's own
// 32 bits, which only another program's WM_SETTEXT can put there, reads as 0 and is
// refused: wrapped around, it would arrange at a size nobody typed.
int32_t FieldValue(uint32_t id) {
  Text text = ReadText(id, kEditContent);
  const int64_t value = ReadLeadingInteger64(FoldFullWidth(text.get()).c_str());
  return value < INT32_MIN || value > INT32_MAX ? 0 : static_cast<int32_t>(value);
}

// The field loses the focus in the middle of another control's taking it (a Tab, a
// button pressed): the refusal waits until that is done, and the focus passing
// through another field on its way back is no leaving of that field.
bool CheckOnLeaving(const NumericField& field) {
  Form* form = LoadedForm();
  if (!form || form->refusing || FieldValue(field.id) > 0) return false;
  form->refusing = true;
  RunAfterMessage(*form, RefuseFieldLater, field.id);
  return false;
}

bool OnWidthLostFocus(EventRecord&) { return CheckOnLeaving(kWidth); }
bool OnHeightLostFocus(EventRecord&) { return CheckOnLeaving(kHeight); }
bool OnPerRowLostFocus(EventRecord&) { return CheckOnLeaving(kPerRow); }

bool OnMethodChosen(EventRecord&) {
  WriteInt(选择夹_排序方式, kTabCurrentPage, ReadInt(组合框_排列方式, kComboSelection));
  return false;
}

// The tool lost the mouse before the release (Esc, another program took it): the
// idle picture comes back and nothing is captured.
bool OnCaptureLost(EventRecord&) {
  WriteBytes(图片框_捕获窗口, kPicturePicture, kIdlePicture, kIdlePictureSize);
  return false;
}

bool OnCapturePressed(EventRecord&) {
  StartCapture(GetControlHandle({kMainWindowId, 图片框_捕获窗口}));
  WriteBytes(图片框_捕获窗口, kPicturePicture, kDragPicture, kDragPictureSize);
  return false;
}

bool OnCaptureReleased(EventRecord&) {
  HWND tool = GetControlHandle({kMainWindowId, 图片框_捕获窗口});
  // A press elsewhere released over the tool ends no capture: the fields keep what
  // the user typed. A capture taken away meanwhile only gets its idle picture back.
  if (!IsCapturing(tool)) {
    WriteBytes(图片框_捕获窗口, kPicturePicture, kIdlePicture, kIdlePictureSize);
    return false;
  }
  CapturedWindow found = FinishCapture();
  if (!StillOpen()) return false;
  WriteBytes(图片框_捕获窗口, kPicturePicture, kIdlePicture, kIdlePictureSize);
  // Let go over Quiltmark itself (a click on the tool, say): what the user typed stays.
  if (found.ours) return false;
  WriteText(编辑框_窗口标题, kEditContent, found.title.get());
  WriteText(编辑框_窗口类名, kEditContent, found.className.get());
  // Captured values are the user's own text, not the grey placeholder.
  WriteInt(编辑框_窗口标题, kEditTextColour, 0);
  WriteInt(编辑框_窗口类名, kEditTextColour, 0);
  const RECT& r = found.rect;
  WriteText(编辑框_窗口宽度, kEditContent,
            ToText(Value(static_cast<int32_t>(r.right - r.left))).get());
  WriteText(编辑框_窗口高度, kEditContent,
            ToText(Value(static_cast<int32_t>(r.bottom - r.top))).get());
  return false;
}

// A field holding the placeholder counts as empty.
Text SearchText(uint32_t id) {
  Text text = ReadText(id, kEditContent);
  if (CompareText(text.get(), kPlaceholder) == 0) return CharFromCode(0);
  return text;
}

bool OnArrangeClicked(EventRecord&) {
  // The press took the focus from a field that is being refused: no click then. Nor
  // while the last arrangement is still waiting for a program's answer.
  Form* form = LoadedForm();
  if (!form || form->refusing) return false;
  ContinueArrangement(*form);
  if (form->arrangement) return false;
  // The fields the method uses are checked before anything is searched: a size or a
  // count of 0 or less, or more windows a row than the screen has pixels across,
  // would otherwise end the program in the arrangement's division. One reading of
  // the work area serves the check and the arrangement: a change of resolution or
  // taskbar between two readings could still divide by zero.
  ArrangeRequest request;
  request.title = SearchText(编辑框_窗口标题).c_str();
  request.className = SearchText(编辑框_窗口类名).c_str();
  bool byRowCount = ReadInt(组合框_排列方式, kComboSelection) == 1;
  request.method = byRowCount ? ArrangeMethod::kByRowCount : ArrangeMethod::kBySize;
  if (byRowCount) {
    request.perRow = FieldValue(编辑框_单行数量);
    request.keepSize = ReadInt(选择框_禁止修改窗口尺寸, kCheckBoxChecked) == 1;
  } else {
    request.width = FieldValue(编辑框_窗口宽度);
    request.height = FieldValue(编辑框_窗口高度);
  }
  const WorkArea area = ComputeWorkArea();
  switch (CheckArrangeRequest(request, area)) {
    case ArrangeRefusal::kNone: break;
    case ArrangeRefusal::kNoCondition:
      if (ShowError(RefusalMessage(ArrangeRefusal::kNoCondition), "无效条件"))
        SetControlFocus({kMainWindowId, 编辑框_窗口标题});
      return false;
    case ArrangeRefusal::kWidth: RefuseField(kWidth); return false;
    case ArrangeRefusal::kHeight: RefuseField(kHeight); return false;
    case ArrangeRefusal::kPerRow: RefuseField(kPerRow); return false;
    case ArrangeRefusal::kOffScreen:
    case ArrangeRefusal::kRowsTooLow: break;  // known once the windows are counted
  }
  WindowList list;
  const bool found = FindRequestedWindows(request, list);
  // The titles were asked for with a time limit, during which the window may have been
  // closed.
  form = LoadedForm();
  if (!StillOpen()) return false;
  if (!found) {
    ShowError("没有找到匹配的窗口", "未找到");
    return false;
  }
  if (ArrangeRefusal grid = CheckGrid(request, area, list.Count()); grid != ArrangeRefusal::kNone) {
    ShowError(RefusalMessage(grid), "无效条件");
    return false;
  }
  // Where the windows were, for 撤销排列, before any of them moves.
  KeepForUndo(*form, SavePlacements(list));
  StartKeeping(*form, request);
  // The window goes on painting and taking input while the other programs answer.
  form->arrangement = std::make_unique<Arrangement>(list, request, area, form->hwnd,
                                                    PrivateMessageId(PrivateMessage::kArrange));
  ContinueArrangement(*form);
  return false;
}

const EventBinding kBindings[] = {
    {kWindowSelfId, kEventCreated, OnCreated},
    {编辑框_窗口标题, kEventGotFocus, OnSearchFieldGotFocus},
    {编辑框_窗口标题, kEventLostFocus, OnSearchFieldLostFocus},
    {编辑框_窗口类名, kEventGotFocus, OnSearchFieldGotFocus},
    {编辑框_窗口类名, kEventLostFocus, OnSearchFieldLostFocus},
    {编辑框_窗口宽度, kEventLostFocus, OnWidthLostFocus},
    {编辑框_窗口高度, kEventLostFocus, OnHeightLostFocus},
    {编辑框_单行数量, kEventLostFocus, OnPerRowLostFocus},
    {组合框_排列方式, kEventItemChosen, OnMethodChosen},
    {图片框_捕获窗口, kEventLeftDown, OnCapturePressed},
    {图片框_捕获窗口, kEventLeftUp, OnCaptureReleased},
    {图片框_捕获窗口, kEventCaptureLost, OnCaptureLost},
    {按钮_自动排列, kEventClicked, OnArrangeClicked},
};

}  // namespace

EventHandler FindEventHandler(uint32_t control, int event) {
  for (const EventBinding& b : kBindings)
    if (b.control == control && b.event == event) return b.handler;
  return nullptr;
}
