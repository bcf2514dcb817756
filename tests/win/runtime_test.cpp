// Start-up and shutdown of the runtime, seen from outside the process.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/win/win_support.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Shutdown asked for on a worker thread runs on the main thread: the clean-up
// routines run once each, in registration order, with their positions, and the
// process ends with the code given, after the table's libraries were freed. The
// working directory is the program's folder whatever directory it was started from.
TEST(Runtime, ShutdownFromAnotherThreadAndWorkingDirectory) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string log = std::string(temp) + "qm_shutdown.log";
  std::remove(log.c_str());
  Child child;
  ASSERT_TRUE(
      child.Start("\"" + TestFolder() + "fault_child.exe\" shutdown \"" + log + "\"", temp));
  EXPECT_EQ(child.Wait(), 7u);
  std::string folder = TestFolder();
  folder.pop_back();
  EXPECT_EQ(ReadFile(log), "cwd " + folder + "\ncleanup1 0 thread 1\ncleanup2 1\nprobe freed\n");
  std::remove(log.c_str());
}

}  // namespace
