// Every fatal condition shows exactly one task-modal box titled "错误" with the error icon and
// no owner, and ends the process with exit code -1 once it is closed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/start.h"
#include "tests/support/utf8.h"
#include "tests/win/win_support.h"

namespace {

struct FaultCase {
  const char* mode;
  const char* text;  // the whole report, as the box shows it
};

// The control reference and bind cases carry their names in the report.
const FaultCase kCases[] = {
    {"divide", "运行时出错!\r\n\r\n错误信息：不能整除于零\r\n\r\n0, 0\r\n"},
    {"remainder", "运行时出错!\r\n\r\n错误信息：不能求余数于零\r\n\r\n0, 0\r\n"},
    {"index",
     "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n\r\n"
     "67174679, 2048\r\n"},
    {"index-below",
     "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n\r\n"
     "67174688, 2485\r\n"},
    {"alloc", sizeof(void*) == 4
                  ? "运行时出错!\r\n\r\n错误信息：分配 2147483632 字节内存失败!\r\n\r\n0, 0\r\n"
                  : "运行时出错!\r\n\r\n错误信息：分配 9223371968135299072 字节内存失败!\r\n\r\n"
                    "0, 0\r\n"},
    {"new", sizeof(void*) == 4
                ? "运行时出错!\r\n\r\n错误信息：分配 2147483632 字节内存失败!\r\n\r\n0, 0\r\n"
                : "运行时出错!\r\n\r\n错误信息：分配 9223371968135299072 字节内存失败!\r\n\r\n"
                  "0, 0\r\n"},
    {"heap-exhausted", "运行时出错!\r\n\r\n错误信息：分配 1000 字节内存失败!\r\n\r\n0, 0\r\n"},
    {"bind-local",
     "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“qm_twin”中的输出命令“TwinEntry”\r\n\r\n"
     "0, 0\r\n"},
    {"bind-missing",
     "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“qm_nowhere”中的输出命令“Nothing”\r\n\r\n"
     "0, 0\r\n"},
    {"bind-unnamed",
     "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件中的输出命令“NoSuchExportAnywhere”\r\n\r\n"
     "0, 0\r\n"},
    {"control",
     "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n\r\n"
     "1375797249, 369164291\r\n\"\"\r\n未找到所指定的窗口组件\r\n"},
    {"not-loaded",
     "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n\r\n"
     "1375797249, 369164430\r\n\"\"\r\n\"\"\r\n"},
    {"control-gone",
     "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n\r\n"
     "1375797249, 369164430\r\n\"\"\r\n\"\"\r\n"},
    {"no-window",
     "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n\r\n"
     "1375797250, 0\r\n未找到所指定的窗口\r\n"},
};

// With a log, the child registers a clean-up routine and binds a test library into
// the table, which note in the log what the shutdown did.
void ExpectFaultReport(const FaultCase& c, const char* log) {
  SCOPED_TRACE(c.mode);
  Child child;
  std::string command = "\"" + TestFolder() + "fault_child.exe\" " + c.mode;
  if (log) command += std::string(" \"") + log + "\"";
  ASSERT_TRUE(child.Start(command));
  BoxSeen box = WaitForBox(child.pi.dwProcessId);
  ASSERT_NE(box.hwnd, nullptr) << "no fault box";
  EXPECT_EQ(box.title, "错误");
  EXPECT_EQ(box.text, c.text);
  EXPECT_TRUE(box.errorIcon);
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(DialogsOf(child.pi.dwProcessId).size(), 1u);
  // Task-modal, as every box of the program: its other windows take no input.
  HWND window = FindWindowA("Static", "fault child window");
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowEnabled(window)) << "the box is not task-modal";
  PressButton(box.hwnd, IDOK);
  EXPECT_EQ(child.Wait(), 0xFFFFFFFFu);
}

TEST(FaultReport, EachFaultShowsOneBoxAndExitsMinusOne) {
  for (const FaultCase& c : kCases) ExpectFaultReport(c, nullptr);
}

// Once the box is answered the shutdown runs: the clean-up routines, then the
// libraries of the system-function table are freed, before the process ends.
TEST(FaultReport, AFaultRunsTheShutdown) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string log = std::string(temp) + "qm_fault_shutdown.log";
  for (const FaultCase& c : {kCases[0], kCases[4]}) {  // a division, an allocation
    std::remove(log.c_str());
    ExpectFaultReport(c, log.c_str());
    EXPECT_EQ(ReadWholeFile(log), "cleanup1 0 thread 1\nprobe freed\n") << c.mode;
  }
  std::remove(log.c_str());
}

// In a run from the command line nobody may be there to answer a box: the report is
// written to the error stream instead, and the process still ends with -1.
TEST(FaultReport, ACommandLineRunWritesItsFault) {
  char folder[MAX_PATH], path[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  GetTempFileNameA(folder, "qmf", 0, path);
  for (const FaultCase& c : {kCases[0], kCases[6]}) {  // a division, an exhausted heap
    SCOPED_TRACE(c.mode);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE err =
        CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(err, INVALID_HANDLE_VALUE);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = err;
    std::wstring command = W("\"" + TestFolder() + "fault_child.exe\" stream-" + c.mode);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(StartProcess(command.data(), TRUE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(err);
    DWORD waited = WaitForSingleObject(pi.hProcess, 15000);
    EXPECT_TRUE(DialogsOf(pi.dwProcessId).empty()) << "a box waits for an answer";
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0xFFFFFFFFu);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // A file gets the code page of the console the child was started from.
    EXPECT_EQ(U8FromOutput(ReadWholeFile(path)), c.text);
  }
  DeleteFileA(path);
}

// A cdecl export called as stdcall leaves its arguments on the stack.
TEST(FaultReport, AnUnbalancedStackAfterASystemCall) {
  if (sizeof(void*) == 8)
    GTEST_SKIP() << "x64 has one calling convention and the caller cleans the stack, so a "
                    "call cannot leave it unbalanced; the check exists on x86 only";
  ExpectFaultReport({"stack",
                     "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误"
                     "\r\n\r\n67174580, 434\r\n"},
                    nullptr);
}

}  // namespace
