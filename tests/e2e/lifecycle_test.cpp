// Starting and ending Quiltmark the ways a person does.
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"

namespace {

struct CloseWay {
  const char* name;
  void (*close)(HWND window);
};

void PressEsc(HWND window) {
  ASSERT_TRUE(BringToFront(window));
  PressKey(VK_ESCAPE);
}

void PressAltF4(HWND window) {
  ASSERT_TRUE(BringToFront(window));
  INPUT keys[4] = {};
  const WORD kOrder[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = kOrder[i];
    keys[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(kOrder[i], MAPVK_VK_TO_VSC));
    keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  SendInput(4, keys, sizeof(INPUT));
}

void PostClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

// Each way of closing the window ends the process with exit code 0.
TEST(Lifecycle, ClosingEndsWithExitCodeZero) {
  const CloseWay kWays[] = {
      {"Esc", PressEsc},
      {"Alt+F4", PressAltF4},
      {"WM_CLOSE", PostClose},
  };
  for (const CloseWay& way : kWays) {
    SCOPED_TRACE(way.name);
    Quiltmark app;
    // In front with the focus in a control, so that Wine's display driver has made
    // its own change of focus (which takes the key state afresh from the X server
    // and would let go of an Alt pressed just before).
    HWND window = StartInFront(app);
    ASSERT_NE(window, nullptr);
    way.close(window);
    EXPECT_EQ(app.WaitForExit(), 0u);
  }
}

// Two starts give two windows; closing one leaves the other running.
TEST(Lifecycle, TwoStartsAreIndependent) {
  Quiltmark first, second;
  ASSERT_TRUE(first.Start());
  HWND firstWindow = first.WaitForWindow();
  ASSERT_NE(firstWindow, nullptr);
  ASSERT_TRUE(second.Start());
  HWND secondWindow = second.WaitForWindow();
  ASSERT_NE(secondWindow, nullptr);
  EXPECT_NE(first.ProcessId(), second.ProcessId());
  EXPECT_NE(firstWindow, secondWindow);

  PostMessageA(firstWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(), 0u);
  EXPECT_EQ(second.WaitForExit(500), kStillRunning);
  EXPECT_TRUE(IsWindowVisible(secondWindow));
  PostMessageA(secondWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(second.WaitForExit(), 0u);
}

// Started from another folder, the program works in its own folder.
TEST(Lifecycle, StartedFromAnotherDirectory) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  Quiltmark app;
  ASSERT_TRUE(app.Start(temp));
  HWND window = app.WaitForWindow();
  ASSERT_NE(window, nullptr);
  // Read from its process block rather than by a thread started in it, which Wine
  // waits for without a limit while the program is still starting up.
  EXPECT_EQ(CurrentDirectoryOf(app.Process()), QuiltmarkFolder());
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
