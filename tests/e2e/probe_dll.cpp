// Loaded into a running Quiltmark by the driver: asks questions that only the
// process itself can answer (see probe.h).
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

__declspec(dllexport) DWORD WINAPI ProbeCurrentDirectory(void* record) {
  auto* call = static_cast<ProbeCall*>(record);
  call->result = GetCurrentDirectoryA(sizeof call->buffer, call->buffer);
  return 0;
}

}  // extern "C"
