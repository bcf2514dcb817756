// Why the system refused a move: the integrity levels of the window's process and of
// this one, read from their tokens.
#include <windows.h>

#include "engine/arrange.h"
#include "engine/refusal.h"

namespace {

// The last sub-authority of the token's mandatory label (0x2000 medium, 0x3000 high);
// kUnknownLevel when it cannot be read.
int32_t IntegrityLevelOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return kUnknownLevel;
  alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  int32_t level = kUnknownLevel;
  if (GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size)) {
    PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
    if (IsValidSid(sid) && *GetSidSubAuthorityCount(sid) > 0)
      level = static_cast<int32_t>(*GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u));
  }
  CloseHandle(token);
  return level;
}

// Limited query rights are enough to read the level of a program run as administrator.
int32_t IntegrityLevelOfWindow(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = pid ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr;
  if (!process) return kUnknownLevel;
  const int32_t level = IntegrityLevelOf(process);
  CloseHandle(process);
  return level;
}

}  // namespace

Landing WhyNotPlaced(void* window, Landing landing) {
  if (landing != Landing::kRefused && landing != Landing::kBusy) return landing;
  HWND hwnd = static_cast<HWND>(window);
  // A refusal, or a program that seemed not to answer (its rights may keep the question
  // from it): the arrangement has told the rest apart already.
  return NotPlacedBecause({IsWindow(hwnd) != 0, landing == Landing::kRefused,
                           IntegrityLevelOfWindow(hwnd), IntegrityLevelOf(GetCurrentProcess())});
}

bool ElevationWouldHelp() {
  const int32_t ours = IntegrityLevelOf(GetCurrentProcess());
  return ours == kUnknownLevel || ours < static_cast<int32_t>(SECURITY_MANDATORY_HIGH_RID);
}
