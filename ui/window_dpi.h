#pragma once
// The main window at its monitor's DPI: which DPI that is, the window's outer size,
// fonts and icons for it, and what the window does when the system moves it to a
// monitor of another scale.
#include <windows.h>

#include "ui/form.h"

constexpr DWORD kMainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The DPI of the primary monitor, where the window opens: the guess its first size is
// made for, before the window exists to be asked.
int PrimaryMonitorDpi();

// The DPI the system gives the window now: its own (Windows 10 1607 and later), else
// its monitor's (Windows 8.1 and later), else the system's.
int WindowDpi(HWND hwnd);

// The window's outer size when laid out at a DPI: the layout's client area scaled,
// in the system's frame for that DPI.
SIZE OuterSizeFor(const WindowLayout& layout, int dpi);

// The rectangle moved onto its monitor's work area, as little as it takes.
RECT KeptOnMonitor(const RECT& r);

// The form's two fonts for form.dpi (the controls take them in PlaceControls).
void MakeFonts(Form& form);

// The window's big and small icons at the sizes the system uses for form.dpi, given
// to the window; the ones they replace are freed.
void LoadWindowIcons(Form& form);

// WM_DPICHANGED: the window laid out again for the DPI, with its fonts, icons and
// pointers made anew and every control repainted.
void OnDpiChanged(Form& form, WPARAM wParam, LPARAM lParam);

// WM_GETDPISCALEDSIZE: the outer size the window will take at the DPI, so that the
// system's suggested rectangle is the one the layout gives. False when not answered.
bool OnGetDpiScaledSize(Form& form, WPARAM wParam, LPARAM lParam);
