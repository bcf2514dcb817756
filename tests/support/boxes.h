#pragma once
// Message boxes of a process as another process sees them: found, read, answered.
#include <windows.h>

#include <string>
#include <vector>

// What a message box showed.
struct BoxSeen {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;
  bool errorIcon = false;
  HWND owner = nullptr;
};

// Every dialog box of the process that is visible now.
std::vector<HWND> DialogsOf(DWORD processId);

// Waits for a dialog box of the process and reads it; hwnd is null when none came.
BoxSeen WaitForBox(DWORD processId, DWORD ms = 10000);

// Presses the button with that id in a dialog box.
void PressButton(HWND dialog, int id);

// Whether the icon static shows the system's error icon.
bool ShowsErrorIcon(HWND iconStatic);
