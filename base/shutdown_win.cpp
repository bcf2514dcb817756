// The shutdown: what the process took at its start goes back, in the reverse order
// of need. Nothing here reports a fault: the fault report itself ends in it.
#include <ole2.h>
#include <windows.h>

#include <algorithm>

#include "base/messages.h"
#include "base/shutdown.h"

void RegisterCleanup(ExitCallback routine) {
  auto& list = g_app.exitCallbacks;
  if (std::find(list.begin(), list.end(), routine) == list.end()) list.push_back(routine);
}

void FreeSystemFunctions() {
  for (SystemFunctionSlot& slot : g_app.systemFunctions) {
    if (slot.module) FreeLibrary(static_cast<HMODULE>(slot.module));
    slot = {};
  }
}

bool TakesShutdownRequest(LPARAM senderThread) {
  // A wrong number leaves the request standing for the thread that is handing over.
  if (senderThread <= 0 || static_cast<uint64_t>(senderThread) > UINT32_MAX) return false;
  auto expected = static_cast<uint32_t>(senderThread);
  return g_app.shutdownSender.compare_exchange_strong(expected, 0);
}

void ShutdownRuntime(int exitCode) {
  if (g_app.mainThreadId && GetCurrentThreadId() != g_app.mainThreadId) {
    // A shutdown already under way ends the process by itself.
    bool underWay = g_app.ending;
    g_app.shutdownSender = GetCurrentThreadId();
    if (g_app.hiddenOwner)
      SendMessageW(static_cast<HWND>(g_app.hiddenOwner),
                   PrivateMessageId(PrivateMessage::kShutdown), static_cast<WPARAM>(exitCode),
                   static_cast<LPARAM>(GetCurrentThreadId()));
    if (!underWay) ExitProcess(static_cast<UINT>(exitCode));
    return;
  }
  if (g_app.ending) return;
  g_app.ending = true;
  g_app.idleCallbacks.clear();
  // Only the layout records go; a window still open after a fault stays on screen
  // until the process ends.
  g_app.windows.clear();
  for (size_t i = 0; i < g_app.exitCallbacks.size(); ++i)
    g_app.exitCallbacks[i](static_cast<int>(i));
  g_app.exitCallbacks.clear();
  FreeSystemFunctions();
  if (g_app.hiddenOwner) {
    DestroyWindow(static_cast<HWND>(g_app.hiddenOwner));
    g_app.hiddenOwner = nullptr;
  }
  if (g_app.oleInitialised) {
    OleUninitialize();
    g_app.oleInitialised = false;
  }
}
