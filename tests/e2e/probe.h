#pragma once
// The record that the driver and e2e_probe.dll share. The driver writes it into
// Quiltmark's memory, runs one of the probe's routines there on a thread of its
// own, and reads the record back. Wine answers WM_GETFONT and WM_GETICON with 0
// when they come from another process, and a font handle means nothing outside the
// process that made it, so such questions are asked from inside.
#include <windows.h>

struct ProbeCall {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  // When set, lParam is the address of `buffer`, whose bytes the driver fills
  // before the call and reads after it.
  BOOL lParamIsBuffer;
  LRESULT result;
  LOGFONTA font;
  char buffer[512];
};

// Each routine takes the record's address and answers in it:
//   ProbeSend             result = SendMessageA(hwnd, message, wParam, lParam)
//   ProbeSendOnWindowThread  the same, sent by the window's own thread
//   ProbeFont             font = the control's WM_GETFONT font; result = 1 when read
//   ProbeIconSize         buffer = the SIZE of the window's icon of kind wParam
//                         (ICON_BIG or ICON_SMALL); result = 1 when read
//   ProbeClassModule      buffer = the file of the module holding the window class's
//                         procedure; result = its length
