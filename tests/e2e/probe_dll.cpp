// Loaded into a running Quiltmark by the driver: asks questions that only the
// process itself can answer (see probe.h).
#include <cstring>
#include <utility>

#include "tests/e2e/probe.h"

extern "C" {

__declspec(dllexport) DWORD WINAPI ProbeSend(void* record) {
  auto* call = static_cast<ProbeCall*>(record);
  LPARAM lParam = call->lParamIsBuffer ? reinterpret_cast<LPARAM>(call->buffer) : 0;
  call->result = SendMessageA(call->hwnd, call->message, call->wParam, lParam);
  return 0;
}

namespace {

ProbeCall* g_onWindowThread = nullptr;
HANDLE g_sentOnWindowThread = nullptr;

// Runs on the window's thread as it takes its next message off the queue.
LRESULT CALLBACK SendOnWindowThread(int code, WPARAM removing, LPARAM lParam) {
  auto* call = static_cast<ProbeCall*>(
      InterlockedExchangePointer(reinterpret_cast<void**>(&g_onWindowThread), nullptr));
  if (code == HC_ACTION && call) {
    LPARAM l = call->lParamIsBuffer ? reinterpret_cast<LPARAM>(call->buffer) : 0;
    call->result = SendMessageA(call->hwnd, call->message, call->wParam, l);
    SetEvent(g_sentOnWindowThread);
  }
  return CallNextHookEx(nullptr, code, removing, lParam);
}

}  // namespace

// As ProbeSend, but sent by the window's own thread, as the system sends what it
// tells a window of itself.
__declspec(dllexport) DWORD WINAPI ProbeSendOnWindowThread(void* record) {
  auto* call = static_cast<ProbeCall*>(record);
  call->result = 0;
  HMODULE self = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&SendOnWindowThread), &self);
  g_sentOnWindowThread = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  g_onWindowThread = call;
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, SendOnWindowThread, self,
                                 GetWindowThreadProcessId(call->hwnd, nullptr));
  // Something to take off the queue; the hook is done with it before it is dispatched.
  bool sent = hook && PostMessageA(call->hwnd, WM_NULL, 0, 0) &&
              WaitForSingleObject(g_sentOnWindowThread, 10000) == WAIT_OBJECT_0;
  if (!sent) InterlockedExchangePointer(reinterpret_cast<void**>(&g_onWindowThread), nullptr);
  if (hook) UnhookWindowsHookEx(hook);
  CloseHandle(std::exchange(g_sentOnWindowThread, nullptr));
  return sent ? 0 : 1;
}

__declspec(dllexport) DWORD WINAPI ProbeFont(void* record) {
  auto* call = static_cast<ProbeCall*>(record);
  auto font = reinterpret_cast<HFONT>(SendMessageA(call->hwnd, WM_GETFONT, 0, 0));
  call->result = font && GetObjectA(font, sizeof call->font, &call->font) == sizeof call->font;
  return 0;
}

__declspec(dllexport) DWORD WINAPI ProbeIconSize(void* record) {
  auto* call = static_cast<ProbeCall*>(record);
  auto icon = reinterpret_cast<HICON>(SendMessageA(call->hwnd, WM_GETICON, call->wParam, 0));
  ICONINFO info{};
  call->result = 0;
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP mask{};
  if (GetObjectA(info.hbmMask, sizeof mask, &mask) == sizeof mask) {
    // A monochrome icon keeps its image below the mask, in one bitmap twice as high.
    SIZE size{mask.bmWidth, info.hbmColor ? mask.bmHeight : mask.bmHeight / 2};
    std::memcpy(call->buffer, &size, sizeof size);
    call->result = 1;
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return 0;
}

__declspec(dllexport) DWORD WINAPI ProbeClassModule(void* record) {
  auto* call = static_cast<ProbeCall*>(record);
  // The wide query gives the class procedure itself rather than a translating stub.
  auto procedure = reinterpret_cast<LPCSTR>(GetClassLongPtrW(call->hwnd, GCLP_WNDPROC));
  HMODULE module = nullptr;
  call->result = 0;
  if (procedure && GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                          GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                      procedure, &module))
    call->result = GetModuleFileNameA(module, call->buffer, sizeof call->buffer);
  return 0;
}

}  // extern "C"
