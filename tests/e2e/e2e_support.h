#pragma once
// Starting Quiltmark.exe as a person would and looking at its window from outside.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/boxes.h"

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

  // Starts the program, from `currentDirectory` when given, with these arguments.
  bool Start(const char* currentDirectory = nullptr, const std::string& arguments = {});
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

// One run of Quiltmark.exe with arguments, as a script makes it: what it wrote to its
// standard output and error (one file, written in the system's code page and read
// back as UTF-8), its exit code (kStillRunning when it had
// not ended in time), and whether a visible window of its own was seen meanwhile.
struct CommandRun {
  DWORD exitCode = kNotStarted;
  std::string output;
  bool windowSeen = false;
};
CommandRun RunQuiltmarkCommand(const std::string& arguments, DWORD ms = 30000);

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

// The working directory of a process, as its own process block records it, without
// running anything in it; "<unreadable>" when it cannot be read.
std::string CurrentDirectoryOf(HANDLE process);

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
  // The same, sent by the window's own thread (as the system sends what it tells a
  // window of a change of DPI); 0 also when it could not be sent.
  LRESULT SendOnWindowThread(HWND hwnd, UINT message, WPARAM wParam, void* data = nullptr,
                             size_t size = 0);
  // The size of the window's big or small icon (ICON_BIG, ICON_SMALL), if it has one.
  std::optional<SIZE> IconSize(HWND hwnd, WPARAM kind);
  // The file of the module whose code the window's class runs, or "" when unknown.
  std::string ClassModule(HWND hwnd);

 private:
  // Runs the probe routine of that name on the record; false when it could not run.
  // A record that a late thread may still use is given up, not freed.
  bool Call(const char* routine, ProbeCall& call);
  LRESULT SendBy(const char* routine, HWND hwnd, UINT message, WPARAM wParam, void* data,
                 size_t size);

  HANDLE process_;
  void* record_ = nullptr;    // a ProbeCall in the other process
  uintptr_t remoteBase_ = 0;  // where e2e_probe.dll lies there
  HMODULE local_ = nullptr;
};

// ---- Keyboard, mouse and message boxes ------------------------------------------

// Starts Quiltmark, waits for its main window, brings it to the foreground and
// waits until one of its controls has the focus. Null when any step fails.
HWND StartInFront(Quiltmark& app);

// The descendant of `window` of that class (any class when null) whose outer
// rectangle starts at (x, y) in the window's client area; with `text`, the one
// showing that text. Null when there is none.
HWND ControlAt(HWND window, const char* cls, int x, int y, const char* text = nullptr);

// Presses `key` while `modifier` (VK_SHIFT, VK_CONTROL or VK_MENU) is held.
void PressChord(WORD modifier, WORD key);
// Types text key by key, with Shift where the keyboard needs it ("\b" is Backspace).
void TypeKeys(const char* text);
// Puts the text on the clipboard as CF_TEXT; false when the clipboard refused it.
bool PutOnClipboard(const char* text);

// Poll until the focus of the thread, or the foreground window, is `expected`; the
// one last seen.
HWND WaitForFocus(DWORD threadId, HWND expected, DWORD ms = 3000);
HWND WaitForForeground(HWND expected, DWORD ms = 3000);
// Polls until the window shows `expected`; the text last read.
std::string WaitForText(HWND hwnd, const std::string& expected, DWORD ms = 3000);

// Moves the pointer to a screen point as the mouse does, so that the window under
// it is asked for the pointer's shape.
void MoveMouseTo(POINT screen);
// The pointer's current shape, as the system tells any process.
HCURSOR CursorShown();

// A message box of Quiltmark as the user sees it.
using MessageBoxSeen = BoxSeen;
inline std::vector<HWND> DialogBoxesOf(DWORD processId) { return DialogsOf(processId); }
inline MessageBoxSeen WaitForMessageBox(DWORD processId, DWORD ms = 5000) {
  return WaitForBox(processId, ms);
}
// Brings the box forward and presses Enter on its OK button; true once it is gone.
bool AnswerOk(HWND box);

// ---- Mouse drags, typed text, sample windows and the main window's controls -----

// Presses or releases the left mouse button where the pointer is.
void LeftButton(bool down);
// Moves the pointer to a screen point and clicks the left button there.
void ClickAt(POINT screen);
// The middle of a window's outer rectangle, in screen coordinates.
POINT CentreOf(HWND hwnd);
// Types text of the ANSI code page: ASCII key by key, other characters as an input
// method delivers them (Unicode key input).
void TypeText(const std::string& text);
// Clicks into an edit box, selects what it holds and types `text` over it (deletes
// it when `text` is empty).
void RetypeField(HWND field, const std::string& text);
// Drops the list of a drop-down list combo box with a click and clicks item `index`;
// false when the list did not open.
bool ChooseComboItem(HWND combo, int index);

// The controls of Quiltmark's main window that the tests drive, found by their
// kind and place (and, where two pages share a place, by their first text).
struct MainControls {
  HWND titleField, classField, captureTool, methodCombo;
  HWND widthField, heightField, perRowField, keepSizeBox, arrangeButton;
  bool AllFound() const;
};
MainControls FindMainControls(HWND window);

// Every top-level window, hidden ones too, in stacking order from the top.
std::vector<HWND> TopLevelWindows();
// The visible top-level windows of a process, in stacking order from the top.
std::vector<HWND> VisibleWindowsOf(DWORD processId);

// One sample_windows.exe (beside the driver), ended by force with the object.
class SampleWindows {
 public:
  SampleWindows() = default;
  SampleWindows(const SampleWindows&) = delete;
  SampleWindows& operator=(const SampleWindows&) = delete;
  ~SampleWindows();

  // Starts it with these arguments and waits until it shows `windowCount` windows;
  // as a copy of itself under another file name when `asProgram` names one.
  bool Start(const std::string& arguments, size_t windowCount, const char* asProgram = nullptr);
  DWORD ProcessId() const { return pi_.dwProcessId; }
  std::vector<HWND> Windows() const { return VisibleWindowsOf(pi_.dwProcessId); }
  // Closes its windows as a person does, each raising the events of its closing, and
  // waits for the program to end; true once it has.
  bool Close();

 private:
  PROCESS_INFORMATION pi_{};
};

// While it lives, the programs this process starts load the stand-in for the window
// manager's library (tests/e2e/dwm_standin.cpp) instead of Wine's own: it answers as
// Windows 10 does, with invisible borders of 7 pixels left, right and bottom around
// sizable windows, and cloaks the windows marked with MarkCloaked. The stand-in is
// copied into the system folder, where the program looks for the library, in place of
// Wine's own until the object goes; the programs started meanwhile are also told to
// load it (WINEDLLOVERRIDES).
class WindowManagerStandIn {
 public:
  WindowManagerStandIn();
  ~WindowManagerStandIn();
  WindowManagerStandIn(const WindowManagerStandIn&) = delete;
  WindowManagerStandIn& operator=(const WindowManagerStandIn&) = delete;
  bool Ready() const { return ready_; }

 private:
  std::wstring before_;
  bool hadBefore_ = false;
  bool ready_ = false;
  std::wstring library_, saved_;  // the system's library, and where it waits meanwhile
};

// Marks a window, of any process, as cloaked for the stand-in.
void MarkCloaked(HWND hwnd);
