#pragma once
// Helpers for tests that run a child program and answer its message boxes.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/boxes.h"

// The folder of the running test program, with a final backslash.
std::string TestFolder();

// The whole content of a file, as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

struct Child {
  PROCESS_INFORMATION pi{};
  ~Child();
  bool Start(const std::string& commandLine, const char* currentDirectory = nullptr);
  // Waits for the process to end; its exit code, or 0x7FFFFFFF on a time-out.
  DWORD Wait(DWORD ms = 15000);
};

// Creates a plain top-level window of the given class (registered on first use).
HWND MakeClassWindow(const char* className, const char* title, DWORD style, int x = 100,
                     int y = 100, int cx = 300, int cy = 200);

// Creates a plain window of the test's own class.
HWND MakeWindow(const char* title, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                HWND parent = nullptr, int x = 100, int y = 100, int cx = 300, int cy = 200);

// Dispatches waiting messages of this thread.
void Pump();
