// Services that ask the system about windows, and the message box.
#include "base/services.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/memory.h"
#include "base/msgbox.h"
#include "tests/win/win_support.h"

namespace {

TEST(Services, WindowTextAndClassName) {
  HWND w = MakeWindow("标题 one", WS_OVERLAPPEDWINDOW);
  HWND untitled = MakeWindow("", WS_OVERLAPPEDWINDOW);
  EXPECT_STREQ(GetWindowTextOf(w).get(), "标题 one");
  EXPECT_EQ(GetWindowTextOf(untitled).get(), nullptr);
  EXPECT_STREQ(GetWindowClassName(w).get(), "QuiltmarkTestWindow");
  DestroyWindow(w);
  DestroyWindow(untitled);
  EXPECT_EQ(GetWindowTextOf(w).get(), nullptr);
  Text gone = GetWindowClassName(w);
  ASSERT_NE(gone.get(), nullptr);  // a block holding ""
  EXPECT_STREQ(gone.get(), "");
}

LRESULT CALLBACK BoastfulProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXTLENGTH) return 0x7FFFFFFF;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A window that claims an enormous title costs a bounded read, not the process.
TEST(Services, WindowTextLengthIsBounded) {
  HWND w = MakeWindow("short", WS_OVERLAPPEDWINDOW);
  SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoastfulProc));
  EXPECT_STREQ(GetWindowTextOf(w).get(), "short");
  DestroyWindow(w);
}

// A window whose thread does not answer gives the empty title instead of a hang.
TEST(Services, HungWindowGivesEmptyTitle) {
  HWND w = nullptr;
  HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread owner([&] {
    w = MakeWindow("hung", WS_OVERLAPPEDWINDOW);
    SetEvent(created);
    Sleep(4000);  // no messages pumped meanwhile
    DestroyWindow(w);
  });
  WaitForSingleObject(created, INFINITE);
  DWORD start = GetTickCount();
  EXPECT_EQ(GetWindowTextOf(w).get(), nullptr);
  EXPECT_LT(GetTickCount() - start, 3500u);
  owner.join();
  CloseHandle(created);
}

// WindowFromPoint finds the topmost enabled child; a smaller visible sibling later
// in the Z order wins, an earlier (here disabled, so passed over by WindowFromPoint)
// or a hidden one does not.
TEST(Services, WindowUnderCursorPrefersSmallerLaterSiblings) {
  HWND top = MakeWindow("under cursor", WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 400, 400);
  DWORD child = WS_CHILD | WS_VISIBLE;
  HWND earlierSmall = MakeWindow("earlier", child | WS_DISABLED, top, 100, 100, 30, 30);
  HWND big = MakeWindow("big", child, top, 0, 0, 300, 300);
  HWND hiddenSmaller = MakeWindow("hidden", WS_CHILD, top, 100, 100, 20, 20);
  HWND laterSmall = MakeWindow("later", child, top, 50, 50, 100, 100);
  HWND larger = MakeWindow("larger", child, top, 0, 0, 350, 350);
  // Z order, top first, as listed.
  HWND order[] = {earlierSmall, big, hiddenSmaller, laterSmall, larger};
  SetWindowPos(order[0], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  for (int i = 1; i < 5; ++i)
    SetWindowPos(order[i], order[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  Pump();

  SetCursorPos(110, 110);
  EXPECT_EQ(GetWindowUnderCursor(), laterSmall);
  SetCursorPos(320, 320);  // only the larger child
  EXPECT_EQ(GetWindowUnderCursor(), larger);
  SetCursorPos(380, 380);  // the top-level window itself
  EXPECT_EQ(GetWindowUnderCursor(), top);
  DestroyWindow(top);
}

struct BoxAnswer {
  BoxSeen seen;
  bool otherWindowEnabled = true;
};

// Answers the first box of this process with `button` from another thread.
std::thread AnswerBox(int button, HWND other, BoxAnswer* answer) {
  return std::thread([=] {
    answer->seen = WaitForBox(GetCurrentProcessId());
    answer->otherWindowEnabled = IsWindowEnabled(other);
    if (answer->seen.hwnd) PressButton(answer->seen.hwnd, button);
  });
}

TEST(Services, MessageBoxTitleModalityAndResult) {
  HWND other = MakeWindow("another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  BoxAnswer answer;
  std::thread t = AnswerBox(IDOK, other, &answer);
  EXPECT_EQ(ShowMessageBox(Value(-42), MB_ICONERROR), 0);
  t.join();
  EXPECT_EQ(answer.seen.title, "信息：");
  EXPECT_EQ(answer.seen.text, "-42");
  EXPECT_TRUE(answer.seen.errorIcon);
  EXPECT_EQ(answer.seen.owner, nullptr);
  EXPECT_FALSE(answer.otherWindowEnabled);  // task-modal: the thread's windows wait
  EXPECT_TRUE(IsWindowEnabled(other));

  BoxAnswer yesNo;
  t = AnswerBox(IDNO, other, &yesNo);
  EXPECT_EQ(ShowMessageBox(Value("问题"), MB_YESNO | MB_ICONQUESTION, "标题"), 6);
  t.join();
  EXPECT_FALSE(yesNo.seen.errorIcon);
  EXPECT_EQ(yesNo.seen.title, "标题");
  EXPECT_EQ(yesNo.seen.text, "问题");
  DestroyWindow(other);
}

TEST(Services, ControlReferencesResolveAgainstLoadedWindows) {
  HWND top = MakeWindow("registry", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, top, nullptr,
                              nullptr, nullptr);
  WindowEntry window;
  window.id = 0x52010001;
  window.hwnd = top;
  window.loaded = true;
  window.controls.push_back({0x16010003, "", edit});
  std::vector<WindowEntry> layouts = std::move(g_app.windows);
  g_app.windows = {window};
  EXPECT_EQ(GetControlHandle({0x52010001, 0x16010003}), edit);
  SetForegroundWindow(top);
  SetControlFocus({0x52010001, 0x16010003});
  EXPECT_EQ(GetFocus(), edit);
  g_app.windows = std::move(layouts);
  DestroyWindow(top);
}

}  // namespace
