// The window search: every top-level window whose class and title match, taken from
// one snapshot of the desktop before anything is moved.
#include <windows.h>

#include <string>
#include <vector>

#include "base/services.h"
#include "base/wide.h"
#include "engine/order.h"
#include "engine/program_windows.h"
#include "engine/search.h"
#include "engine/title_pattern.h"
#include "engine/window_manager.h"

void WindowList::Append(int32_t handle) {
  MakeArrayPrivate(4, block_);
  int32_t count = ArrayElementCount(block_);
  int32_t dims = block_[0];
  block_ = static_cast<int32_t*>(ReallocBlock(block_, 4 + 4 * dims + 4 * (count + 1)));
  block_[1] = count + 1;
  block_[1 + dims + count] = handle;
}

namespace {

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM windows) {
  reinterpret_cast<std::vector<void*>*>(windows)->push_back(hwnd);
  return TRUE;
}

// Names are equal as the system compares class names and titles: whole, without
// regard to case. `want` is upper-cased already.
bool SameName(wchar_t* text, int length, const std::wstring& want) {
  if (length != static_cast<int>(want.size())) return false;
  CharUpperBuffW(text, static_cast<DWORD>(length));
  return want.compare(0, want.size(), text, static_cast<size_t>(length)) == 0;
}

bool ClassIs(HWND hwnd, const std::wstring& want) {
  wchar_t name[kMaxClassNameLength + 1];
  return SameName(name, GetClassNameW(hwnd, name, kMaxClassNameLength + 1), want);
}

// The system's own copy of the title, read without asking the window, which may be
// busy. One character more than the wanted title tells a longer title apart.
bool TitleIs(HWND hwnd, const std::wstring& want, std::wstring& buffer) {
  buffer.assign(want.size() + 2, L'\0');
  int n = InternalGetWindowText(hwnd, buffer.data(), static_cast<int>(buffer.size()));
  return SameName(buffer.data(), n, want);
}

std::wstring UpperCased(const char* text) {
  std::wstring wide = Wide(text);
  CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return wide;
}

// The file name of the window's program ("notepad.exe"); empty when the program cannot
// be asked. Limited query rights are enough, so that a program run as administrator
// is still named.
std::wstring ProgramFileName(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = pid ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr;
  if (!process) return L"";
  wchar_t path[MAX_PATH * 2];
  DWORD size = static_cast<DWORD>(std::size(path));
  const bool named = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
  CloseHandle(process);
  if (!named) return L"";
  std::wstring name(path, size);
  name.erase(0, name.find_last_of(L"\\/") + 1);
  return name;
}

std::wstring ProgramOf(HWND hwnd) {
  std::wstring name = ProgramFileName(hwnd);
  CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

}  // namespace

WindowMatcher::WindowMatcher(const char* className, const char* title, const char* program,
                             const char* titlePattern)
    : byClass_(className != nullptr),
      byTitle_(title != nullptr),
      byProgram_(program != nullptr),
      byPattern_(titlePattern != nullptr),
      class_(className ? UpperCased(className) : std::wstring()),
      title_(title ? UpperCased(title) : std::wstring()),
      program_(program ? UpperCased(program) : std::wstring()),
      pattern_(titlePattern ? UpperCased(titlePattern) : std::wstring()) {}

bool WindowMatcher::LastingMatch(void* window, bool* settled) const {
  HWND hwnd = static_cast<HWND>(window);
  if (settled) *settled = true;
  if (byClass_ && !ClassIs(hwnd, class_)) return false;
  if (!byProgram_) return true;
  if (program_.empty()) return false;
  const std::wstring program = ProgramOf(hwnd);
  if (settled) *settled = !program.empty();
  return program == program_;
}

bool WindowMatcher::TitleMatches(void* hwnd) const {
  if (byTitle_ && !TitleIs(static_cast<HWND>(hwnd), title_, buffer_)) return false;
  if (!byPattern_) return true;
  // The whole title this time, folded as the exact search folds it.
  buffer_ = GetStoredTitleWide(static_cast<HWND>(hwnd));
  CharUpperBuffW(buffer_.data(), static_cast<DWORD>(buffer_.size()));
  return TitleLike({reinterpret_cast<const char16_t*>(buffer_.data()), buffer_.size()},
                   {reinterpret_cast<const char16_t*>(pattern_.data()), pattern_.size()});
}

bool WindowMatcher::InSight(void* window) const {
  HWND hwnd = static_cast<HWND>(window);
  if (!IsWindowVisible(hwnd) || IsCloaked(hwnd)) return false;
  if (!byProgram_) return true;
  const auto exStyle = static_cast<uint32_t>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  return IsProgramWindow({true, false, exStyle, GetWindow(hwnd, GW_OWNER) != nullptr});
}

std::vector<void*> TopLevelWindows() {
  // The system hands over its whole list of top-level windows at once, in stacking
  // order from the top. Walking it one step at a time instead would end early at a
  // window that has just closed, list a window twice that comes to the front while
  // it walks, and never end while windows keep raising themselves.
  std::vector<void*> snapshot;
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&snapshot));
  return snapshot;
}

std::string ProgramNameOf(void* hwnd) { return Narrow(ProgramFileName(static_cast<HWND>(hwnd))); }

bool FindMatchingWindows(const char* className, const char* title, WindowList& list,
                         const char* program, const char* titlePattern) {
  list.Clear();
  const WindowMatcher matcher(className, title, program, titlePattern);
  for (void* window : TopLevelWindows()) {
    HWND hwnd = static_cast<HWND>(window);
    // The program is asked last: it takes opening the process. Of a program, only its
    // own windows count, not its dialogs, menus and hidden helpers.
    if (!matcher.TitleMatches(hwnd)) continue;
    if (matcher.HasProgram() && !matcher.InSight(hwnd)) continue;
    if (!matcher.LastingMatch(hwnd)) continue;
    // Out of sight on another virtual desktop (or a suspended app): not this desktop's.
    if (IsCloaked(hwnd)) continue;
    // A window handle has 32 significant bits on x64 as well: the list keeps them, and
    // the arrangement sign-extends them back.
    list.Append(static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd)));
  }
  return list.Count() >= 1;
}

int CompareTitles(const std::string& a, const std::string& b) {
  using CompareStringExCall = int(WINAPI*)(const wchar_t*, DWORD, const wchar_t*, int,
                                           const wchar_t*, int, NLSVERSIONINFO*, void*, LPARAM);
  using StrCmpLogicalCall = int(WINAPI*)(const wchar_t*, const wchar_t*);
  static const auto compareEx = reinterpret_cast<CompareStringExCall>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CompareStringEx")));
  const std::wstring x = Wide(a), y = Wide(b);
  // Windows 7 and later: numbers in any digits, letters of every script without case.
  if (compareEx) {
    const int c = compareEx(LOCALE_NAME_USER_DEFAULT, SORT_DIGITSASNUMBERS | LINGUISTIC_IGNORECASE,
                            x.c_str(), static_cast<int>(x.size()), y.c_str(),
                            static_cast<int>(y.size()), nullptr, nullptr, 0);
    if (c != 0) return c - CSTR_EQUAL;
  }
  // Before it, the order of the shell's own lists, from the shell's library.
  static const auto logical = reinterpret_cast<StrCmpLogicalCall>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"shlwapi.dll"), "StrCmpLogicalW")));
  if (logical) return logical(x.c_str(), y.c_str());
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, x.c_str(), static_cast<int>(x.size()),
                        y.c_str(), static_cast<int>(y.size())) -
         CSTR_EQUAL;
}

void SortByTitle(WindowList& list) {
  std::vector<int32_t> handles;
  std::vector<NamedWindow> named;
  for (int32_t i = 1; i <= list.Count(); ++i) {
    int32_t handle = ReadArrayElement(list.get(), i, 0, 0);
    HWND hwnd = reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
    handles.push_back(handle);
    named.push_back({GetStoredTitle(hwnd), GetWindowClassName(hwnd).c_str()});
  }
  list.Clear();
  for (size_t i : TitleOrder(named, CompareTitles)) list.Append(handles[i]);
}
