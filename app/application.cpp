#include "app/application.h"

Application g_app;

WindowEntry* FindWindowEntry(uint32_t id) {
  for (WindowEntry& w : g_app.windows)
    if (w.id == id) return &w;
  return nullptr;
}

std::string WorkingFolderOf(const std::string& directory) {
  if (directory.size() == 2 && directory[1] == ':') return directory + '\\';
  return directory;
}
