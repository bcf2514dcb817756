#include "tests/e2e/e2e_support.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "tests/e2e/probe.h"
#include "tests/support/start.h"
#include "tests/support/utf8.h"
// winternl.h needs the types of windows.h.
#include <winternl.h>
// tlhelp32.h needs the types of windows.h.
#include <tlhelp32.h>

namespace {

constexpr DWORD kPollMs = 50;

std::string DriverFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  *(std::strrchr(path, '\\') + 1) = '\0';
  return path;
}

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->processId || !IsWindowVisible(hwnd) || TextOf(hwnd) != "Quiltmark")
    return TRUE;
  search->found = hwnd;
  return FALSE;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
  reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
  return TRUE;
}

}  // namespace

std::string QuiltmarkFolder() {
  std::string relative = DriverFolder() + "..\\..";
  char full[MAX_PATH];
  GetFullPathNameA(relative.c_str(), sizeof full, full, nullptr);
  return full;
}

Quiltmark::~Quiltmark() {
  if (!pi_.hProcess) return;
  if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(pi_.hProcess, 99);
    WaitForSingleObject(pi_.hProcess, 5000);
  }
  CloseHandle(pi_.hProcess);
  CloseHandle(pi_.hThread);
}

bool Quiltmark::Start(const char* currentDirectory, const std::string& arguments) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring line = W("\"" + QuiltmarkFolder() + "\\Quiltmark.exe\" " + arguments);
  const std::wstring folder = W(currentDirectory ? currentDirectory : "");
  return StartProcess(line.data(), FALSE, 0, nullptr, currentDirectory ? folder.c_str() : nullptr,
                      &si, &pi_) != 0;
}

CommandRun RunQuiltmarkCommand(const std::string& arguments, DWORD ms) {
  CommandRun run;
  char folder[MAX_PATH], path[MAX_PATH];
  // A run that could not start says which step failed, in place of the output.
  auto failed = [&run](const char* step) {
    run.output = std::string(step) + " failed, error " + std::to_string(GetLastError());
    return run;
  };
  if (!GetTempPathA(sizeof folder, folder)) return failed("GetTempPathA");
  if (!GetTempFileNameA(folder, "qmo", 0, path)) return failed("GetTempFileNameA");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (out == INVALID_HANDLE_VALUE) return failed("CreateFileA");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = out;
  si.hStdError = out;
  std::wstring line = W("\"" + QuiltmarkFolder() + "\\Quiltmark.exe\" " + arguments);
  PROCESS_INFORMATION pi{};
  std::string notStarted;
  if (!StartProcess(line.data(), TRUE, 0, nullptr, nullptr, &si, &pi)) {
    notStarted = "CreateProcessW failed, error " + std::to_string(GetLastError());
  } else {
    // Looked for all the while it runs: a window of its own must never show.
    for (DWORD waited = 0; waited < ms; waited += 5) {
      if (!VisibleWindowsOf(pi.dwProcessId).empty()) run.windowSeen = true;
      if (WaitForSingleObject(pi.hProcess, 5) == WAIT_OBJECT_0) break;
    }
    run.exitCode = kStillRunning;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi.hProcess, &run.exitCode);
    else
      TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  DWORD size = GetFileSize(out, nullptr);
  run.output.resize(size == INVALID_FILE_SIZE ? 0 : size);
  DWORD read = 0;
  SetFilePointer(out, 0, nullptr, FILE_BEGIN);
  if (!run.output.empty()) ReadFile(out, run.output.data(), size, &read, nullptr);
  run.output.resize(read);
  // Written in the code page of the console, as a script reads it; compared as UTF-8.
  run.output = U8FromOutput(run.output);
  CloseHandle(out);
  DeleteFileA(path);
  if (!notStarted.empty()) run.output = notStarted;
  return run;
}

HWND Quiltmark::WaitForWindow(DWORD ms) const {
  if (!pi_.hProcess) return nullptr;
  // Give up early when the program ends instead of showing its window.
  for (DWORD waited = 0;; waited += kPollMs) {
    if (HWND hwnd = FindMainWindow(pi_.dwProcessId, 0)) return hwnd;
    if (waited >= ms || WaitForSingleObject(pi_.hProcess, kPollMs) == WAIT_OBJECT_0) return nullptr;
  }
}

DWORD Quiltmark::WaitForExit(DWORD ms) const {
  if (!pi_.hProcess) return kNotStarted;
  if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return kStillRunning;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return code;
}

HWND FindMainWindow(DWORD processId, DWORD ms) {
  for (DWORD waited = 0;; waited += kPollMs) {
    WindowSearch search{processId, nullptr};
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found || waited >= ms) return search.found;
    Sleep(kPollMs);
  }
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    children.push_back(c);
  return children;
}

std::vector<HWND> DescendantsOf(HWND parent) {
  std::vector<HWND> all;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::string ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  return U8(std::wstring_view(name, static_cast<size_t>(GetClassNameW(hwnd, name, 256))));
}

std::string TextOf(HWND hwnd) {
  // GetWindowText does not ask a window of another process for its text.
  wchar_t text[1024] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           5000, &length))
    return "<no answer>";
  return U8(text);
}

RECT RectIn(HWND window, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND FocusOf(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
}

std::vector<DWORD> PixelsOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  int cx = r.right - r.left, cy = r.bottom - r.top;
  std::vector<DWORD> pixels(static_cast<size_t>(cx) * cy);
  if (pixels.empty()) return pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = cx;
  info.bmiHeader.biHeight = -cy;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, cx, cy, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto* source = static_cast<const DWORD*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

bool BringToFront(HWND hwnd) {
  // Wine's display driver carries each change of focus out a moment later, and one
  // left over from a window just closed or activated can take the front back after it
  // was given: it is asked for again until it holds.
  for (DWORD waited = 0; waited < 3000; waited += kPollMs) {
    if (GetForegroundWindow() == hwnd) return true;
    SetForegroundWindow(hwnd);
    Sleep(kPollMs);
  }
  // What kept the front, for the failure's report.
  HWND front = GetForegroundWindow();
  std::fprintf(stderr, "BringToFront: %p (%s) stayed in front of %p (%s)\n",
               static_cast<void*>(front), front ? ClassOf(front).c_str() : "-",
               static_cast<void*>(hwnd), ClassOf(hwnd).c_str());
  return false;
}

void PressKey(WORD virtualKey) {
  INPUT keys[2] = {};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = virtualKey;
    key.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

namespace {

// Runs `routine` at its address in `process` with one argument; false unless it
// finished in time.
bool RunThreadIn(HANDLE process, const void* routine, void* argument, DWORD* exitCode) {
  HANDLE thread = CreateRemoteThread(
      process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<void*>(routine)),
      argument, 0, nullptr);
  if (!thread) return false;
  bool done = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
  if (done) GetExitCodeThread(thread, exitCode);
  CloseHandle(thread);
  return done;
}

// Where the module of that file name lies in the process; 0 when it is not loaded.
uintptr_t ModuleBaseIn(DWORD processId, const char* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  uintptr_t base = 0;
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32First(snapshot, &entry); more && !base;
       more = Module32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szModule, name) == 0) base = reinterpret_cast<uintptr_t>(entry.modBaseAddr);
  }
  CloseHandle(snapshot);
  return base;
}

}  // namespace

std::string CurrentDirectoryOf(HANDLE process) {
  // The start of the process parameters, as far as the working directory: its path
  // (a counted UTF-16 text) follows the standard handles.
  struct Parameters {
    ULONG maximumLength, length, flags, debugFlags;
    HANDLE console;
    ULONG consoleFlags;
    HANDLE input, output, error;
    UNICODE_STRING currentDirectory;
  };
  using QueryProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  Parameters parameters{};
  if (!query ||
      query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0 ||
      !ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
      !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, nullptr))
    return "<unreadable>";
  std::wstring path(parameters.currentDirectory.Length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process, parameters.currentDirectory.Buffer, path.data(),
                         parameters.currentDirectory.Length, nullptr))
    return "<unreadable>";
  // Kept with a final backslash, which GetCurrentDirectory leaves off but for a root.
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return U8(path);
}

Probe::Probe(HANDLE process) : process_(process) {
  std::string path = DriverFolder() + "e2e_probe.dll";
  local_ = LoadLibraryA(path.c_str());
  record_ =
      VirtualAllocEx(process, nullptr, sizeof(ProbeCall), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!local_ || !record_ ||
      !WriteProcessMemory(process, record_, path.c_str(), path.size() + 1, nullptr))
    return;
  // kernel32 lies at the same address in every process of a session, so our own
  // LoadLibraryA is theirs as well. The thread's exit code holds only the low half of
  // the module handle on x64, so the module's address is looked up in the process's
  // module list instead.
  auto* loadLibrary =
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA"));
  DWORD loaded = 0;
  if (!RunThreadIn(process, loadLibrary, record_, &loaded)) {
    record_ = nullptr;
    return;
  }
  if (loaded) remoteBase_ = ModuleBaseIn(GetProcessId(process), "e2e_probe.dll");
}

Probe::~Probe() {
  if (record_) VirtualFreeEx(process_, record_, 0, MEM_RELEASE);
  if (local_) FreeLibrary(local_);
}

bool Probe::Call(const char* routine, ProbeCall& call) {
  if (!Attached()) return false;
  auto* local = reinterpret_cast<const char*>(GetProcAddress(local_, routine));
  if (!local) return false;
  const char* remote =
      reinterpret_cast<const char*>(remoteBase_) + (local - reinterpret_cast<const char*>(local_));
  DWORD unused = 0;
  if (!WriteProcessMemory(process_, record_, &call, sizeof call, nullptr)) return false;
  if (!RunThreadIn(process_, remote, record_, &unused)) {
    record_ = nullptr;
    return false;
  }
  return ReadProcessMemory(process_, record_, &call, sizeof call, nullptr) != 0;
}

std::optional<LOGFONTA> Probe::FontOf(HWND hwnd) {
  ProbeCall call{};
  call.hwnd = hwnd;
  if (!Call("ProbeFont", call) || call.result != 1) return std::nullopt;
  return call.font;
}

LRESULT Probe::Send(HWND hwnd, UINT message, WPARAM wParam, void* data, size_t size) {
  return SendBy("ProbeSend", hwnd, message, wParam, data, size);
}

LRESULT Probe::SendOnWindowThread(HWND hwnd, UINT message, WPARAM wParam, void* data, size_t size) {
  return SendBy("ProbeSendOnWindowThread", hwnd, message, wParam, data, size);
}

LRESULT Probe::SendBy(const char* routine, HWND hwnd, UINT message, WPARAM wParam, void* data,
                      size_t size) {
  ProbeCall call{};
  call.hwnd = hwnd;
  call.message = message;
  call.wParam = wParam;
  if (data) {
    if (size > sizeof call.buffer) return 0;
    call.lParamIsBuffer = TRUE;
    std::memcpy(call.buffer, data, size);
  }
  if (!Call(routine, call)) return 0;
  if (data) std::memcpy(data, call.buffer, size);
  return call.result;
}

std::optional<SIZE> Probe::IconSize(HWND hwnd, WPARAM kind) {
  ProbeCall call{};
  call.hwnd = hwnd;
  call.wParam = kind;
  if (!Call("ProbeIconSize", call) || call.result != 1) return std::nullopt;
  SIZE size;
  std::memcpy(&size, call.buffer, sizeof size);
  return size;
}

std::string Probe::ClassModule(HWND hwnd) {
  ProbeCall call{};
  call.hwnd = hwnd;
  if (!Call("ProbeClassModule", call) || call.result <= 0) return "";
  return std::string(call.buffer, std::strlen(call.buffer));
}

// ---- Keyboard, mouse and message boxes ------------------------------------------

namespace {

// Keys that sit apart from the numeric keypad and say so in their input.
bool IsExtendedKey(WORD key) {
  switch (key) {
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE: return true;
    default: return false;
  }
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

void SendKeys(std::vector<INPUT> keys) {
  SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

}  // namespace

HWND StartInFront(Quiltmark& app) {
  // Why it did not come up, for the test's log.
  auto why = [&app](const char* step) -> HWND {
    std::fprintf(stderr,
                 "StartInFront: %s (the program's exit code: 0x%lX, 0x7FFFFFFF while running)\n",
                 step, static_cast<unsigned long>(app.WaitForExit(0)));
    return nullptr;
  };
  if (!app.Start()) {
    // Seen once in a while under Wine; the system's reason, to find the cause.
    std::fprintf(stderr, "StartInFront: CreateProcessW failed with error %lu\n", GetLastError());
    return nullptr;
  }
  // Once its loop first waits for input, the program has shown its window and made
  // it the foreground window itself; only then is bringing it forward for good.
  WaitForInputIdle(app.Process(), 15000);
  HWND window = app.WaitForWindow();
  if (!window) return why("no window");
  if (!BringToFront(window)) return why("not brought to the front");
  for (DWORD waited = 0; waited < 3000; waited += kPollMs) {
    if (IsChild(window, FocusOf(app.ThreadId()))) return window;
    Sleep(kPollMs);
  }
  return why("no control took the focus");
}

HWND ControlAt(HWND window, const char* cls, int x, int y, const char* text) {
  for (HWND hwnd : DescendantsOf(window)) {
    if (cls && _stricmp(ClassOf(hwnd).c_str(), cls) != 0) continue;
    RECT r = RectIn(window, hwnd);
    if (r.left != x || r.top != y) continue;
    if (text && TextOf(hwnd) != text) continue;
    return hwnd;
  }
  return nullptr;
}

void PressChord(WORD modifier, WORD key) {
  SendKeys({KeyInput(modifier, false), KeyInput(key, false), KeyInput(key, true),
            KeyInput(modifier, true)});
}

void TypeKeys(const char* text) {
  for (const char* p = text; *p; ++p) {
    SHORT scan = VkKeyScanA(*p);
    auto key = static_cast<WORD>(LOBYTE(scan));
    if (HIBYTE(scan) & 1)
      PressChord(VK_SHIFT, key);
    else
      SendKeys({KeyInput(key, false), KeyInput(key, true)});
  }
}

bool PutOnClipboard(const char* text) {
  const std::wstring wide = W(text);
  size_t size = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return false;
  std::memcpy(GlobalLock(block), wide.c_str(), size);
  GlobalUnlock(block);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  bool put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  CloseClipboard();
  if (!put) GlobalFree(block);
  return put;
}

HWND WaitForFocus(DWORD threadId, HWND expected, DWORD ms) {
  HWND focus = FocusOf(threadId);
  for (DWORD waited = 0; focus != expected && waited < ms; waited += kPollMs) {
    Sleep(kPollMs);
    focus = FocusOf(threadId);
  }
  return focus;
}

HWND WaitForForeground(HWND expected, DWORD ms) {
  HWND front = GetForegroundWindow();
  for (DWORD waited = 0; front != expected && waited < ms; waited += kPollMs) {
    Sleep(kPollMs);
    front = GetForegroundWindow();
  }
  return front;
}

std::string WaitForText(HWND hwnd, const std::string& expected, DWORD ms) {
  std::string text = TextOf(hwnd);
  for (DWORD waited = 0; text != expected && waited < ms; waited += kPollMs) {
    Sleep(kPollMs);
    text = TextOf(hwnd);
  }
  return text;
}

void MoveMouseTo(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  INPUT move{};
  move.type = INPUT_MOUSE;
  // Absolute mouse input counts 65536 steps across the screen.
  move.mi.dx = MulDiv(screen.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
  move.mi.dy = MulDiv(screen.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &move, sizeof move);
}

HCURSOR CursorShown() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

bool AnswerOk(HWND box) {
  if (!BringToFront(box)) return false;
  PressKey(VK_RETURN);
  for (DWORD waited = 0; waited < 3000; waited += kPollMs) {
    if (!IsWindow(box)) return true;
    Sleep(kPollMs);
  }
  return false;
}

// ---- Mouse drags, typed text, sample windows and the main window's controls -----

namespace {

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lParam) {
  reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
  return TRUE;
}

void SendUnicodeChar(wchar_t c) {
  INPUT keys[2] = {};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wScan = c;
    key.ki.dwFlags = KEYEVENTF_UNICODE;
  }
  keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

// The dropped list of a combo box is a top-level window of the combo box's process.
HWND DroppedListOf(HWND combo) {
  DWORD processId = 0;
  GetWindowThreadProcessId(combo, &processId);
  for (HWND hwnd : VisibleWindowsOf(processId))
    if (ClassOf(hwnd) == "ComboLBox") return hwnd;
  return nullptr;
}

}  // namespace

void LeftButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
}

void ClickAt(POINT screen) {
  MoveMouseTo(screen);
  LeftButton(true);
  LeftButton(false);
}

POINT CentreOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void TypeText(const std::string& text) {
  for (wchar_t c : W(text)) {
    if (c < 0x80) {
      const char ascii[2] = {static_cast<char>(c), '\0'};
      TypeKeys(ascii);
    } else {
      SendUnicodeChar(c);
    }
  }
}

void RetypeField(HWND field, const std::string& text) {
  ClickAt(CentreOf(field));
  // Keys go where the focus is when they arrive, so wait for the click to land.
  WaitForFocus(GetWindowThreadProcessId(field, nullptr), field);
  PressKey(VK_HOME);
  PressChord(VK_SHIFT, VK_END);
  if (text.empty())
    PressKey(VK_DELETE);
  else
    TypeText(text);
}

bool ChooseComboItem(HWND combo, int index) {
  ClickAt(CentreOf(combo));
  HWND list = nullptr;
  for (DWORD waited = 0; !(list = DroppedListOf(combo)) && waited < 3000; waited += kPollMs)
    Sleep(kPollMs);
  if (!list) return false;
  auto itemHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  RECT client{};
  GetClientRect(list, &client);
  POINT item{client.right / 2, itemHeight * index + itemHeight / 2};
  ClientToScreen(list, &item);
  ClickAt(item);
  for (DWORD waited = 0; IsWindowVisible(list) && waited < 3000; waited += kPollMs) Sleep(kPollMs);
  return true;
}

bool MainControls::AllFound() const {
  for (HWND hwnd : {titleField, classField, captureTool, methodCombo, widthField, heightField,
                    perRowField, keepSizeBox, arrangeButton})
    if (!hwnd) return false;
  return true;
}

MainControls FindMainControls(HWND window) {
  MainControls c{};
  c.titleField = ControlAt(window, "Edit", 96, 39);
  c.classField = ControlAt(window, "Edit", 96, 77);
  c.captureTool = ControlAt(window, nullptr, 96, 115);
  c.methodCombo = ControlAt(window, "ComboBox", 80, 174);
  c.widthField = ControlAt(window, "Edit", 110, 217, "800");
  c.heightField = ControlAt(window, "Edit", 110, 255);
  c.perRowField = ControlAt(window, "Edit", 110, 217, "3");
  c.keepSizeBox = ControlAt(window, "Button", 110, 255);
  c.arrangeButton = ControlAt(window, "Button", 180, 316);
  return c;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> all;
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == processId && IsWindowVisible(hwnd)) found.push_back(hwnd);
  }
  return found;
}

SampleWindows::~SampleWindows() {
  if (!pi_.hProcess) return;
  TerminateProcess(pi_.hProcess, 0);
  WaitForSingleObject(pi_.hProcess, 5000);
  CloseHandle(pi_.hProcess);
  CloseHandle(pi_.hThread);
}

bool SampleWindows::Close() {
  for (HWND hwnd : TopLevelWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == pi_.dwProcessId) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  }
  return WaitForSingleObject(pi_.hProcess, 5000) == WAIT_OBJECT_0;
}

bool SampleWindows::Start(const std::string& arguments, size_t windowCount, const char* asProgram) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::string program = DriverFolder() + "sample_windows.exe";
  if (asProgram) {
    const std::string copy = DriverFolder() + asProgram;
    // A copy that is running already is the same program.
    if (!CopyFileW(W(program).c_str(), W(copy).c_str(), FALSE) &&
        GetFileAttributesW(W(copy).c_str()) == INVALID_FILE_ATTRIBUTES)
      return false;
    program = copy;
  }
  std::wstring line = W("\"" + program + "\" " + arguments);
  if (!StartProcess(line.data(), FALSE, 0, nullptr, nullptr, &si, &pi_)) return false;
  for (DWORD waited = 0; waited < 15000; waited += kPollMs) {
    if (Windows().size() >= windowCount) return true;
    if (WaitForSingleObject(pi_.hProcess, kPollMs) == WAIT_OBJECT_0) return false;
  }
  return false;
}

WindowManagerStandIn::WindowManagerStandIn() {
  wchar_t system[MAX_PATH];
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  library_ = std::wstring(system) + L"\\dwmapi.dll";
  saved_ = std::wstring(system) + L"\\dwmapi-qm-saved.dll";
  // A program that names the library by its path gets the file there, whatever
  // WINEDLLOVERRIDES says: the system's own is put aside, and back afterwards. One put
  // aside by a run that ended early is already there.
  if (GetFileAttributesW(saved_.c_str()) == INVALID_FILE_ATTRIBUTES &&
      !MoveFileExW(library_.c_str(), saved_.c_str(), MOVEFILE_REPLACE_EXISTING))
    return;
  const std::wstring from = W(DriverFolder() + "dwm\\dwmapi.dll");
  if (!CopyFileW(from.c_str(), library_.c_str(), FALSE)) return;
  wchar_t value[1024] = {};
  const DWORD had = GetEnvironmentVariableW(L"WINEDLLOVERRIDES", value, 1024);
  hadBefore_ = had > 0 && had < 1024;
  if (hadBefore_) before_ = value;
  const std::wstring overrides = (hadBefore_ ? before_ + L";" : L"") + L"dwmapi=n";
  ready_ = SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides.c_str()) != 0;
}

WindowManagerStandIn::~WindowManagerStandIn() {
  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", hadBefore_ ? before_.c_str() : nullptr);
  if (saved_.empty()) return;
  // A program that loaded the stand-in and is still ending (a helper a run started)
  // holds the file a moment longer: the system's own goes back once it has let go.
  for (int tries = 0; tries < 200; ++tries, Sleep(50))
    if (MoveFileExW(saved_.c_str(), library_.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
}

void MarkCloaked(HWND hwnd) { SetPropW(hwnd, L"QmCloaked", reinterpret_cast<HANDLE>(1)); }
