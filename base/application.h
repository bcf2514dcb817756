#pragma once
// The application object: the one per-process record of the runtime's state, and
// the program's only global. Window and module handles are kept as void* so that
// the pure layer can see this record without <windows.h>.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A control of a loaded window, as the services resolve a control reference.
struct ControlEntry {
  uint32_t id = 0;
  std::string tag;
  void* hwnd = nullptr;
};

// A window of the layout. `loaded` is set once its system window exists.
struct WindowEntry {
  uint32_t id = 0;
  std::string tag;
  void* hwnd = nullptr;
  bool loaded = false;
  std::vector<ControlEntry> controls;
};

// A control reference: the pair by which handlers address a control.
struct ControlRef {
  uint32_t window = 0;
  uint32_t control = 0;
};

// One slot of the system-function table: filled on first call, freed at shutdown.
struct SystemFunctionSlot {
  void* address = nullptr;
  void* module = nullptr;
};

using ExitCallback = void (*)(int position);

struct IdleCallback {
  void* hwnd = nullptr;
  void (*routine)(void* argument) = nullptr;
  void* argument = nullptr;
};

constexpr int kSystemFunctionCount = 6;

struct Application {
  void* heap = nullptr;
  std::string executableDirectory;  // without the final backslash
  std::string executableName;
  uint32_t mainThreadId = 0;
  bool oleInitialised = false;
  void* hiddenOwner = nullptr;
  const unsigned char* constantStart = nullptr;
  size_t constantSize = 0;
  std::vector<WindowEntry> windows;
  std::vector<ExitCallback> exitCallbacks;
  std::vector<IdleCallback> idleCallbacks;
  SystemFunctionSlot systemFunctions[kSystemFunctionCount];
  bool loopRunning = false;
  // Set when the main thread asks its loop to end (PostQuit): a WM_QUIT before that
  // was posted by another program.
  bool quitAsked = false;
  std::atomic<bool> ending{false};
  // The thread that is handing a shutdown to the main thread right now, 0 otherwise:
  // a shutdown request is taken only with this number, which no other program knows
  // at the moment it would have to send it.
  std::atomic<uint32_t> shutdownSender{0};
  // Set once a fault is being reported, on whichever thread: from then on nothing of
  // the program runs (no handler, no timer, no window moved) until the process ends.
  std::atomic<bool> reportingFault{false};
  // A run from the command line: a fault report goes to its error stream (a box that
  // closes by itself when it has none) instead of a box that waits for a person.
  bool commandLineRun = false;
  void* errorStream = nullptr;
  uintptr_t lastMessageWParam = 0;
};

extern Application g_app;

// The registry's answer for a window identifier, or null.
WindowEntry* FindWindowEntry(uint32_t id);

// True while a window of the layout has its system window.
bool AnyWindowLoaded();

// The folder to make current for the executable's directory, which is kept without
// its final backslash: a bare drive ("C:") gets it back, since "C:" alone names the
// current folder of drive C, not its root.
std::string WorkingFolderOf(const std::string& directory);
