// The main window built in this process: properties read and written through
// control references, pages, and an edit box rebuilt in place.
#include "ui/form.h"

#include <gtest/gtest.h>

#include "base/memory.h"
#include "base/services.h"
#include "base/shutdown.h"
#include "base/sysfn.h"
#include "tests/win/win_support.h"
#include "ui/properties.h"
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

namespace {

using namespace ids;

class MainForm : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadStartWindow(kMainWindowId);
    form = LoadedForm();
    ASSERT_NE(form, nullptr);
  }
  void TearDown() override {
    if (form) SendMessageA(form->hwnd, WM_CLOSE, 0, 0);
    Pump();
  }
  HWND Hwnd(uint32_t id) { return FindControl(*form, id)->hwnd; }
  Form* form = nullptr;
};

TEST_F(MainForm, CommonPropertiesAreClampedAndApplied) {
  WriteInt(按钮_自动排列, kPropLeft, 40000);
  EXPECT_EQ(ReadInt(按钮_自动排列, kPropLeft), 32627);
  WriteInt(按钮_自动排列, kPropLeft, 170);
  WriteInt(按钮_自动排列, kPropTop, 300);
  WriteInt(按钮_自动排列, kPropWidth, -5);
  EXPECT_EQ(ReadInt(按钮_自动排列, kPropWidth), 0);
  WriteInt(按钮_自动排列, kPropWidth, 100);
  RECT r;
  GetWindowRect(Hwnd(按钮_自动排列), &r);
  MapWindowPoints(nullptr, form->hwnd, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 170);
  EXPECT_EQ(r.top, 300);
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_EQ(r.bottom - r.top, 32);  // the height kept
  // A control on the page that is not showing stays hidden when made visible.
  WriteInt(编辑框_单行数量, kPropVisible, 1);
  EXPECT_FALSE(IsWindowVisible(Hwnd(编辑框_单行数量)));
  WriteInt(编辑框_窗口宽度, kPropDisabled, 1);
  EXPECT_FALSE(IsWindowEnabled(Hwnd(编辑框_窗口宽度)));
  EXPECT_EQ(ReadInt(编辑框_窗口宽度, kPropDisabled), 1);
}

TEST_F(MainForm, PagesAreClampedAndShowOnlyTheirControls) {
  const struct { int written, page; } cases[] = {{1, 1}, {5, 1}, {-1, 0}, {0, 0}};
  for (const auto& c : cases) {
    WriteInt(选择夹_排序方式, kTabCurrentPage, c.written);
    EXPECT_EQ(ReadInt(选择夹_排序方式, kTabCurrentPage), c.page);
    EXPECT_EQ(IsWindowVisible(Hwnd(编辑框_窗口宽度)) != 0, c.page == 0) << c.written;
    EXPECT_EQ(IsWindowVisible(Hwnd(选择框_禁止修改窗口尺寸)) != 0, c.page == 1) << c.written;
  }
}

TEST_F(MainForm, KindPropertiesRoundTrip) {
  WriteText(编辑框_窗口类名, kEditContent, "Notepad");
  EXPECT_STREQ(ReadText(编辑框_窗口类名, kEditContent).get(), "Notepad");
  WriteText(编辑框_窗口类名, kEditContent, nullptr);
  EXPECT_EQ(ReadText(编辑框_窗口类名, kEditContent).get(), nullptr);  // empty reads as null
  EXPECT_EQ(ReadInt(选择框_禁止修改窗口尺寸, kCheckBoxChecked), 0);
  SendMessageA(Hwnd(选择框_禁止修改窗口尺寸), BM_CLICK, 0, 0);
  EXPECT_EQ(ReadInt(选择框_禁止修改窗口尺寸, kCheckBoxChecked), 1);
  EXPECT_EQ(ReadInt(组合框_排列方式, kComboSelection), 0);
  SendMessageA(Hwnd(组合框_排列方式), CB_SETCURSEL, 1, 0);
  EXPECT_EQ(ReadInt(组合框_排列方式, kComboSelection), 1);
  // Picture data that does not decode leaves no image, and no fault.
  const uint8_t junk[] = {1, 2, 3, 4, 5};
  WriteBytes(图片框_捕获窗口, kPicturePicture, junk, sizeof junk);
  EXPECT_TRUE(FindControl(*form, 图片框_捕获窗口)->image.empty());
  auto* stored =
      reinterpret_cast<int32_t*>(ReadProperty(kMainWindowId, 图片框_捕获窗口, kPicturePicture));
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(ArrayElementCount(stored), 5);
  FreeBlock(stored);
}

// Switching an edit box to password input rebuilds its window: text, place, stacking
// and focus carry over, and no event runs meanwhile (the width field's lost-focus
// check would otherwise complain about its 0).
TEST_F(MainForm, AnEditBoxIsRebuiltInPlaceWithoutEvents) {
  HWND old = Hwnd(编辑框_窗口宽度);
  SetWindowTextA(old, "0");
  SetFocus(old);
  HWND above = GetWindow(old, GW_HWNDPREV);
  WriteInt(编辑框_窗口宽度, kEditInputMode, 2);
  HWND fresh = Hwnd(编辑框_窗口宽度);
  ASSERT_NE(fresh, old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_TRUE(GetWindowLongA(fresh, GWL_STYLE) & ES_PASSWORD);
  EXPECT_EQ(GetFocus(), fresh);
  EXPECT_EQ(GetWindow(fresh, GW_HWNDPREV), above);
  char text[8] = {};
  GetWindowTextA(fresh, text, sizeof text);
  EXPECT_STREQ(text, "0");
  EXPECT_TRUE(DialogsOf(GetCurrentProcessId()).empty());
  EXPECT_EQ(GetControlHandle({kMainWindowId, 编辑框_窗口宽度}), fresh);
}

// Stands in for the shell's taskbar query: a 1-pixel bottom strip, and a count.
int g_taskbarQueries = 0;
UINT_PTR WINAPI CountedTaskbarQuery(DWORD, APPBARDATA* data) {
  ++g_taskbarQueries;
  data->rc = {0, GetSystemMetrics(SM_CYSCREEN) - 1, GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN)};
  return 1;
}

// The per-row check and the arrangement use one reading of the work area: with two,
// a taskbar or resolution change between them could still reach the division by 0.
TEST_F(MainForm, AnArrangeClickReadsTheWorkAreaOnce) {
  HWND target = MakeWindow("one reading");
  WriteText(编辑框_窗口标题, kEditContent, "one reading");
  WriteInt(编辑框_窗口标题, kEditTextColour, 0);
  SendMessageA(Hwnd(组合框_排列方式), CB_SETCURSEL, 1, 0);
  WriteText(编辑框_单行数量, kEditContent, "2");
  g_taskbarQueries = 0;
  g_app.systemFunctions[kSHAppBarMessage] = {reinterpret_cast<void*>(CountedTaskbarQuery), nullptr};
  RaiseControlEvent(*FindControl(*form, 按钮_自动排列), kEventClicked);
  EXPECT_EQ(g_taskbarQueries, 1);
  RECT r{};
  GetWindowRect(target, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN) - 1);
  FreeSystemFunctions();
  DestroyWindow(target);
}

// The window goes back to the control that had the focus when it was deactivated,
// and to the first of the cycle when none had it: not to a control remembered from
// an older deactivation, whose got-focus handler would then clear its placeholder.
TEST_F(MainForm, ActivationRestoresTheFocusItWasLeftWith) {
  HWND other = MakeWindow("elsewhere");
  auto switchAway = [&] {
    SetActiveWindow(other);
    Pump();
    ASSERT_EQ(GetActiveWindow(), other);
  };
  auto comeBack = [&] {
    SetActiveWindow(form->hwnd);
    Pump();
    ASSERT_EQ(GetActiveWindow(), form->hwnd);
  };
  struct Case {
    const char* name;
    HWND focusBefore;  // where the focus is when the window is left
    HWND focusAfter;
  };
  const Case kCases[] = {
      {"a search field", Hwnd(编辑框_窗口标题), Hwnd(编辑框_窗口标题)},
      {"the window itself", form->hwnd, Hwnd(按钮_自动排列)},
      {"the combo box", Hwnd(组合框_排列方式), Hwnd(组合框_排列方式)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    SetFocus(c.focusBefore);
    Pump();
    ASSERT_NO_FATAL_FAILURE(switchAway());
    ASSERT_NO_FATAL_FAILURE(comeBack());
    EXPECT_EQ(GetFocus(), c.focusAfter);
  }
  // The title field last had the focus two deactivations ago: it keeps its
  // placeholder.
  EXPECT_STREQ(ReadText(编辑框_窗口标题, kEditContent).get(), "[ 可空 ]");
  DestroyWindow(other);
}

// The combo box's dropped list is a window of its own; it asks through the combo box
// for its colours and must get the combo box's black on white, as the closed box
// does, not the system's list colours.
TEST_F(MainForm, TheDroppedListTakesTheComboBoxColours) {
  HWND combo = Hwnd(组合框_排列方式);
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  ASSERT_NE(info.hwndList, nullptr);
  HBRUSH own = FindControl(*form, 组合框_排列方式)->backgroundBrush.get();
  ASSERT_NE(own, nullptr);
  for (HWND asking : {combo, info.hwndList}) {
    HDC dc = GetDC(info.hwndList);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    // The list asks its combo box, which passes the question on to the window.
    LRESULT brush = SendMessageA(combo, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(asking));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), own);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    ReleaseDC(info.hwndList, dc);
  }
}

}  // namespace
