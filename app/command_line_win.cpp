// A run with arguments: no window, one search and arrangement as the 自动排列 button
// makes it, the answer on the console it was started from, and an exit code.
#include <windows.h>

#include <cfenv>

#include "app/command_line.h"
#include "app/runtime.h"
#include "base/services.h"
#include "engine/arrange.h"

namespace {

HANDLE Usable(HANDLE h) {
  return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN ? h : nullptr;
}

// Where the texts go: the standard handles the program was given (a console, a file
// or a pipe), else the console of the program that started it. A program of the
// window subsystem gets no console of its own, and without one nothing is written.
class Console {
 public:
  Console()
      : out_(Usable(GetStdHandle(STD_OUTPUT_HANDLE))),
        err_(Usable(GetStdHandle(STD_ERROR_HANDLE))) {
    if ((out_ && err_) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    attached_ = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (attached_ == INVALID_HANDLE_VALUE) attached_ = nullptr;
    if (!out_) out_ = attached_;
    if (!err_) err_ = attached_;
  }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;
  ~Console() {
    if (attached_) CloseHandle(attached_);
  }

  void Out(const std::string& text) { Write(out_, text); }
  void Err(const std::string& text) { Write(err_, text); }

 private:
  static void Write(HANDLE h, const std::string& text) {
    DWORD written = 0;
    if (h) WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

  HANDLE out_;
  HANDLE err_;
  HANDLE attached_ = nullptr;
};

int Run(const CommandLine& cmd, Console& console) {
  if (cmd.help) {
    console.Out(UsageText());
    return kExitArranged;
  }
  if (!cmd.error.empty()) {
    console.Err(cmd.error + "\r\n用 Quiltmark.exe --help 查看用法。\r\n");
    return kExitBadArguments;
  }
  // One reading of the work area for the checks, the plan and the arrangement.
  const WorkArea area = ComputeWorkArea();
  if (ArrangeRefusal refusal = CheckArrangeRequest(cmd.request, area);
      refusal != ArrangeRefusal::kNone) {
    console.Err(RefusalText(refusal));
    return kExitBadArguments;
  }
  WindowList list;
  if (!FindRequestedWindows(cmd.request, list)) {
    console.Err("没有找到匹配的窗口\r\n");
    return kExitNoWindow;
  }
  if (!cmd.list) {
    if (Arrange(list, cmd.request, area) > 0) return kExitArranged;
    // Every match closed since the search or stopped answering: a script must not
    // take that for success.
    console.Err("匹配的窗口都已关闭或没有响应\r\n");
    return kExitNoWindow;
  }
  // The very plan that Arrange would apply.
  const ArrangementPlan plan = PlanArrangement(cmd.request, area, list.Count());
  for (int32_t i = 1; i <= list.Count(); ++i) {
    auto hwnd =
        reinterpret_cast<HWND>(static_cast<intptr_t>(ReadArrayElement(list.get(), i, 0, 0)));
    console.Out(ListLine(i, GetWindowClassName(hwnd).c_str(), GetWindowTextOf(hwnd).c_str(),
                         plan.cells[static_cast<size_t>(i - 1)]));
  }
  return kExitArranged;
}

}  // namespace

int RunFromCommandLine(int argc, char** argv) {
  InitializeRuntime(false);
  std::fesetenv(FE_DFL_ENV);
  Console console;
  int code = Run(ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc)), console);
  ShutdownRuntime(code);
  return code;
}
