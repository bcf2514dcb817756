// Which windows count as a program's own.
#include "engine/program_windows.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kTool = 0x80, kApp = 0x40000, kTopmost = 0x8;

TEST(ProgramWindows, AreTheOnesATaskbarShows) {
  struct Case {
    const char* what;
    WindowTraits window;
    bool own;
  } cases[] = {
      {"a main window", {true, false, 0, false}, true},
      {"one with other styles", {true, false, kTopmost, false}, true},
      {"a hidden helper", {false, false, 0, false}, false},
      {"on another desktop", {true, true, 0, false}, false},
      {"a tool window", {true, false, kTool, false}, false},
      {"a menu or tooltip", {true, false, kTool | kTopmost, false}, false},
      {"an owned dialog", {true, false, 0, true}, false},
      {"an owned application window", {true, false, kApp, true}, true},
      {"a hidden application window", {false, false, kApp, true}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsProgramWindow(c.window), c.own) << c.what;
}

}  // namespace
