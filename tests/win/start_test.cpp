// The start routine's unhappy paths, run in start_child.exe: a window that cannot be
// built is reported as a failed load of the start window, with nothing raised for
// the half-built window; a window closed by its created handler ends the start
// quietly.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/win/win_support.h"

namespace {

// The window is known to the report, so its tag and its own element's tag follow
// the location, both empty.
const char kLoadFailed[] =
    "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n\r\n1375797249, 0\r\n\"\"\r\n\"\"\r\n";

struct StartCase {
  const char* mode;
  const char* box;  // the fault report, or null when no box may come
  DWORD exitCode;
  const char* events;  // what the handler saw: control and event, a line each
};

const StartCase kCases[] = {
    {"fail-window", kLoadFailed, 0xFFFFFFFF, ""},
    {"fail-combo", kLoadFailed, 0xFFFFFFFF, ""},
    {"fail-pages", kLoadFailed, 0xFFFFFFFF, ""},
    // Created, then about to be destroyed; the moved and resized events need a window.
    {"close-when-created", nullptr, 0, "06010000 0\n06010000 2\n"},
};

TEST(Start, FailedLoadsAndAWindowClosedWhileCreated) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string log = std::string(temp) + "qm_start.log";
  for (const StartCase& c : kCases) {
    SCOPED_TRACE(c.mode);
    std::remove(log.c_str());
    Child child;
    ASSERT_TRUE(
        child.Start("\"" + TestFolder() + "start_child.exe\" " + c.mode + " \"" + log + "\""));
    BoxSeen box = WaitForBox(child.pi.dwProcessId, c.box ? 10000 : 3000);
    if (c.box) {
      ASSERT_NE(box.hwnd, nullptr) << "no fault box";
      EXPECT_EQ(box.title, "错误");
      EXPECT_EQ(box.text, c.box);
      EXPECT_EQ(DialogsOf(child.pi.dwProcessId).size(), 1u);
    } else {
      EXPECT_EQ(box.hwnd, nullptr) << "unexpected box: " << box.text;
    }
    if (box.hwnd) PressButton(box.hwnd, IDOK);
    EXPECT_EQ(child.Wait(), c.exitCode);
    EXPECT_EQ(ReadWholeFile(log), c.events);
  }
  std::remove(log.c_str());
}

}  // namespace
