#include "tests/win/win_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "app/runtime.h"
#include "tests/support/start.h"
#include "tests/support/utf8.h"

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
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring line = W(commandLine);
  const std::wstring folder = W(currentDirectory ? currentDirectory : "");
  return StartProcess(line.data(), FALSE, 0, nullptr, currentDirectory ? folder.c_str() : nullptr,
                      &si, &pi) != 0;
}

DWORD Child::Wait(DWORD ms) {
  if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return 0x7FFFFFFF;
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  return code;
}

// Unicode windows, as the program's are: titles and class names in any characters.
static void RegisterTestClass(const std::wstring& className) {
  WNDCLASSW wc{};
  if (GetClassInfoW(GetModuleHandleW(nullptr), className.c_str(), &wc)) return;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className.c_str();
  RegisterClassW(&wc);
}

HWND MakeClassWindow(const char* className, const char* title, DWORD style, int x, int y, int cx,
                     int cy) {
  const std::wstring cls = W(className);
  RegisterTestClass(cls);
  return CreateWindowExW(0, cls.c_str(), W(title).c_str(), style, x, y, cx, cy, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

HWND MakeWindow(const char* title, DWORD style, HWND parent, int x, int y, int cx, int cy) {
  RegisterTestClass(L"QuiltmarkTestWindow");
  return CreateWindowExW(0, L"QuiltmarkTestWindow", W(title).c_str(), style, x, y, cx, cy, parent,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
