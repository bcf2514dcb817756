#pragma once
// Started programs for the benchmarks that time whole processes.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/bench_support.h"

namespace bench {

constexpr DWORD kRunTimeoutMs = 60000;

// The folder of this program, where the build puts Quiltmark.exe and the bare programs.
inline std::string Folder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  if (char* slash = std::strrchr(path, '\\')) slash[1] = '\0';
  return path;
}

// One started program; ended by force if it is still running when this goes.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }

  bool Start(std::string line) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi_) != 0;
  }
  HANDLE process() const { return pi_.hProcess; }
  DWORD id() const { return pi_.dwProcessId; }
  bool Ended() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION pi_{};
};

// Starts a program and times it to its end. The targets live on this thread, so it
// keeps answering their messages meanwhile: the program moves them with calls that
// wait for this thread.
inline bool RunToExit(const std::string& line, double& ms, DWORD& exitCode,
                      int64_t* endedAt = nullptr) {
  Child child;
  const int64_t t0 = Now();
  if (!child.Start(line)) {
    std::printf("could not start %s (error %lu)\n", line.c_str(), GetLastError());
    return false;
  }
  HANDLE process = child.process();
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, kRunTimeoutMs, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) break;
    if (r != WAIT_OBJECT_0 + 1) return false;
    PumpMessages();
  }
  const int64_t t1 = Now();
  ms = Milliseconds(t0, t1);
  if (endedAt) *endedAt = t1;
  exitCode = child.ExitCode();
  PumpMessages();
  return true;
}

// The slow-target rows of the whole-run benchmark; false when a run failed.
bool MeasureSlowRuns();
// As a target program of those rows: `count` slow windows of the class, until ended.
void RunSlowTargetProgram(const char* className, int count);

}  // namespace bench
