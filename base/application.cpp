// The application object and its window registry.
#include "base/application.h"

#include <algorithm>

Application g_app;

WindowEntry* FindWindowEntry(uint32_t id) {
  for (WindowEntry& w : g_app.windows)
    if (w.id == id) return &w;
  return nullptr;
}

bool AnyWindowLoaded() {
  return std::any_of(g_app.windows.begin(), g_app.windows.end(),
                     [](const WindowEntry& w) { return w.loaded; });
}

std::string WorkingFolderOf(const std::string& directory) {
  if (directory.size() == 2 && directory[1] == ':') return directory + '\\';
  return directory;
}
