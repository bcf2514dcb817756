// Binding of system functions by name: once per entry, from the program's folder
// first, by ordinal, by searching the system libraries; freed at shutdown.
#include "base/sysfn.h"

#include <gtest/gtest.h>

#include "app/runtime.h"
#include "tests/win/win_support.h"

namespace {

class SystemFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string folder = TestFolder();
    folder.pop_back();
    g_app.executableDirectory = folder;
  }
};

TEST_F(SystemFunctions, FirstCallLoadsOnceAndShutdownFrees) {
  ASSERT_EQ(GetModuleHandleA("qm_probe.dll"), nullptr);
  // A slot of the program's table, which the shutdown frees.
  SystemFunctionSlot& slot = g_app.systemFunctions[kGetParent];
  FreeSystemFunctions();
  void* first = BindEntry({"qm_probe", "ProbeAdd"}, slot);
  HMODULE module = GetModuleHandleA("qm_probe.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(slot.module, module);
  const uintptr_t args[] = {40, 2};
  EXPECT_EQ(static_cast<uint32_t>(CallBoundFunction(first, args, 2, {})), 42u);
  // Later binds reuse the slot; had they loaded again, one FreeLibrary would not
  // unload the module.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(BindEntry({"qm_probe", "ProbeAdd"}, slot), first);
  FreeSystemFunctions();
  EXPECT_EQ(GetModuleHandleA("qm_probe.dll"), nullptr) << "the shutdown left the library loaded";
}

TEST_F(SystemFunctions, OrdinalsAndTheSystemSearch) {
  SystemFunctionSlot byOrdinal;
  void* address = BindEntry({"qm_probe", "#65541"}, byOrdinal);  // low 16 bits: 5
  EXPECT_EQ(address, reinterpret_cast<void*>(
                         GetProcAddress(static_cast<HMODULE>(byOrdinal.module), "ProbeAdd")));
  FreeLibrary(static_cast<HMODULE>(byOrdinal.module));

  // No library named: Kernel32, Gdi32 and then User32 are tried; the misses are
  // freed again.
  SystemFunctionSlot searched;
  void* show = BindEntry({"", "ShowWindow"}, searched);
  EXPECT_EQ(searched.module, GetModuleHandleA("user32.dll"));
  EXPECT_EQ(show,
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ShowWindow")));
  FreeLibrary(static_cast<HMODULE>(searched.module));

  // A library found only by the system's search order.
  SetDllDirectoryA((TestFolder() + "alt").c_str());
  SystemFunctionSlot elsewhere;
  void* twin = BindEntry({"qm_elsewhere", "TwinEntry"}, elsewhere);
  EXPECT_EQ(static_cast<uint32_t>(CallBoundFunction(twin, nullptr, 0, {})), 42u);
  FreeLibrary(static_cast<HMODULE>(elsewhere.module));
  SetDllDirectoryA(nullptr);
}

// Libraries of the system's own named like a user32.dll and an mpr.dll beside the
// program are not loaded; the binding takes the system's and the call works. Wine
// keeps its own copy of a system library unless told to prefer another, while
// Windows loads whatever file a full path names: the override (which Windows
// ignores) makes Wine do the same for the child, so the test fails wherever the
// program's folder is searched first.
TEST(PlantedLibraries, AreNotLoadedFromTheProgramFolder) {
  const char* kOverrides = "Software\\Wine\\AppDefaults\\fault_child.exe\\DllOverrides";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  for (const char* name : {"user32", "mpr"})
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
  RegCloseKey(key);
  Child child;
  ASSERT_TRUE(child.Start("\"" + TestFolder() + "fault_child.exe\" planted"));
  // 0: nothing planted ran and ShowWindow showed the window; 4: a planted library
  // was loaded; 5: the window stayed hidden.
  EXPECT_EQ(child.Wait(), 0u);
  RegDeleteKeyA(HKEY_CURRENT_USER, kOverrides);
}

TEST_F(SystemFunctions, TheProgramTableCallsThroughItsSlots) {
  // Empty slots to begin with, whatever ran before in this process.
  FreeSystemFunctions();
  HWND w = MakeWindow("sysfn table", WS_OVERLAPPEDWINDOW);
  RECT r{};
  CallSystemFunction(kSetWindowPos, {}, w, nullptr, 10, 20, 300, 200, 0);
  CallSystemFunction(kGetWindowRect, {}, w, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(CallSystemFunction(kFindWindowExW, {}, nullptr, nullptr, L"QuiltmarkTestWindow",
                               L"sysfn table"),
            reinterpret_cast<uintptr_t>(w));
  EXPECT_EQ(CallSystemFunction(kGetParent, {}, w), 0u);
  for (int i : {kFindWindowExW, kSetWindowPos, kGetWindowRect, kGetParent})
    EXPECT_NE(g_app.systemFunctions[i].module, nullptr) << i;
  EXPECT_EQ(g_app.systemFunctions[kShowWindow].module, nullptr);  // never called
  FreeSystemFunctions();
  DestroyWindow(w);
}

}  // namespace
