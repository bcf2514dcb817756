// The keyboard as a person uses it on the main window: typing into the numeric
// fields, Tab and Shift+Tab, Esc, Enter and Space; and the pointer's shape over the
// capture tool.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/utf8.h"

namespace {

// The controls the keyboard reaches, and the capture tool.
struct Controls {
  HWND button, title, className, combo, width, height, perRow, keepSize, tool;
};
using Member = HWND Controls::*;

struct ControlPlace {
  const char* name;
  Member member;
  const char* cls;   // null: the capture tool's own class
  int x, y;          // in the main window's client area
  const char* text;  // tells apart the page-0 and page-1 fields at one place
};

const ControlPlace kPlaces[] = {
    {"arrange button", &Controls::button, "Button", 180, 316, "自动排列"},
    {"title field", &Controls::title, "Edit", 96, 39, nullptr},
    {"class field", &Controls::className, "Edit", 96, 77, nullptr},
    {"method combo", &Controls::combo, "ComboBox", 80, 174, nullptr},
    {"width field", &Controls::width, "Edit", 110, 217, "800"},
    {"height field", &Controls::height, "Edit", 110, 255, nullptr},
    {"per-row field", &Controls::perRow, "Edit", 110, 217, "3"},
    {"keep-size box", &Controls::keepSize, "Button", 110, 255, nullptr},
    {"capture tool", &Controls::tool, nullptr, 96, 115, nullptr},
};

const char* NameOf(const Controls& c, HWND hwnd) {
  for (const ControlPlace& p : kPlaces)
    if (c.*p.member == hwnd) return p.name;
  return hwnd ? "another window" : "no window";
}

// Starts Quiltmark in front and finds its controls; false when anything is missing.
bool Launch(Quiltmark& app, HWND& window, Controls& c) {
  window = StartInFront(app);
  if (!window) return false;
  bool all = true;
  for (const ControlPlace& p : kPlaces) {
    c.*p.member = ControlAt(window, p.cls, p.x, p.y, p.text);
    if (!(c.*p.member)) std::fprintf(stderr, "Launch: no %s at %d,%d\n", p.name, p.x, p.y);
    all = all && c.*p.member != nullptr;
  }
  return all;
}

// The darkest colour inside a field's border: with smoothed glyphs some pixels are
// still fully covered, so this is the colour of the text.
DWORD InkOf(HWND field) {
  RECT r{};
  GetWindowRect(field, &r);
  int cx = r.right - r.left, cy = r.bottom - r.top;
  std::vector<DWORD> pixels = PixelsOf(field);
  DWORD darkest = 0xFFFFFF;
  int darkestSum = 3 * 255;
  for (int y = 3; y < cy - 3; ++y) {
    for (int x = 3; x < cx - 3; ++x) {
      DWORD rgb = pixels[static_cast<size_t>(y) * cx + x];
      int sum = static_cast<int>((rgb >> 16) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF));
      if (sum < darkestSum) {
        darkest = rgb;
        darkestSum = sum;
      }
    }
  }
  return darkest;
}

// The program repaints in its own time.
DWORD WaitForInk(HWND field, DWORD expected) {
  DWORD ink = InkOf(field);
  for (int tries = 0; tries < 30 && ink != expected; ++tries, Sleep(50)) ink = InkOf(field);
  return ink;
}

void SelectAll() {
  PressKey(VK_HOME);
  PressChord(VK_SHIFT, VK_END);
}

// One start of Quiltmark with its controls found; the focus starts on the button.
class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Launch(app_, window_, c_)) << "Quiltmark did not come up with all its controls";
    ASSERT_EQ(WaitForFocus(app_.ThreadId(), c_.button), c_.button);
  }

  HWND Focus() const { return FocusOf(app_.ThreadId()); }
  // Polls for the focus and names what has it.
  std::string FocusNameAfterWait(HWND expected) const {
    return NameOf(c_, WaitForFocus(app_.ThreadId(), expected));
  }

  Quiltmark app_;
  HWND window_ = nullptr;
  Controls c_{};
};

// Tabs forward until `target` has the focus; false when it never gets it.
bool TabTo(const Quiltmark& app, HWND target) {
  HWND focus = FocusOf(app.ThreadId());
  for (int presses = 0; presses < 8 && focus != target; ++presses) {
    PressKey(VK_TAB);
    HWND before = focus;
    for (int tries = 0; tries < 40 && focus == before; ++tries, Sleep(25))
      focus = FocusOf(app.ThreadId());
  }
  return focus == target;
}

// Chooses "根据行数排序" with Down in the closed combo box; page 1 then shows.
bool ShowPageOne(const Quiltmark& app, const Controls& c) {
  if (!TabTo(app, c.combo)) return false;
  PressKey(VK_DOWN);
  for (DWORD waited = 0; waited < 3000; waited += 50) {
    if (IsWindowVisible(c.perRow)) return true;
    Sleep(50);
  }
  return false;
}

// Hands characters to the field as an input method does, one WM_IME_CHAR each.
void SendAsInputMethod(HWND field, const char* text) {
  for (wchar_t c : W(text)) PostMessageW(field, WM_IME_CHAR, c, 1);
}

// The width field takes digits and "-", at most four characters, whichever way they
// come: typed (a Chinese or full-width character too), pasted, or from an input
// method; leaving it rewrites the text as a number, and a number that is not
// positive is refused with a message box that leaves the field empty and focused.
TEST_F(Keyboard, WidthFieldFiltersNormalisesAndValidates) {
  enum class Act { kType, kPaste, kShiftInsert, kHome, kUnicode, kInputMethod };
  struct Step {
    Act act;
    const char* input;
    const char* shows;  // the field's text afterwards
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;  // after selecting the whole text
    const char* leftAs;       // the text once the focus has left the field
    bool refused;
  };
  const Case kCases[] = {
      {"letters, a point and a fifth digit are refused",
       {{Act::kType, "a", "800"},
        {Act::kType, ".", "800"},
        {Act::kType, "1", "1"},
        {Act::kType, "234", "1234"},
        {Act::kType, "5", "1234"}},
       "1234",
       false},
      {"a minus between digits", {{Act::kType, "1-2", "1-2"}}, "1", false},
      {"pasted letters are dropped", {{Act::kPaste, "12ab", "12"}}, "12", false},
      {"Chinese characters typed are dropped, full-width digits fold",
       {{Act::kType, "1", "1"},
        {Act::kUnicode, "中", "1"},
        {Act::kUnicode, "２", "12"},
        {Act::kUnicode, "３", "123"}},
       "123",
       false},
      {"a Chinese character pasted among digits", {{Act::kPaste, "12中3", "123"}}, "123", false},
      {"full-width digits pasted fold as typed ones", {{Act::kPaste, "８００", "800"}}, "800", false},
      {"pasted with Shift+Insert", {{Act::kShiftInsert, "4中5x", "45"}}, "45", false},
      {"pasted Chinese alone leaves the field as it was",
       {{Act::kType, "45", "45"}, {Act::kPaste, "中文", "45"}},
       "45",
       false},
      {"characters from an input method",
       {{Act::kType, "9", "9"}, {Act::kInputMethod, "中１7", "917"}},
       "917",
       false},
      {"leading zeros", {{Act::kType, "0012", "0012"}}, "12", false},
      {"zero", {{Act::kType, "0", "0"}}, "", true},
      {"a minus in front",
       {{Act::kType, "12", "12"}, {Act::kHome, nullptr, "12"}, {Act::kType, "-", "-12"}},
       "-12",
       true},
      {"nothing", {{Act::kType, "\b", ""}}, "", true},
  };
  for (const Case& k : kCases) {
    SCOPED_TRACE(k.name);
    // Back into the field: Tab from the start, Shift+Tab after leaving it for the
    // height field; a refusal leaves the focus in it.
    if (Focus() == c_.button) {
      ASSERT_TRUE(TabTo(app_, c_.width));
    }
    if (Focus() == c_.height) PressChord(VK_SHIFT, VK_TAB);
    ASSERT_EQ(FocusNameAfterWait(c_.width), NameOf(c_, c_.width));
    SelectAll();
    for (const Step& s : k.steps) {
      if (s.act == Act::kType) TypeKeys(s.input);
      if (s.act == Act::kPaste || s.act == Act::kShiftInsert) {
        ASSERT_TRUE(PutOnClipboard(s.input));
        if (s.act == Act::kPaste)
          PressChord(VK_CONTROL, 'V');
        else
          PressChord(VK_SHIFT, VK_INSERT);
      }
      if (s.act == Act::kHome) PressKey(VK_HOME);
      if (s.act == Act::kUnicode) TypeText(s.input);
      if (s.act == Act::kInputMethod) SendAsInputMethod(c_.width, s.input);
      EXPECT_EQ(WaitForText(c_.width, s.shows), s.shows)
          << "after " << (s.input ? s.input : "Home");
    }
    PressKey(VK_TAB);
    if (!k.refused) {
      EXPECT_EQ(FocusNameAfterWait(c_.height), NameOf(c_, c_.height));
      EXPECT_EQ(TextOf(c_.width), k.leftAs);
      EXPECT_TRUE(DialogBoxesOf(app_.ProcessId()).empty());
      // Each case starts where the one before left the field.
      if (HasFailure()) return;
      continue;
    }
    MessageBoxSeen box = WaitForMessageBox(app_.ProcessId());
    ASSERT_NE(box.hwnd, nullptr) << "no message box";
    EXPECT_EQ(box.title, "无效宽度");
    EXPECT_EQ(box.text, "窗口宽度无效");
    EXPECT_TRUE(box.errorIcon);
    // The handler sees the text already rewritten.
    EXPECT_EQ(TextOf(c_.width), k.leftAs);
    ASSERT_TRUE(AnswerOk(box.hwnd));
    EXPECT_EQ(FocusNameAfterWait(c_.width), NameOf(c_, c_.width));
    EXPECT_EQ(WaitForText(c_.width, ""), "");
    // One refusal, not a second box from the focus coming back.
    Sleep(300);
    EXPECT_TRUE(DialogBoxesOf(app_.ProcessId()).empty());
    EXPECT_EQ(NameOf(c_, Focus()), NameOf(c_, c_.width));
    if (HasFailure()) return;
  }
}

// Tab and Shift+Tab go round the controls of the page on show, and only those.
TEST_F(Keyboard, TabCyclesTheControlsOnShow) {
  struct Cycle {
    const char* name;
    int page;
    Member from;
    bool backward;
    std::vector<Member> stops;
  };
  const Cycle kCycles[] = {
      {"page 0, Tab",
       0,
       &Controls::button,
       false,
       {&Controls::title, &Controls::className, &Controls::combo, &Controls::width,
        &Controls::height, &Controls::button}},
      {"page 0, Shift+Tab",
       0,
       &Controls::button,
       true,
       {&Controls::height, &Controls::width, &Controls::combo, &Controls::className,
        &Controls::title, &Controls::button}},
      {"page 1, Tab",
       1,
       &Controls::combo,
       false,
       {&Controls::perRow, &Controls::keepSize, &Controls::button, &Controls::title,
        &Controls::className, &Controls::combo}},
      {"page 1, Shift+Tab",
       1,
       &Controls::combo,
       true,
       {&Controls::className, &Controls::title, &Controls::button, &Controls::keepSize,
        &Controls::perRow, &Controls::combo}},
      {"page 0 again, Tab",
       0,
       &Controls::combo,
       false,
       {&Controls::width, &Controls::height, &Controls::button, &Controls::title,
        &Controls::className, &Controls::combo}},
  };
  for (const Cycle& cycle : kCycles) {
    SCOPED_TRACE(cycle.name);
    if (cycle.page == 1 && !IsWindowVisible(c_.perRow)) {
      ASSERT_TRUE(ShowPageOne(app_, c_)) << "choosing 根据行数排序 did not show page 1";
      EXPECT_EQ(SendMessageA(c_.combo, CB_GETCURSEL, 0, 0), 1);
      EXPECT_FALSE(IsWindowVisible(c_.width));
      EXPECT_FALSE(IsWindowVisible(c_.height));
      EXPECT_TRUE(IsWindowVisible(c_.keepSize));
    }
    if (cycle.page == 0 && IsWindowVisible(c_.perRow)) {
      // Back to "根据尺寸排序" through the open list.
      ASSERT_TRUE(TabTo(app_, c_.combo));
      PressChord(VK_MENU, VK_DOWN);
      PressKey(VK_UP);
      PressKey(VK_RETURN);
      for (int tries = 0; tries < 60 && !IsWindowVisible(c_.width); ++tries) Sleep(50);
      ASSERT_TRUE(IsWindowVisible(c_.width)) << "choosing 根据尺寸排序 did not show page 0";
      EXPECT_EQ(SendMessageA(c_.combo, CB_GETCURSEL, 0, 0), 0);
      EXPECT_FALSE(IsWindowVisible(c_.perRow));
      EXPECT_FALSE(IsWindowVisible(c_.keepSize));
    }
    ASSERT_EQ(FocusNameAfterWait(c_.*cycle.from), NameOf(c_, c_.*cycle.from));
    for (Member stop : cycle.stops) {
      if (cycle.backward)
        PressChord(VK_SHIFT, VK_TAB);
      else
        PressKey(VK_TAB);
      ASSERT_EQ(FocusNameAfterWait(c_.*stop), NameOf(c_, c_.*stop));
    }
  }
}

// A search field loses its grey placeholder when it gets the focus and gets it back
// when it is left empty; text the user typed stays, in black.
TEST_F(Keyboard, SearchFieldPlaceholderFollowsTheFocus) {
  constexpr DWORD kGrey = 0x606060, kBlack = 0;
  struct Field {
    Member field;
    Member next;  // where Tab goes from it
  };
  const Field kFields[] = {{&Controls::title, &Controls::className},
                           {&Controls::className, &Controls::combo}};
  for (const Field& row : kFields) {
    EXPECT_EQ(WaitForInk(c_.*row.field, kGrey), kGrey) << "at the start";
  }
  for (const Field& row : kFields) {
    HWND f = c_.*row.field;
    SCOPED_TRACE(NameOf(c_, f));
    ASSERT_TRUE(TabTo(app_, f));
    EXPECT_EQ(WaitForText(f, ""), "");
    TypeKeys("HIM");
    EXPECT_EQ(WaitForText(f, "HIM"), "HIM");
    EXPECT_EQ(WaitForInk(f, kBlack), kBlack);
    // Leaving and coming back keeps the user's text.
    PressKey(VK_TAB);
    ASSERT_EQ(FocusNameAfterWait(c_.*row.next), NameOf(c_, c_.*row.next));
    EXPECT_EQ(TextOf(f), "HIM");
    PressChord(VK_SHIFT, VK_TAB);
    ASSERT_EQ(FocusNameAfterWait(f), NameOf(c_, f));
    EXPECT_EQ(TextOf(f), "HIM");
    TypeKeys("\b\b\b");
    EXPECT_EQ(WaitForText(f, ""), "");
    PressKey(VK_TAB);
    ASSERT_EQ(FocusNameAfterWait(c_.*row.next), NameOf(c_, c_.*row.next));
    EXPECT_EQ(WaitForText(f, "[ 可空 ]"), "[ 可空 ]");
    EXPECT_EQ(WaitForInk(f, kGrey), kGrey);
  }
}

// With the focus on the arrange button Enter does nothing; Space clicks it, and with
// both search fields empty the click is refused and sends the focus to the title.
TEST_F(Keyboard, EnterDoesNotClickTheButtonSpaceDoes) {
  PressKey(VK_RETURN);
  Sleep(500);
  ASSERT_TRUE(DialogBoxesOf(app_.ProcessId()).empty()) << "Enter clicked the button";
  EXPECT_EQ(NameOf(c_, Focus()), NameOf(c_, c_.button));

  PressKey(VK_SPACE);
  MessageBoxSeen box = WaitForMessageBox(app_.ProcessId());
  ASSERT_NE(box.hwnd, nullptr) << "Space did not click the button";
  EXPECT_EQ(box.title, "无效条件");
  EXPECT_EQ(box.text, "请至少提供一个窗口查找条件！");
  EXPECT_TRUE(box.errorIcon);
  ASSERT_TRUE(AnswerOk(box.hwnd));
  EXPECT_EQ(FocusNameAfterWait(c_.title), NameOf(c_, c_.title));
  EXPECT_EQ(WaitForText(c_.title, ""), "");
  EXPECT_EQ(TextOf(c_.className), "[ 可空 ]");
}

// Switching to another application takes the focus out of the window and
// switching back returns it to the control that had it: a search field shows its
// placeholder meanwhile, and a width of 0 is refused on the way out.
TEST_F(Keyboard, FocusComesBackAfterAnotherApplication) {
  ASSERT_TRUE(TabTo(app_, c_.className));
  EXPECT_EQ(WaitForText(c_.className, ""), "");
  {
    Quiltmark other;
    HWND otherWindow = StartInFront(other);
    ASSERT_NE(otherWindow, nullptr);
    EXPECT_EQ(WaitForText(c_.className, "[ 可空 ]"), "[ 可空 ]");
    ASSERT_TRUE(BringToFront(window_));
    EXPECT_EQ(FocusNameAfterWait(c_.className), NameOf(c_, c_.className));
    EXPECT_EQ(WaitForText(c_.className, ""), "");
    PostMessageA(otherWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(other.WaitForExit(), 0u);
  }

  ASSERT_TRUE(BringToFront(window_));
  ASSERT_TRUE(TabTo(app_, c_.width));
  SelectAll();
  TypeKeys("0");
  ASSERT_EQ(WaitForText(c_.width, "0"), "0");
  Quiltmark other;
  ASSERT_TRUE(other.Start());
  MessageBoxSeen box = WaitForMessageBox(app_.ProcessId());
  ASSERT_NE(box.hwnd, nullptr) << "leaving for another application did not check the width";
  EXPECT_EQ(box.title, "无效宽度");
  EXPECT_EQ(box.text, "窗口宽度无效");
  EXPECT_EQ(TextOf(c_.width), "");
  ASSERT_TRUE(AnswerOk(box.hwnd));
  EXPECT_EQ(WaitForText(c_.width, ""), "");
  HWND otherWindow = other.WaitForWindow();
  ASSERT_NE(otherWindow, nullptr);
  PostMessageA(otherWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(other.WaitForExit(), 0u);
}

// Esc closes the window, and the program ends with 0, whichever control has the
// focus, also while the combo box's list is open.
TEST(KeyboardEsc, ClosesFromEveryControl) {
  struct Case {
    const char* name;
    int page;
    Member focus;
    WORD listModifier, listKey;  // opens the combo box's list first when listKey is set
  };
  const Case kCases[] = {
      {"arrange button", 0, &Controls::button, 0, 0},
      {"title field", 0, &Controls::title, 0, 0},
      {"class field", 0, &Controls::className, 0, 0},
      {"method combo", 0, &Controls::combo, 0, 0},
      {"width field", 0, &Controls::width, 0, 0},
      {"height field", 0, &Controls::height, 0, 0},
      {"per-row field", 1, &Controls::perRow, 0, 0},
      {"keep-size box", 1, &Controls::keepSize, 0, 0},
      {"list opened with F4", 0, &Controls::combo, 0, VK_F4},
      {"list opened with Alt+Down", 0, &Controls::combo, VK_MENU, VK_DOWN},
  };
  for (const Case& k : kCases) {
    SCOPED_TRACE(k.name);
    Quiltmark app;
    HWND window = nullptr;
    Controls c{};
    ASSERT_TRUE(Launch(app, window, c));
    if (k.page == 1) {
      ASSERT_TRUE(ShowPageOne(app, c));
    }
    ASSERT_TRUE(TabTo(app, c.*k.focus));
    if (k.listKey) {
      if (k.listModifier)
        PressChord(k.listModifier, k.listKey);
      else
        PressKey(k.listKey);
      bool dropped = false;
      for (int tries = 0; tries < 60 && !dropped; ++tries, Sleep(50))
        dropped = SendMessageA(c.combo, CB_GETDROPPEDSTATE, 0, 0) != 0;
      ASSERT_TRUE(dropped) << "the list did not open";
    }
    PressKey(VK_ESCAPE);
    EXPECT_EQ(app.WaitForExit(5000), 0u);
  }
}

using KeyboardPointer = Keyboard;

// Over the capture tool the pointer takes the capture cursor; over the rest of the
// window it is the arrow again, and the text pointer over the edit boxes.
TEST_F(KeyboardPointer, CaptureToolHasItsOwnPointer) {
  enum Shape { kArrow, kText, kCapture, kShapeCount };
  const char* const kShapeNames[kShapeCount] = {"arrow", "text pointer", "capture cursor"};
  // Each visit changes the shape, so that the change shows when the program has
  // answered the move.
  struct Visit {
    const char* where;
    int x, y;  // in the main window's client area
    Shape shape;
  };
  const Visit kVisits[] = {
      {"title label", 59, 51, kArrow},
      {"capture tool", 112, 131, kCapture},
      {"title field", 186, 51, kText},
      {"group box beside the tool", 220, 131, kArrow},
      {"capture tool's corner", 99, 118, kCapture},
      {"arrange button", 235, 332, kArrow},
      {"capture tool", 112, 131, kCapture},
      {"window ground", 150, 305, kArrow},
  };
  // Cursor handles are the program's own, so a shape is known by meeting it again.
  // First rest on the title field until the program has answered every earlier
  // move: the first visit then shows as a change.
  POINT rest{186, 51};
  ClientToScreen(window_, &rest);
  MoveMouseTo(rest);
  HCURSOR previous = CursorShown();
  for (int same = 0, tries = 0; same < 10 && tries < 100; ++tries, Sleep(50)) {
    HCURSOR now = CursorShown();
    same = now == previous ? same + 1 : 0;
    previous = now;
  }
  HCURSOR seen[kShapeCount] = {};
  seen[kText] = previous;
  for (const Visit& v : kVisits) {
    SCOPED_TRACE(v.where);
    POINT p{v.x, v.y};
    ClientToScreen(window_, &p);
    MoveMouseTo(p);
    // A shape met before comes back as it was; a new one differs from the others.
    auto fits = [&](HCURSOR shown) {
      if (shown == previous) return false;
      if (seen[v.shape]) return shown == seen[v.shape];
      for (int s = 0; s < kShapeCount; ++s)
        if (seen[s] == shown) return false;
      return true;
    };
    HCURSOR shown = CursorShown();
    for (int tries = 0; tries < 60 && !fits(shown); ++tries, Sleep(50)) {
      // The display may miss a shape change; a nudge of the pointer asks again.
      if (tries % 10 == 9) {
        MoveMouseTo({p.x + 1, p.y});
        MoveMouseTo(p);
      }
      shown = CursorShown();
    }
    EXPECT_TRUE(fits(shown)) << "expected the " << kShapeNames[v.shape] << ", shown " << shown
                             << "; arrow " << seen[kArrow] << ", text " << seen[kText]
                             << ", capture " << seen[kCapture];
    if (!seen[v.shape] && fits(shown)) seen[v.shape] = shown;
    previous = shown;
  }
}

}  // namespace
