// Loaded into a running Quiltmark by the driver: asks questions that only the
// process itself can answer (see probe.h).
#include <cstring>

#include "tests/e2e/probe.h"

extern "C" {

__declspec(dllexport) DWORD WINAPI ProbeSend(void* record) {
  auto* call = static_cast<ProbeCall*>(record);
  LPARAM lParam = call->lParamIsBuffer ? reinterpret_cast<LPARAM>(call->buffer) : 0;
  call->result = SendMessageA(call->hwnd, call->message, call->wParam, lParam);
  return 0;
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
