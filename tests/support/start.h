#pragma once
// CreateProcessW for the test programs. Wine loses a start now and then where the
// kernel randomises the loader's heap (scripts/wine-loader.sh says how): the new
// process dies before it reports in, and CreateProcessW fails with
// ERROR_INTERNAL_ERROR, which Windows gives for no start a test makes. Where the
// scripts could not turn randomisation off (QM_START_RETRY), that start is made once
// more and said on the error output, where scripts/test.sh counts it; any other
// failure is the test's.
#include <windows.h>

#include <cstdio>

inline BOOL StartProcess(wchar_t* commandLine, BOOL inheritHandles, DWORD flags, void* environment,
                         const wchar_t* folder, STARTUPINFOW* si, PROCESS_INFORMATION* pi) {
  if (CreateProcessW(nullptr, commandLine, nullptr, nullptr, inheritHandles, flags, environment,
                     folder, si, pi))
    return TRUE;
  const DWORD error = GetLastError();
  if (error != ERROR_INTERNAL_ERROR || !GetEnvironmentVariableW(L"QM_START_RETRY", nullptr, 0)) {
    SetLastError(error);
    return FALSE;
  }
  std::fprintf(stderr, "program start repeated: Wine lost it (CreateProcessW error 1359)\n");
  std::fflush(stderr);
  return CreateProcessW(nullptr, commandLine, nullptr, nullptr, inheritHandles, flags, environment,
                        folder, si, pi);
}
