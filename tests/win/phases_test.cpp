// The start-up stamps: nothing is written unless QM_STARTUP_PHASES names a file; then
// one write, once, with the frequency first and the stamps in the order taken.
#include "base/phases.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

TEST(StartupPhases, WrittenOnlyWhenAskedAndOnlyOnce) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string file = std::string(temp) + "qm_phases_test.txt";
  std::remove(file.c_str());

  SetEnvironmentVariableA("QM_STARTUP_PHASES", nullptr);
  BeginStartupPhases();
  MarkStartupPhase("quiet");
  FinishStartupPhases("first paint");
  // Asked for only now: the stamps above were never taken, nor written anywhere.
  SetEnvironmentVariableA("QM_STARTUP_PHASES", file.c_str());
  EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);

  // A relative name is the folder started in, though the program moves to its own.
  char started[MAX_PATH];
  GetCurrentDirectoryA(sizeof started, started);
  SetCurrentDirectoryA(temp);
  SetEnvironmentVariableA("QM_STARTUP_PHASES", "qm_phases_test.txt");
  BeginStartupPhases();
  SetCurrentDirectoryA(started);
  MarkStartupPhase("window classes");
  FinishStartupPhases("first paint");
  SetEnvironmentVariableA("QM_STARTUP_PHASES", nullptr);

  std::ifstream in(file);
  std::vector<std::string> names;
  long long last = 0;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string name;
    long long count = 0;
    ASSERT_TRUE(std::getline(fields, name, '\t') && fields >> count) << line;
    names.push_back(name);
    if (names.size() > 2) {
      EXPECT_GE(count, last) << name;
    }
    last = count;
  }
  in.close();
  EXPECT_EQ(names,
            (std::vector<std::string>{"frequency", "entry", "window classes", "first paint"}));

  // Later stamps and finishes do nothing.
  std::remove(file.c_str());
  MarkStartupPhase("late");
  FinishStartupPhases("first paint");
  EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
}
