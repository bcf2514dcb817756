#pragma once
// The common controls library, loaded when the window is made rather than when the
// process starts: a run from the command line needs none of it, and loading it (its
// window classes registered, the display attached) is most of such a run's start.
// Loaded by name, so that the manifest's version 6 is the one that comes.
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

// Loads the library once and registers these classes; false when it is not there.
bool LoadCommonControls(DWORD classes);

// SetWindowSubclass and DefSubclassProc of the loaded library.
bool SubclassControl(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
LRESULT DefaultSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// LoadIconWithScaleDown of the library (Windows Vista and later): the icon resource's
// image of that size, or a larger one scaled down smoothly; null when it cannot.
HICON LoadIconScaledDown(HINSTANCE instance, const wchar_t* name, int cx, int cy);

// Keeps from a control what another program sends it in the numbers its class gives
// a meaning of its own (a cue banner's text, an ideal size to fill in): those carry
// pointers the system does not carry across. Installed last, it runs first.
void GuardControl(HWND hwnd);
