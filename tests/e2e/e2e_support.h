#pragma once
// Starting Quiltmark.exe as a person would and looking at its window from outside.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct ProbeCall;

// Wait results that no process exit code can be mistaken for.
constexpr DWORD kStillRunning = 0x7FFFFFFF;
constexpr DWORD kNotStarted = 0x7FFFFFFE;

// The folder of Quiltmark.exe, without a final backslash: two levels above the
// driver's own folder (build/win/tests/e2e -> build/win).
std::string QuiltmarkFolder();

// One started Quiltmark.exe; ended by force if a test leaves it running.
class Quiltmark {
 public:
  Quiltmark() = default;
  Quiltmark(const Quiltmark&) = delete;
  Quiltmark& operator=(const Quiltmark&) = delete;
  ~Quiltmark();

  // Starts the program, from `currentDirectory` when given.
  bool Start(const char* currentDirectory = nullptr);
  // Its main window once it is shown, or null when it has not appeared in time.
  HWND WaitForWindow(DWORD ms = 15000) const;
  // The exit code once the process has ended, or kStillRunning after `ms`.
  DWORD WaitForExit(DWORD ms = 15000) const;

  HANDLE Process() const { return pi_.hProcess; }
  DWORD ProcessId() const { return pi_.dwProcessId; }
  // The program has one thread, so its first thread runs the window.
  DWORD ThreadId() const { return pi_.dwThreadId; }

 private:
  PROCESS_INFORMATION pi_{};
};

// The visible top-level window captioned "Quiltmark" of that process, waiting up to
// `ms` for it; null if none appears.
HWND FindMainWindow(DWORD processId, DWORD ms);

// The direct children of a window in stacking order, topmost first.
std::vector<HWND> ChildrenOf(HWND parent);
// Every descendant of a window.
std::vector<HWND> DescendantsOf(HWND parent);

std::string ClassOf(HWND hwnd);
// The text the control shows (WM_GETTEXT, which Wine carries across processes).
std::string TextOf(HWND hwnd);
// A window's outer rectangle in the client coordinates of `window`.
RECT RectIn(HWND window, HWND control);
// The window that has the keyboard focus on that thread.
HWND FocusOf(DWORD threadId);

// The colours on the screen inside a window's outer rectangle, row by row, as
// 0x00RRGGBB.
std::vector<DWORD> PixelsOf(HWND hwnd);

// Makes the window the foreground window, so that typed keys go to it.
bool BringToFront(HWND hwnd);
// Presses and releases one key.
void PressKey(WORD virtualKey);

// e2e_probe.dll loaded into a running Quiltmark: answers, from inside that process,
// what Wine does not answer across processes (see probe.h).
class Probe {
 public:
  explicit Probe(HANDLE process);
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;
  ~Probe();

  bool Attached() const { return record_ != nullptr && remoteBase_ != 0; }
  // The font the control draws with, if it has one.
  std::optional<LOGFONTA> FontOf(HWND hwnd);
  // Sends a message from inside the process. With `data`, lParam points to a copy
  // of its `size` bytes there, which is copied back after the call.
  LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, void* data = nullptr, size_t size = 0);
  // The process's working directory.
  std::string CurrentDirectory();

 private:
  // Runs the probe routine of that name on the record; false when it could not run.
  // A record that a late thread may still use is given up, not freed.
  bool Call(const char* routine, ProbeCall& call);

  HANDLE process_;
  void* record_ = nullptr;  // a ProbeCall in the other process
  DWORD remoteBase_ = 0;    // where e2e_probe.dll lies there
  HMODULE local_ = nullptr;
};
