// What other programs post to Quiltmark's windows: random messages to every one of
// them, and a forged change of DPI.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "tests/e2e/e2e_support.h"

namespace {

// Every window of the process, top-level (hidden ones too) and their descendants.
std::vector<HWND> WindowsOf(DWORD processId) {
  std::vector<HWND> all;
  for (HWND top : TopLevelWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    if (pid != processId) continue;
    all.push_back(top);
    for (HWND child : DescendantsOf(top)) all.push_back(child);
  }
  return all;
}

// The messages that close the window or end the program as a person, the system or
// the session does it: a program may send these, and Quiltmark then ends.
bool Closes(UINT message) {
  const UINT kCloses[] = {WM_CLOSE,      WM_QUIT,       WM_DESTROY,
                          WM_NCDESTROY,  WM_ENDSESSION, WM_QUERYENDSESSION,
                          WM_SYSCOMMAND, WM_COMMAND};
  return std::find(std::begin(kCloses), std::end(kCloses), message) != std::end(kCloses) ||
         (message >= WM_KEYFIRST && message <= WM_KEYLAST);
}

// Where the controls Quiltmark's window is made of number their own messages: the tab
// control's, the edit box's, the button's and the combo box's.
struct ClassMessages {
  const char* className;
  UINT first, count;
};
constexpr ClassMessages kClassMessages[] = {{"SysTabControl32", 0x1300, 0x40},
                                            {"Edit", 0x1500, 0x10},
                                            {"Button", 0x1600, 0x10},
                                            {"ComboBox", 0x1700, 0x10}};

unsigned long FromEnvironment(const char* name, unsigned long otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtoul(value, nullptr, 10) : otherwise;
}

// Random messages from every range (each number below WM_USER, WM_USER's and
// WM_APP's, the registered ones and Quiltmark's own names among them) with random
// parameters, posted to every window of Quiltmark: it neither faults nor ends, and
// still answers. QM_FUZZ_MESSAGES sets the count, QM_FUZZ_SEED repeats a run, and
// QM_FUZZ_TRACE=1 prints every message posted.
TEST(Messages, RandomPostsEndNothing) {
  const unsigned long count = FromEnvironment("QM_FUZZ_MESSAGES", 20000);
  const unsigned long seed = FromEnvironment("QM_FUZZ_SEED", GetTickCount());
  const bool trace = FromEnvironment("QM_FUZZ_TRACE", 0) != 0;
  std::printf("message fuzzer: %lu messages, QM_FUZZ_SEED=%lu\n", count, seed);
  std::fflush(stdout);
  Quiltmark app;
  HWND window = StartInFront(app);
  ASSERT_NE(window, nullptr);
  // The pointer away from Quiltmark: what the system reads at the pointer for a posted
  // press or release (a menu's item, the window the capture tool finds) is none of its.
  SetCursorPos(0, 0);
  std::vector<HWND> targets = WindowsOf(app.ProcessId());
  std::vector<HWND> controls[std::size(kClassMessages)];
  for (HWND control : DescendantsOf(window))
    for (size_t kind = 0; kind < std::size(kClassMessages); ++kind)
      if (ClassOf(control) == kClassMessages[kind].className) controls[kind].push_back(control);
  for (const std::vector<HWND>& ofClass : controls) ASSERT_FALSE(ofClass.empty());
  const wchar_t* const kOwnNames[] = {L"Quiltmark.Shutdown", L"Quiltmark.Deferred",
                                      L"Quiltmark.Arrange", L"Quiltmark.ItemChosen",
                                      L"Quiltmark.StopWatch"};
  std::vector<UINT> registered;
  for (const wchar_t* name : kOwnNames) registered.push_back(RegisterWindowMessageW(name));
  std::mt19937_64 random(seed);
  auto pick = [&](uint64_t n) { return static_cast<size_t>(random() % n); };
  auto parameter = [&]() -> uint64_t {
    switch (pick(4)) {
      case 0: return 0;
      case 1: return pick(256);
      case 2: return reinterpret_cast<uintptr_t>(targets[pick(targets.size())]);
      default: return random();
    }
  };
  unsigned long posted = 0;
  for (unsigned long i = 0; i < count; ++i) {
    UINT message = 0;
    HWND target = targets[pick(targets.size())];
    switch (pick(6)) {
      case 0:
      case 1: message = static_cast<UINT>(pick(WM_USER)); break;
      case 2: message = static_cast<UINT>(WM_USER + pick(WM_APP - WM_USER)); break;
      case 3: {
        // To a control, one of its class's own messages (a tab's items, a button's ideal
        // size, an edit box's cue banner), which take pointers.
        const size_t kind = pick(std::size(kClassMessages));
        message = static_cast<UINT>(kClassMessages[kind].first + pick(kClassMessages[kind].count));
        target = controls[kind][pick(controls[kind].size())];
        break;
      }
      case 4: message = static_cast<UINT>(WM_APP + pick(0xC000 - WM_APP)); break;
      default:
        message = pick(2) ? registered[pick(registered.size())]
                          : static_cast<UINT>(0xC000 + pick(0x4000));
    }
    if (Closes(message)) continue;
    const auto wParam = static_cast<WPARAM>(parameter());
    const auto lParam = static_cast<LPARAM>(parameter());
    // A full queue takes more once the program has read some; a message the system
    // does not carry across (one with a pointer of its own) is refused.
    bool taken = false;
    for (int tries = 0; tries < 200 && !(taken = PostMessageW(target, message, wParam, lParam)) &&
                        GetLastError() == ERROR_NOT_ENOUGH_QUOTA;
         ++tries)
      Sleep(10);
    posted += taken;
    if (trace && taken)
      std::printf("%lu: %04X to %s, %llX, %llX\n", i, message, ClassOf(target).c_str(),
                  static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
    if (i % 1000 == 999) {
      ASSERT_EQ(app.WaitForExit(0), kStillRunning) << "ended after " << posted << " messages";
      // Windows made meanwhile (a message box, say) are posted to as well.
      targets = WindowsOf(app.ProcessId());
      ASSERT_FALSE(targets.empty());
    }
  }
  // Still there and answering once it has read them all.
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer), 0)
      << "no answer after " << posted << " messages";
  EXPECT_EQ(app.WaitForExit(0), kStillRunning) << "ended after " << posted << " messages";
  for (HWND box : DialogBoxesOf(app.ProcessId())) {
    char title[64] = {};
    GetWindowTextA(box, title, sizeof title);
    EXPECT_STRNE(title, "错误") << "a fault report";
  }
  std::printf("message fuzzer: %lu drawn, %lu posted\n", count, posted);
}

// WM_DPICHANGED posted by another program, with a DPI other than the window's and no
// rectangle or one that is no pointer here, or with the window's own DPI, a combo
// box's request for its parts with no pointer there, and drawing on a device context
// that is none: the window stays as it was and goes on working.
TEST(Messages, ForgedSystemMessagesAreIgnored) {
  Quiltmark app;
  HWND window = StartInFront(app);
  ASSERT_NE(window, nullptr);
  RECT before;
  GetWindowRect(window, &before);
  using DpiForWindowCall = UINT(WINAPI*)(HWND);
  const auto dpiFor = reinterpret_cast<DpiForWindowCall>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = dpiFor ? dpiFor(window) : 96;
  PostMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2), 0);
  PostMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2), 0x10);
  PostMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0x10);
  // A control's own request below WM_USER with a pointer, which Wine lets a post carry.
  for (HWND control : DescendantsOf(window)) {
    if (ClassOf(control) == "ComboBox") {
      EXPECT_TRUE(PostMessageW(control, CB_GETCOMBOBOXINFO, 0, static_cast<LPARAM>(-1)));
    }
  }
  // Drawing asked for on a device context that is no such thing, then a double click
  // in each field: Wine's edit box measures its text on that context and keeps the
  // broken measure, which the click's selection then reads.
  const auto kNoContext = static_cast<WPARAM>(0x457BE2D59A0C0DA3ull);
  for (HWND control : DescendantsOf(window)) {
    if (ClassOf(control) != "Edit") continue;
    for (UINT drawing : {WM_PAINT, WM_PRINTCLIENT, WM_ERASEBKGND, WM_CTLCOLOREDIT})
      EXPECT_TRUE(PostMessageW(control, drawing, kNoContext, PRF_CLIENT));
    EXPECT_TRUE(PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4)));
  }
  // Posts are read in order: a click posted last, which with nothing to search for
  // ends in a message box, says that the ones before it were read.
  for (HWND control : DescendantsOf(window)) {
    if (TextOf(control) == "自动排列") {
      EXPECT_TRUE(PostMessageW(control, BM_CLICK, 0, 0));
    }
  }
  MessageBoxSeen box = WaitForMessageBox(app.ProcessId());
  ASSERT_NE(box.hwnd, nullptr) << "the posts were not all read";
  ASSERT_TRUE(AnswerOk(box.hwnd));
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0);
  RECT after;
  GetWindowRect(window, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_EQ(app.WaitForExit(0), kStillRunning);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
