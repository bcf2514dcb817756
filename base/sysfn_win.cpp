// The system-function table: each entry bound by name from a system library at its
// first call, and called with the stack checked.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/sysfn.h"
#include "base/wide.h"

const SystemFunctionName kSystemFunctionTable[kSystemFunctionCount] = {
    {"user32", "FindWindowExW"},        {"user32", "ShowWindow"},    {"user32", "SetWindowPos"},
    {"shell32.dll", "SHAppBarMessage"}, {"user32", "GetWindowRect"}, {"user32", "GetParent"},
};

static FARPROC LookUpEntry(HMODULE module, const char* entry) {
  if (entry[0] == '#') {
    auto ordinal = static_cast<WORD>(std::strtoul(entry + 1, nullptr, 10) & 0xFFFF);
    return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
  }
  return GetProcAddress(module, entry);
}

// A library that the system folder holds is loaded from there and nowhere else: the
// program is usually started from a downloads folder that anything can write to, and
// a user32.dll planted there must not run inside it.
// By its full path, which every Windows version takes (the search flags for this are
// missing from some), and with its own dependencies looked for beside it.
static HMODULE LoadSystemLibrary(const char* name) {
  wchar_t folder[MAX_PATH];
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path = std::wstring(folder, length) + L"\\" + Wide(name);
  if (!std::strchr(name, '.')) path += L".dll";
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

[[noreturn]] static void BindingFault(const SystemFunctionName& name) {
  std::string message;
  if (name.library[0]) {
    message =
        std::string("无法找到指定DLL库文件“") + name.library + "”中的输出命令“" + name.entry + "”";
  } else {
    message = std::string("无法找到指定DLL库文件中的输出命令“") + name.entry + "”";
  }
  ReportFault(message.c_str(), kFaultDirect, {});
}

void* BindEntry(const SystemFunctionName& name, SystemFunctionSlot& slot) {
  if (slot.address) return slot.address;
  HMODULE module = nullptr;
  FARPROC address = nullptr;
  if (!name.library[0]) {
    // No library named: the first of the system libraries that exports the entry.
    static const char* const kSystemLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                                   "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};
    for (const char* library : kSystemLibraries) {
      module = LoadSystemLibrary(library);
      if (!module) continue;
      address = LookUpEntry(module, name.entry);
      if (address) break;
      FreeLibrary(module);
      module = nullptr;
    }
  } else {
    if (!std::strpbrk(name.library, ":\\/")) module = LoadSystemLibrary(name.library);
    if (!module && !std::strchr(name.library, ':')) {
      // Any other library: the program's own folder first, then the search order.
      std::string local = g_app.executableDirectory + "\\" + name.library;
      module = LoadLibraryW(Wide(local).c_str());
    }
    if (!module) module = LoadLibraryW(Wide(name.library).c_str());
    // A library that loads but lacks the entry ends the search.
    if (module) address = LookUpEntry(module, name.entry);
  }
  if (!address) {
    if (module) FreeLibrary(module);
    BindingFault(name);
  }
  slot.module = module;
  slot.address = reinterpret_cast<void*>(address);
  return slot.address;
}

void* BindSystemFunction(int index) {
  return BindEntry(kSystemFunctionTable[index], g_app.systemFunctions[index]);
}

#if defined(__GNUC__) && defined(__i386__)
// Pushes the arguments right to left, calls, and reports how far the stack pointer
// moved: 0 when the callee removed exactly what was pushed.
static uintptr_t CallMeasured(void* address, const uintptr_t* args, uint32_t count,
                              int32_t* moved) {
  uintptr_t result;
  uint32_t left = count;
  __asm__ volatile(
      "movl %%esp, %%esi\n\t"
      "testl %%ecx, %%ecx\n\t"
      "jz 2f\n"
      "1:\n\t"
      "pushl -4(%%ebx,%%ecx,4)\n\t"
      "decl %%ecx\n\t"
      "jnz 1b\n"
      "2:\n\t"
      "call *%%edi\n\t"
      "movl %%esp, %%ecx\n\t"
      "subl %%esi, %%ecx\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(result), "+c"(left)
      : "b"(args), "D"(address)
      : "esi", "edx", "memory", "cc");
  *moved = static_cast<int32_t>(left);
  return result;
}
#else
// On x64 there is one calling convention and the caller cleans the stack, so a call
// cannot leave it unbalanced; the function types below pass every argument whole.
static uintptr_t CallMeasured(void* address, const uintptr_t* a, uint32_t count, int32_t* moved) {
  using U = uintptr_t;
  *moved = 0;
  switch (count) {
    case 0: return reinterpret_cast<U(WINAPI*)()>(address)();
    case 1: return reinterpret_cast<U(WINAPI*)(U)>(address)(a[0]);
    case 2: return reinterpret_cast<U(WINAPI*)(U, U)>(address)(a[0], a[1]);
    case 3: return reinterpret_cast<U(WINAPI*)(U, U, U)>(address)(a[0], a[1], a[2]);
    case 4: return reinterpret_cast<U(WINAPI*)(U, U, U, U)>(address)(a[0], a[1], a[2], a[3]);
    case 5:
      return reinterpret_cast<U(WINAPI*)(U, U, U, U, U)>(address)(a[0], a[1], a[2], a[3], a[4]);
    case 6:
      return reinterpret_cast<U(WINAPI*)(U, U, U, U, U, U)>(address)(a[0], a[1], a[2], a[3], a[4],
                                                                     a[5]);
    case 7:
      return reinterpret_cast<U(WINAPI*)(U, U, U, U, U, U, U)>(address)(a[0], a[1], a[2], a[3],
                                                                        a[4], a[5], a[6]);
    default: *moved = -1; return 0;
  }
}
#endif

uintptr_t CallBoundFunction(void* address, const uintptr_t* args, uint32_t count,
                            FaultLocation where) {
  int32_t moved = 0;
  uintptr_t result = CallMeasured(address, args, count, &moved);
  if (moved != 0) ReportFault(FaultCodeMessage(kFaultStack), kFaultStack, where);
  return result;
}
