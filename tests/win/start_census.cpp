// Starts programs many times the way the tests start them, and counts the starts that
// fail: CreateProcessW from a Windows process, a few children at a time, console and
// window programs mixed, each ending while others start. Each child gets a Wine debug
// log of its own (WINEDEBUG in its environment, its standard error in a file), kept
// only when that start fails (Wine writes it to this program's error output).
//   start_census.exe <starts> <log-folder> <quiltmark.exe> [at-once] [channels] [kinds]
// A lost start's output stays in <log-folder>\N.out and N.err.
//   start_census.exe --child      a console child: writes one line and ends with 7
// Prints one line per failed start and a summary; ends with 1 when a start was lost.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kChildExit = 7;
constexpr char kChildLine[] = "census child\r\n";

enum class Kind { kConsole, kHelp, kWindow };
const char* const kKindNames[] = {"console", "help", "window"};

struct Start {
  Kind kind = Kind::kConsole;
  int number = 0;
  PROCESS_INFORMATION pi{};
  HANDLE out = INVALID_HANDLE_VALUE;
  std::string outPath, errPath;
  ULONGLONG began = 0;
  bool closeAsked = false;
};

std::wstring Wide(const std::string& s) {
  std::wstring w(s.size(), L'\0');
  w.resize(MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(),
                               static_cast<int>(w.size())));
  return w;
}

HANDLE CreateLog(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD FileBytes(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

// The parent's environment with WINEDEBUG replaced, as a Unicode block.
std::wstring EnvironmentWithDebug(const std::string& channels) {
  std::wstring block;
  wchar_t* env = GetEnvironmentStringsW();
  for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
    if (_wcsnicmp(p, L"WINEDEBUG=", 10) == 0) continue;
    block.append(p).push_back(L'\0');
  }
  FreeEnvironmentStringsW(env);
  block.append(L"WINEDEBUG=" + Wide(channels)).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

struct FindData {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM lParam) {
  auto* data = reinterpret_cast<FindData*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != data->pid || !IsWindowVisible(hwnd)) return TRUE;
  data->found = hwnd;
  return FALSE;
}

int RunChild() {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), kChildLine, sizeof kChildLine - 1, &written, nullptr);
  return kChildExit;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--child") return RunChild();
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: start_census.exe <starts> <log-folder> <quiltmark.exe> [at-once] "
                 "[channels] [kinds]\n");
    return 2;
  }
  const int total = std::atoi(argv[1]);
  const std::string folder = argv[2];
  const std::string quiltmark = argv[3];
  const int atOnceAsked = argc > 4 ? std::atoi(argv[4]) : 4;
  // WaitForMultipleObjects takes at most 64 handles.
  if (total < 1 || atOnceAsked < 1 || atOnceAsked > MAXIMUM_WAIT_OBJECTS) {
    std::fprintf(stderr, "start_census: starts must be 1 or more, and at-once 1 to 64\n");
    return 2;
  }
  const size_t atOnce = static_cast<size_t>(atOnceAsked);
  const std::string channels = argc > 5 ? argv[5] : "err+all,+loaddll";
  // Mostly console programs, the quickest to start; every eighth a window.
  const std::string pattern = argc > 6 && *argv[6] ? argv[6] : "ccccchhw";
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  CreateDirectoryA(folder.c_str(), nullptr);
  std::wstring environment = EnvironmentWithDebug(channels);

  int started = 0, lost = 0, kinds[3] = {}, lostKinds[3] = {};
  std::vector<Start> running;
  auto fail = [&](Start& s, const std::string& how) {
    ++lost;
    ++lostKinds[static_cast<int>(s.kind)];
    std::printf("lost #%d %s: %s after %llu ms; wrote %lu bytes\n", s.number,
                kKindNames[static_cast<int>(s.kind)], how.c_str(), GetTickCount64() - s.began,
                FileBytes(s.outPath));
    std::fflush(stdout);
  };
  const ULONGLONG began = GetTickCount64();
  while (started < total || !running.empty()) {
    while (started < total && running.size() < atOnce) {
      Start s;
      s.number = ++started;
      // The kinds in turn, as the pattern names them: c console, h help, w window.
      const char kind = pattern[static_cast<size_t>(started - 1) % pattern.size()];
      s.kind = kind == 'w' ? Kind::kWindow : kind == 'h' ? Kind::kHelp : Kind::kConsole;
      ++kinds[static_cast<int>(s.kind)];
      s.outPath = folder + "\\" + std::to_string(s.number) + ".out";
      s.errPath = folder + "\\" + std::to_string(s.number) + ".err";
      s.out = CreateLog(s.outPath);
      HANDLE err = CreateLog(s.errPath);
      STARTUPINFOW si{};
      si.cb = sizeof si;
      si.dwFlags = STARTF_USESTDHANDLES;
      si.hStdOutput = s.out;
      si.hStdError = err;
      std::string line;
      switch (s.kind) {
        case Kind::kConsole: line = "\"" + std::string(self) + "\" --child"; break;
        case Kind::kHelp: line = "\"" + quiltmark + "\" --help"; break;
        case Kind::kWindow: line = "\"" + quiltmark + "\""; break;
      }
      std::wstring wide = Wide(line);
      // Children write Wine's debug lines to this program's own error output: each
      // start's lines follow its mark, for scripts/census.sh to cut out.
      std::fprintf(stderr, "census: start #%d\n", s.number);
      std::fflush(stderr);
      s.began = GetTickCount64();
      const BOOL ok =
          CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                         environment.data(), nullptr, &si, &s.pi);
      const DWORD error = GetLastError();
      CloseHandle(err);
      if (!ok) {
        fail(s, "CreateProcessW error " + std::to_string(error));
        CloseHandle(s.out);
        continue;
      }
      running.push_back(std::move(s));
    }
    // Wait for any child to end, closing windows once they show.
    std::vector<HANDLE> handles;
    for (Start& s : running) handles.push_back(s.pi.hProcess);
    const DWORD r =
        WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, 20);
    for (Start& s : running) {
      if (s.kind == Kind::kWindow && !s.closeAsked) {
        FindData data{s.pi.dwProcessId, nullptr};
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&data));
        if (data.found) s.closeAsked = PostMessageW(data.found, WM_CLOSE, 0, 0) != 0;
      }
    }
    (void)r;
    for (size_t i = 0; i < running.size();) {
      Start& s = running[i];
      const bool ended = WaitForSingleObject(s.pi.hProcess, 0) == WAIT_OBJECT_0;
      const bool overdue = GetTickCount64() - s.began > 30000;
      if (!ended && !overdue) {
        ++i;
        continue;
      }
      DWORD code = 0;
      if (ended)
        GetExitCodeProcess(s.pi.hProcess, &code);
      else
        TerminateProcess(s.pi.hProcess, 99);
      CloseHandle(s.out);
      const DWORD wrote = FileBytes(s.outPath);
      const DWORD want = s.kind == Kind::kConsole ? kChildExit : 0;
      const bool wantOutput = s.kind != Kind::kWindow;
      if (!ended)
        fail(s, "no end in 30 s");
      else if (code != want || (wantOutput && wrote == 0))
        fail(s, "exit code " + std::to_string(code));
      else {
        DeleteFileA(s.errPath.c_str());
        DeleteFileA(s.outPath.c_str());
      }
      CloseHandle(s.pi.hProcess);
      CloseHandle(s.pi.hThread);
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  const double seconds = static_cast<double>(GetTickCount64() - began) / 1000.0;
  std::printf(
      "census: %d starts in %.0f s (console %d, help %d, window %d), %d at once: %d lost "
      "(console %d, help %d, window %d)\n",
      started, seconds, kinds[0], kinds[1], kinds[2], static_cast<int>(atOnce), lost, lostKinds[0],
      lostKinds[1], lostKinds[2]);
  return lost ? 1 : 0;
}
