#pragma once
// Message boxes: the style and result rules, and ShowMessageBox itself.
#include <cstdint>

#include "base/value.h"

// A style without MB_SYSTEMMODAL gets MB_TASKMODAL added.
uint32_t MessageBoxStyle(uint32_t flags);

// The pressed button's id (IDOK = 1 ...) to the button number (0 ...); 0 otherwise.
int MessageBoxResultNumber(int id);

// The text a value shows in a message box.
Text MessageBoxText(const Value& value);

// The owner of a box: none, or a window handle.
struct BoxOwner {
  bool given = false;
  void* hwnd = nullptr;
};

// Shows a message box and returns the button number. Title null: "信息：".
int ShowMessageBox(const Value& text, uint32_t flags, const char* title = nullptr,
                   BoxOwner owner = {});
