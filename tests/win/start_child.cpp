// Runs the program's start routine as its first argument says, with a binding table
// of its own: every event of the window and its controls goes to one handler that
// writes it to the log named by the second argument. Because FindEventHandler is
// defined here, the program's own handlers stay out of this program's link.
//   fail-window, fail-combo, fail-pages   the creation of that window fails
//   close-when-created                    the created event closes the window
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "base/application.h"
#include "app/runtime.h"
#include "ui/form.h"

namespace {

std::string g_log;
std::string g_mode;
const char* g_failingClass = nullptr;  // the class whose windows cannot be created
HWND g_decoy = nullptr;                // a live window that no one else knows

void Note(const std::string& line) {
  if (FILE* f = std::fopen(g_log.c_str(), "ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

bool NoteEvent(EventRecord& record) {
  char line[64];
  std::snprintf(line, sizeof line, "%08X %d", static_cast<unsigned>(record.control),
                static_cast<int>(record.event));
  Note(line);
  if (g_mode == "close-when-created" && record.control == kWindowSelfId &&
      record.event == kEventCreated)
    DestroyWindow(static_cast<HWND>(FindWindowEntry(kMainWindowId)->hwnd));
  return false;
}

// A creation hook that refuses the windows of one class.
LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_failingClass) {
    char name[64] = {};
    GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
    if (_stricmp(name, g_failingClass) == 0) return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

EventHandler FindEventHandler(uint32_t, int) { return NoteEvent; }

// Freed blocks are never handed out again; they are filled with the decoy's handle,
// so a record read after it was freed names a window that still exists. Every form
// that the program replaces is replaced here, so the program's own stay out of the
// link.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  auto* block = static_cast<unsigned char*>(std::malloc(size + 16));
  if (!block) return nullptr;
  std::memcpy(block, &size, sizeof size);
  return block + 16;
}

void* operator new(std::size_t size) {
  if (void* p = operator new(size, std::nothrow)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - 16;
  std::size_t size;
  std::memcpy(&size, block, sizeof size);
  for (std::size_t at = 0; at + sizeof g_decoy <= size; at += sizeof g_decoy)
    std::memcpy(static_cast<unsigned char*>(p) + at, &g_decoy, sizeof g_decoy);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  g_mode = argv[1];
  g_log = argv[2];
  g_decoy = CreateWindowExA(0, "STATIC", "decoy", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (g_mode == "fail-window") g_failingClass = "QuiltmarkWindow";
  if (g_mode == "fail-combo") g_failingClass = "ComboBox";
  if (g_mode == "fail-pages") g_failingClass = "SysTabControl32";
  SetWindowsHookExA(WH_CBT, RefuseCreation, nullptr, GetCurrentThreadId());
  ProgramStart();
  ShutdownRuntime(0);
  return static_cast<int>(g_app.lastMessageWParam);
}
