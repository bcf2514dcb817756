#include "tests/win/win_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "app/runtime.h"

namespace {
// Every test runs inside an initialised runtime, as the program's code always does.
class RuntimeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InitializeRuntime(); }
};
const auto* const kRuntime = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);
}  // namespace

std::string TestFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  *(std::strrchr(path, '\\') + 1) = '\0';
  return path;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Child::~Child() {
  if (pi.hProcess) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
}

bool Child::Start(const std::string& commandLine, const char* currentDirectory) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string line = commandLine;
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, currentDirectory,
                        &si, &pi) != 0;
}

DWORD Child::Wait(DWORD ms) {
  if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return 0x7FFFFFFF;
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  return code;
}

static void RegisterTestClass(const char* className) {
  WNDCLASSA wc{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), className, &wc)) return;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
}

HWND MakeClassWindow(const char* className, const char* title, DWORD style, int x, int y, int cx,
                     int cy) {
  RegisterTestClass(className);
  return CreateWindowExA(0, className, title, style, x, y, cx, cy, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

HWND MakeWindow(const char* title, DWORD style, HWND parent, int x, int y, int cx, int cy) {
  RegisterTestClass("QuiltmarkTestWindow");
  return CreateWindowExA(0, "QuiltmarkTestWindow", title, style, x, y, cx, cy, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
