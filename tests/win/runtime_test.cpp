// Start-up and shutdown of the runtime, seen from outside the process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "tests/win/win_support.h"

namespace {

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
  EXPECT_EQ(ReadWholeFile(log),
            "cwd " + folder + "\ncleanup1 0 thread 1\ncleanup2 1\nprobe freed\n");
  std::remove(log.c_str());
}

// A program at the root of a drive works in that root, not in whatever folder of
// the drive was current when it started.
TEST(Runtime, AProgramAtADriveRootWorksInTheRoot) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  ASSERT_EQ(temp[1], ':');
  ASSERT_GT(std::strlen(temp), 3u) << "the temporary folder must not be a root itself";
  const std::string root = std::string(temp, 2) + "\\";
  const std::string program = root + "qm_root_child.exe";
  ASSERT_TRUE(CopyFileA((TestFolder() + "fault_child.exe").c_str(), program.c_str(), FALSE));
  // The shutdown mode binds the test library from the program's folder.
  const std::string library = root + "qm_probe.dll";
  ASSERT_TRUE(CopyFileA((TestFolder() + "qm_probe.dll").c_str(), library.c_str(), FALSE));
  std::string log = std::string(temp) + "qm_root.log";
  std::remove(log.c_str());
  {
    Child child;
    ASSERT_TRUE(child.Start("\"" + program + "\" shutdown \"" + log + "\"", temp));
    EXPECT_EQ(child.Wait(), 7u);
  }
  std::string lines = ReadWholeFile(log);
  EXPECT_EQ(lines.substr(0, lines.find('\n')), "cwd " + root);
  std::remove(log.c_str());
  DeleteFileA(program.c_str());
  DeleteFileA(library.c_str());
}

}  // namespace
