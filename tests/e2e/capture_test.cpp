// The capture tool as a person uses it: press the left button on the reticle, drag
// it over a window of another program, let go. The search and size fields then hold
// the outermost window under the pointer, in black.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/utf8.h"

namespace {

// Two windows with a button and an edit box each, one titled with an emoji (a
// surrogate pair), a pop-up owned by the first, a
// window claiming a 2 GB title, one whose thread sleeps once it has painted, one
// that is busy for 2 s before it tells its title, and a pop-up owned by a hidden
// window of size 0; in rows from the top-left of the screen, clear of Quiltmark's
// window.
const char kSamples[] =
    "--tiles --children --popup --huge-title --hung --slow --hidden-owner QmCapture 2 捕获样例 "
    "QmEmoji 1 \"🚀 rocket 2\"";
constexpr size_t kSampleCount = 8;

// What the title field shows for a window that did not tell its title in time.

// The capture tool's middle in the main window's client area.
constexpr POINT kToolCentre = {96 + 16, 115 + 16};

// The reticle of the idle picture is blue (0, 102, 255); the drag picture has none.
int BluePixels(HWND tool) {
  int blue = 0;
  for (DWORD rgb : PixelsOf(tool)) {
    int r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    blue += r < 80 && g > 60 && g < 160 && b > 200;
  }
  return blue;
}

bool ShowsReticle(HWND tool, bool expected) {
  for (int tries = 0; tries < 40; ++tries, Sleep(50))
    if ((BluePixels(tool) >= 8) == expected) return true;
  return false;
}

// Black text leaves pure black pixels inside the border; the grey placeholder none.
bool ShowsBlackText(HWND field) {
  for (int tries = 0; tries < 40; ++tries, Sleep(50)) {
    RECT r{};
    GetWindowRect(field, &r);
    int cx = r.right - r.left, cy = r.bottom - r.top;
    std::vector<DWORD> pixels = PixelsOf(field);
    for (int y = 3; y < cy - 3; ++y)
      for (int x = 3; x < cx - 3; ++x)
        if (pixels[static_cast<size_t>(y) * cx + x] == 0) return true;
  }
  return false;
}

bool Answers(HWND hwnd) {
  DWORD_PTR unused = 0;
  return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, &unused) != 0;
}

// What the four fields must show.
struct Fields {
  std::string title, cls, width, height;
};

Fields FieldsFor(HWND hwnd, const std::string& title) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {title, ClassOf(hwnd), std::to_string(r.right - r.left), std::to_string(r.bottom - r.top)};
}

enum class Target {
  kButton,
  kEditBox,
  kOwnedPopup,
  kPopupOfAHiddenOwner,
  kHugeTitle,
  kHung,
  kBusy
};

struct Capture {
  const char* name;
  Target target;
};

class CaptureTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(samples_.Start(kSamples, kSampleCount)) << "sample_windows did not come up";
    for (HWND hwnd : samples_.Windows()) {
      std::string cls = ClassOf(hwnd);
      if (cls == "QmSamplePopup") popup_ = hwnd;
      if (cls == "QmSampleHuge") huge_ = hwnd;
      if (cls == "QmSampleHung") hung_ = hwnd;
      if (cls == "QmSampleSlow") busy_ = hwnd;
      if (cls == "QmSampleOwned") ownedByHidden_ = hwnd;
      if (cls == "QmEmoji") emoji_ = hwnd;
    }
    ASSERT_TRUE(popup_ && huge_ && hung_ && busy_ && ownedByHidden_ && emoji_);
    owner_ = GetWindow(popup_, GW_OWNER);
    for (HWND hwnd : samples_.Windows())
      if (ClassOf(hwnd) == "QmCapture" && hwnd != owner_) other_ = hwnd;
    ASSERT_TRUE(owner_ && other_);
    // Let the hung window paint and fall asleep.
    for (int tries = 0; tries < 30 && Answers(hung_); ++tries) Sleep(100);
    ASSERT_FALSE(Answers(hung_)) << "the hung window still answers";
  }

  // Where the pointer is let go, the window found there, and what the fields must
  // then show.
  void Aim(Target t, POINT* at, HWND* under, Fields* expected) {
    HWND button = FindWindowExA(other_, nullptr, "Button", nullptr);
    HWND edit = FindWindowExA(owner_, nullptr, "Edit", nullptr);
    switch (t) {
      case Target::kButton:
        *under = button;
        *expected = FieldsFor(other_, TextOf(other_));
        break;
      case Target::kEditBox:
        *under = edit;
        *expected = FieldsFor(owner_, TextOf(owner_));
        break;
      case Target::kOwnedPopup:
        *under = popup_;
        *expected = FieldsFor(owner_, TextOf(owner_));
        break;
      case Target::kPopupOfAHiddenOwner:
        // The owner cannot be seen: the pop-up is what the user pointed at.
        *under = ownedByHidden_;
        *expected = FieldsFor(ownedByHidden_, "无尺寸所有者的窗口");
        break;
      case Target::kHugeTitle:
        // Its real title is short: read with a bounded buffer it comes through.
        *under = huge_;
        *expected = FieldsFor(huge_, "超长标题窗口");
        break;
      case Target::kHung:
        // The system's copy of its title, read without asking the window.
        *under = hung_;
        *expected = FieldsFor(hung_, "无响应窗口");
        break;
      case Target::kBusy:
        // Busy for 2 s each time it is asked: it is not asked.
        *under = busy_;
        *expected = FieldsFor(busy_, "忙碌窗口");
        break;
    }
    *at = CentreOf(*under);
  }

  // Quiltmark in front, its controls found.
  void StartQuiltmark(Quiltmark& app, HWND* main, MainControls* controls) {
    *main = StartInFront(app);
    ASSERT_NE(*main, nullptr);
    *controls = FindMainControls(*main);
    ASSERT_TRUE(controls->AllFound());
  }

  // Presses on the tool, drags the reticle to `at` in a few steps and lets go there.
  void DragTool(HWND main, HWND tool, POINT at) {
    POINT start = kToolCentre;
    ClientToScreen(main, &start);
    // The picture tells when the press has been handled: only then does the tool
    // hold the mouse, and only then may the pointer leave it.
    ASSERT_TRUE(ShowsReticle(tool, true)) << "no idle picture before the press";
    MoveMouseTo(start);
    LeftButton(true);
    ASSERT_TRUE(ShowsReticle(tool, false)) << "no drag picture while held";
    // Over the way in a few steps, as a hand moves.
    for (int step = 1; step <= 4; ++step, Sleep(20))
      MoveMouseTo({start.x + (at.x - start.x) * step / 4, start.y + (at.y - start.y) * step / 4});
    LeftButton(false);
  }

  SampleWindows samples_;
  HWND owner_ = nullptr, other_ = nullptr, popup_ = nullptr, huge_ = nullptr, hung_ = nullptr;
  HWND busy_ = nullptr, ownedByHidden_ = nullptr, emoji_ = nullptr;
};

// Each drag fills the title, class name, width and height of the outermost window
// the user sees where the button is let go (a visible owner, not a hidden one), shows the drag
// picture while the button is held, and leaves Quiltmark running. The title is the one the system
// keeps, so a busy or a hung window gives it at once.
TEST_F(CaptureTool, DragFillsTheFieldsWithTheOutermostWindow) {
  const Capture kCaptures[] = {
      {"a button inside another program's window", Target::kButton},
      {"an edit box inside another program's window", Target::kEditBox},
      {"a pop-up owned by another window", Target::kOwnedPopup},
      {"a pop-up owned by a hidden window", Target::kPopupOfAHiddenOwner},
      {"a window claiming a 2 GB title", Target::kHugeTitle},
      {"a window whose thread no longer answers", Target::kHung},
      {"a window busy for 2 s", Target::kBusy},
  };
  for (const Capture& c : kCaptures) {
    SCOPED_TRACE(c.name);
    Quiltmark app;
    HWND main = nullptr;
    MainControls controls{};
    ASSERT_NO_FATAL_FAILURE(StartQuiltmark(app, &main, &controls));
    POINT at{};
    HWND under = nullptr;
    Fields expected;
    Aim(c.target, &at, &under, &expected);
    ASSERT_EQ(WindowFromPoint(at), under) << "the target is covered";

    ASSERT_NO_FATAL_FAILURE(DragTool(main, controls.captureTool, at));

    Fields seen;
    for (int tries = 0; tries < 200; ++tries, Sleep(50)) {
      seen = {TextOf(controls.titleField), TextOf(controls.classField), TextOf(controls.widthField),
              TextOf(controls.heightField)};
      if (seen.cls == expected.cls && seen.width == expected.width &&
          seen.height == expected.height && seen.title == expected.title)
        break;
    }
    EXPECT_EQ(seen.title, expected.title);
    EXPECT_EQ(seen.cls, expected.cls);
    EXPECT_EQ(seen.width, expected.width);
    EXPECT_EQ(seen.height, expected.height);
    if (!expected.title.empty()) {
      EXPECT_TRUE(ShowsBlackText(controls.titleField)) << "the title is not black";
    }
    EXPECT_TRUE(ShowsBlackText(controls.classField)) << "the class name is not black";
    EXPECT_TRUE(ShowsReticle(controls.captureTool, true)) << "the idle picture is not back";

    EXPECT_TRUE(Answers(main)) << "Quiltmark stopped answering";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
  }
}

// Only a drag onto another program's window captures. A press elsewhere let go over
// the reticle, a click or a double-click on the tool (let go over Quiltmark itself)
// and a drag called off with Esc leave what the user typed in the four fields, with
// the idle picture back and the window still open; the tool still works after.
TEST_F(CaptureTool, OnlyADragOntoAnotherWindowCaptures) {
  Quiltmark app;
  HWND main = nullptr;
  MainControls controls{};
  ASSERT_NO_FATAL_FAILURE(StartQuiltmark(app, &main, &controls));
  const Fields typed = {"MyTitle", "MyClass", "640", "480"};
  RetypeField(controls.titleField, typed.title);
  RetypeField(controls.classField, typed.cls);
  RetypeField(controls.widthField, typed.width);
  RetypeField(controls.heightField, typed.height);
  ASSERT_EQ(WaitForText(controls.heightField, typed.height), typed.height);
  ASSERT_TRUE(ShowsReticle(controls.captureTool, true));
  auto expectTyped = [&] {
    Sleep(500);
    EXPECT_EQ(TextOf(controls.titleField), typed.title);
    EXPECT_EQ(TextOf(controls.classField), typed.cls);
    EXPECT_EQ(TextOf(controls.widthField), typed.width);
    EXPECT_EQ(TextOf(controls.heightField), typed.height);
    EXPECT_TRUE(ShowsReticle(controls.captureTool, true)) << "the idle picture is not back";
    EXPECT_TRUE(IsWindowVisible(main));
  };
  POINT tool = kToolCentre;
  ClientToScreen(main, &tool);

  // The label beside the tool, the window's ground and the group box's frame take no
  // capture of their own.
  const POINT kPressPoints[] = {{40, 131}, {150, 305}, {220, 131}};
  for (POINT press : kPressPoints) {
    SCOPED_TRACE(std::to_string(press.x) + "," + std::to_string(press.y));
    ClientToScreen(main, &press);
    MoveMouseTo(press);
    LeftButton(true);
    for (int step = 1; step <= 4; ++step, Sleep(20))
      MoveMouseTo(
          {press.x + (tool.x - press.x) * step / 4, press.y + (tool.y - press.y) * step / 4});
    LeftButton(false);
    expectTyped();
  }
  for (int clicks : {1, 2}) {
    SCOPED_TRACE(clicks == 1 ? "a click on the tool" : "a double-click on the tool");
    MoveMouseTo(tool);
    for (int i = 0; i < clicks; ++i) {
      LeftButton(true);
      LeftButton(false);
    }
    expectTyped();
  }
  {
    SCOPED_TRACE("Esc during a drag");
    MoveMouseTo(tool);
    LeftButton(true);
    ASSERT_TRUE(ShowsReticle(controls.captureTool, false)) << "no drag picture while held";
    MoveMouseTo(CentreOf(other_));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(ShowsReticle(controls.captureTool, true)) << "the drag went on after Esc";
    LeftButton(false);
    expectTyped();
  }

  POINT at = CentreOf(other_);
  ASSERT_NO_FATAL_FAILURE(DragTool(main, controls.captureTool, at));
  EXPECT_EQ(WaitForText(controls.classField, "QmCapture"), "QmCapture");
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(), 0u);
}

// A title outside the system's code page, or holding halves of surrogate pairs alone
// (which the system allows), is captured exactly, so the next click finds and places
// that very window.
TEST_F(CaptureTool, AnEmojiTitleIsCapturedExactlyAndArranged) {
  const std::wstring kTitles[] = {L"\U0001F680 rocket 2", L"\xDE80 lone \xD83D"};
  RECT start{};
  GetWindowRect(emoji_, &start);
  for (const std::wstring& title : kTitles) {
    SCOPED_TRACE(U8(title));
    ASSERT_TRUE(SetWindowTextW(emoji_, title.c_str()));
    SetWindowPos(emoji_, nullptr, start.left, start.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Quiltmark app;
    HWND main = nullptr;
    MainControls c{};
    ASSERT_NO_FATAL_FAILURE(StartQuiltmark(app, &main, &c));
    ASSERT_EQ(GetAncestor(WindowFromPoint(CentreOf(emoji_)), GA_ROOT), emoji_)
        << "the target is covered";
    ASSERT_NO_FATAL_FAILURE(DragTool(main, c.captureTool, CentreOf(emoji_)));
    ASSERT_EQ(WaitForText(c.classField, "QmEmoji"), "QmEmoji");
    wchar_t shown[64] = {};
    SendMessageW(c.titleField, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(std::wstring(shown), title);
    ClickAt(CentreOf(c.arrangeButton));
    RECT r{};
    for (int tries = 0; tries < 100; ++tries, Sleep(50)) {
      GetWindowRect(emoji_, &r);
      if (r.left == 0 && r.top == 0) break;
    }
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
  }
}

// On Windows 10 and 11 the tool fills in the size the user sees, without the
// invisible borders, so that arranging by it gives back that size.
TEST_F(CaptureTool, TheSizeIsTheVisibleFrames) {
  WindowManagerStandIn standIn;
  ASSERT_TRUE(standIn.Ready());
  Quiltmark app;
  HWND main = nullptr;
  MainControls c{};
  ASSERT_NO_FATAL_FAILURE(StartQuiltmark(app, &main, &c));
  ASSERT_EQ(GetAncestor(WindowFromPoint(CentreOf(other_)), GA_ROOT), other_);
  ASSERT_NO_FATAL_FAILURE(DragTool(main, c.captureTool, CentreOf(other_)));
  ASSERT_EQ(WaitForText(c.classField, "QmCapture"), "QmCapture");
  RECT r{};
  GetWindowRect(other_, &r);
  EXPECT_EQ(TextOf(c.widthField), std::to_string(r.right - r.left - 14));
  EXPECT_EQ(TextOf(c.heightField), std::to_string(r.bottom - r.top - 7));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(), 0u);
}

bool ShowsPushed(HWND button) { return SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED; }

HWND CaptureOf(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(threadId, &info) ? info.hwndCapture : nullptr;
}

// Both size fields at 0, as another program can set them without the focus passing
// through either. Tabbing from width to height then, and clicking 自动排列, each
// refuse the width alone, once, and leave the focus in it: no box inside another,
// and the button neither held down nor holding the mouse.
TEST_F(CaptureTool, TwoZeroSizesAreRefusedOneAtATime) {
  Quiltmark app;
  HWND main = nullptr;
  MainControls c{};
  ASSERT_NO_FATAL_FAILURE(StartQuiltmark(app, &main, &c));
  SetWindowTextA(c.widthField, "0");
  SetWindowTextA(c.heightField, "0");
  ASSERT_EQ(WaitForText(c.heightField, "0"), "0");
  ASSERT_EQ(TextOf(c.widthField), "0");

  ClickAt(CentreOf(c.widthField));
  ASSERT_EQ(WaitForFocus(app.ThreadId(), c.widthField), c.widthField);
  struct Step {
    const char* name;
    bool click;  // else Tab
  };
  for (const Step& step : {Step{"Tab", false}, Step{"click on 自动排列", true}}) {
    SCOPED_TRACE(step.name);
    if (step.click)
      ClickAt(CentreOf(c.arrangeButton));
    else
      PressKey(VK_TAB);
    MessageBoxSeen box = WaitForMessageBox(app.ProcessId());
    ASSERT_NE(box.hwnd, nullptr) << "no message box";
    EXPECT_EQ(box.title, "无效宽度");
    EXPECT_EQ(box.text, "窗口宽度无效");
    ASSERT_TRUE(AnswerOk(box.hwnd));
    // Another box would come at once, from the focus going back to the width.
    Sleep(700);
    std::vector<HWND> more = DialogBoxesOf(app.ProcessId());
    EXPECT_TRUE(more.empty()) << "a second box: " << WaitForMessageBox(app.ProcessId()).text;
    for (HWND extra : more) AnswerOk(extra);
    ASSERT_TRUE(BringToFront(main));
    EXPECT_EQ(WaitForFocus(app.ThreadId(), c.widthField), c.widthField);
    EXPECT_EQ(TextOf(c.widthField), "");
    // The focus passed through the height on its way back: that rewrote its 0 as
    // the empty text, as every leaving does, but refused nothing.
    EXPECT_EQ(TextOf(c.heightField), "");
    EXPECT_FALSE(ShowsPushed(c.arrangeButton)) << "the button is still drawn pressed";
    EXPECT_EQ(CaptureOf(app.ThreadId()), nullptr) << "a control still holds the mouse";
    if (HasFailure()) break;
  }
  EXPECT_TRUE(Answers(main));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
