#pragma once
// The main window's layout: every control with its identifier, kind, container,
// place, size, text and appearance; the stacking and focus orders; the event
// bindings. Plain tables, no <windows.h>.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ControlKind {
  Window,
  EditBox,
  PictureBox,
  GroupBox,
  Label,
  Button,
  CheckBox,
  ComboBox,
  TabControl
};

enum class FontChoice { Interface, Number };

constexpr uint32_t kMainWindowId = 0x52010001;
constexpr uint32_t kWindowSelfId = 0x06010000;  // the window's own events

// Colours are 0x00BBGGRR; this one stands for the system's button-face colour.
constexpr uint32_t kButtonFace = 0xFF000000;

struct ControlLayout {
  uint32_t id;
  const char* name;
  ControlKind kind;
  uint32_t container;  // 0: the window; else the group box or page container
  int page;            // page of the page container, or -1
  int left, top, width, height;
  const char* text;  // caption, initial content, or the items/pages separated by '\n'
  FontChoice font;
  uint32_t textColour;
  uint32_t background;
  int inputMode;  // edit boxes: 0 any text, 7 whole number
  int maxLength;  // edit boxes: 0 = no limit
  bool tabStop;
};

struct WindowLayout {
  uint32_t id;
  const char* caption;
  int width, height;  // outer size
};

extern const WindowLayout kMainWindow;
extern const ControlLayout kControls[];
extern const size_t kControlCount;

// Stacking order within each container, topmost first, by identifier.
struct StackingLayout {
  uint32_t container;
  const uint32_t* order;
  size_t count;
};
extern const StackingLayout kStacking[];
extern const size_t kStackingCount;

const ControlLayout* FindControlLayout(uint32_t id);
const ControlLayout* FindControlLayoutByName(const char* name);

// The control identifiers the handlers name.
namespace ids {
constexpr uint32_t 分组框_窗口查找条件 = 0x1601008c;
constexpr uint32_t 标签_窗口标题 = 0x1601008d;
constexpr uint32_t 编辑框_窗口标题 = 0x1601008e;
constexpr uint32_t 标签_窗口类名 = 0x1601008f;
constexpr uint32_t 编辑框_窗口类名 = 0x16010090;
constexpr uint32_t 标签_手动获取 = 0x160100a6;
constexpr uint32_t 图片框_捕获窗口 = 0x160100a9;
constexpr uint32_t 组合框_排列方式 = 0x160100d0;
constexpr uint32_t 分组框_排列方式 = 0x16010091;
constexpr uint32_t 选择夹_排序方式 = 0x160100d2;
constexpr uint32_t 标签_窗口宽度 = 0x160100d7;
constexpr uint32_t 编辑框_窗口宽度 = 0x160100d8;
constexpr uint32_t 标签_窗口高度 = 0x160100dc;
constexpr uint32_t 编辑框_窗口高度 = 0x160100db;
constexpr uint32_t 标签_单行数量 = 0x160100e7;
constexpr uint32_t 编辑框_单行数量 = 0x160100e8;
constexpr uint32_t 选择框_禁止修改窗口尺寸 = 0x160101c2;
constexpr uint32_t 按钮_自动排列 = 0x16010026;
}  // namespace ids

// The focus cycle, first to last (controls that are hidden or disabled at the time
// are skipped).
extern const uint32_t kFocusOrder[];
extern const size_t kFocusOrderCount;

// The next (or, backward, the previous) control of the cycle after `current` among
// those for which `canFocus` holds, wrapping around; `current` 0 or not in the cycle
// gives the first (or last). 0 when none can take the focus.
uint32_t NextInFocusCycle(uint32_t current, bool backward, bool (*canFocus)(uint32_t, void*),
                          void* context);

// The top-left corner of a window of outer size width x height centred on the whole
// screen (not the work area): halves truncated toward zero and never clamped, so a
// screen smaller than the window puts the window partly off it.
struct WindowOrigin {
  int left = 0;
  int top = 0;
  bool operator==(const WindowOrigin&) const = default;
};
WindowOrigin CentredOnScreen(int screenWidth, int screenHeight, int width, int height);

// The top-left corner that keeps a window of outer size width x height at `at` inside
// an area, moved no further than it takes; one larger than the area goes to the area's
// left or top, where its caption stays within reach.
struct AreaRect {
  int left, top, right, bottom;
};
WindowOrigin KeptInside(WindowOrigin at, int width, int height, const AreaRect& area);

// The layout's pixels are those of a 96-DPI screen: a length at `dpi`, rounded as the
// system's MulDiv rounds (halves away from zero).
int ScaleForDpi(int value, int dpi);

// Splits a layout text "a\nb" (combo items, page names) into its parts.
std::vector<std::string> LayoutLines(const char* text);

// Event numbers. A kind's own events count up from 0, so one number means one thing
// per kind: 0 is a button's click, an edit box's change, a combo box's choice and a
// picture box's loss of the mouse.
constexpr int kEventClicked = 0;
constexpr int kEventContentChanged = 0;
constexpr int kEventItemChosen = 0;
constexpr int kEventCaptureLost = 0;  // a picture box that held the mouse lost it
// The window's own events.
constexpr int kEventCreated = 0;
constexpr int kEventUnloadQuery = 1;  // the window may go: a false result keeps it
constexpr int kEventDestroying = 2;
constexpr int kEventMoved = 3;    // told once after creation, for the starting place
constexpr int kEventResized = 4;  // and the starting size
constexpr int kEventActivated = 5;
constexpr int kEventDeactivated = 6;
constexpr int kEventIdle = 7;  // a true result asks for more idle time
constexpr int kEventFirstActivated = 8;
constexpr int kEventCloseQuery = 12;  // asked to close: a false result keeps it open
// The events common to every control and the window, numbered down from -1.
constexpr int kEventLeftDown = -1;
constexpr int kEventLeftUp = -2;
constexpr int kEventLeftDoubleClick = -3;
constexpr int kEventRightDown = -4;
constexpr int kEventRightUp = -5;
constexpr int kEventMouseMove = -6;
constexpr int kEventGotFocus = -7;
constexpr int kEventLostFocus = -8;
constexpr int kEventKeyDown = -9;
constexpr int kEventKeyUp = -10;
constexpr int kEventChar = -11;  // a non-zero result replaces the character, 0 drops it
constexpr int kEventWheel = -12;
