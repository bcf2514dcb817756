// The main window built in this process: properties read and written through
// control references, pages, and an edit box rebuilt in place.
#include "ui/form.h"

#include <gtest/gtest.h>

#include "app/memory.h"
#include "app/services.h"
#include "tests/win/win_support.h"
#include "ui/properties.h"

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
