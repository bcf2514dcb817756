// The window on a system of any language. The run's language, and so its ANSI code
// page, is the environment's (scripts/wine-env.sh takes QM_WINE_LANG); QM_EXPECT_ACP
// names the code page the run must have, and QM_CODE_PAGE_PICTURE a picture of the
// window that the Chinese run (936) writes and the others compare with.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/utf8.h"

namespace {

std::string Environment(const char* name) {
  wchar_t value[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(W(name).c_str(), value, MAX_PATH);
  return n > 0 && n < MAX_PATH ? U8(value) : "";
}

// The window's client area, less the inside of the numeric fields: there the edit
// control places the digits by the system's language (its margins differ on
// Chinese, Japanese and Korean systems), on Windows too.
std::vector<DWORD> ClientPicture(HWND main, const MainControls& c, int* width) {
  RECT window{}, client{};
  GetWindowRect(main, &window);
  GetClientRect(main, &client);
  MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int cx = window.right - window.left;
  std::vector<RECT> fields;
  for (HWND field : {c.widthField, c.heightField, c.perRowField}) {
    RECT r{};
    GetWindowRect(field, &r);
    InflateRect(&r, -2, -2);
    if (IsWindowVisible(field)) fields.push_back(r);
  }
  std::vector<DWORD> all = PixelsOf(main), picture;
  for (int y = client.top; y < client.bottom; ++y) {
    for (int x = client.left; x < client.right; ++x) {
      DWORD pixel = all[static_cast<size_t>(y - window.top) * cx + (x - window.left)];
      for (const RECT& r : fields)
        if (PtInRect(&r, {x, y})) pixel = 0;
      picture.push_back(pixel);
    }
  }
  *width = client.right - client.left;
  return picture;
}

// Every text of the window is its Chinese one, read back as UTF-16, and so is the box
// that refuses an empty search; the window looks as it does on a Chinese system.
TEST(CodePage, TheWindowIsChineseOnEverySystem) {
  const std::string expected = Environment("QM_EXPECT_ACP");
  if (!expected.empty()) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected.c_str())))
        << "the run's language did not give the code page asked for (its locale missing?)";
  }
  // A pointer that an earlier test left on the 自动排列 button draws it lit in one
  // run and not in the other: every run starts with the pointer off the window.
  MoveMouseTo({0, 0});
  Quiltmark app;
  HWND main = StartInFront(app);
  ASSERT_NE(main, nullptr);
  MainControls c = FindMainControls(main);
  ASSERT_TRUE(c.AllFound());
  std::vector<std::string> shown;
  for (HWND child : DescendantsOf(main)) shown.push_back(TextOf(child));
  for (const char* text : {"窗口查找条件", "窗口标题：", "窗口类名：", "手动获取：", "[ 可空 ]",
                           "排列方式", "根据尺寸排序", "窗口宽度：", "窗口高度：", "自动排列"}) {
    EXPECT_NE(std::find(shown.begin(), shown.end(), text), shown.end()) << text;
  }

  const std::string path = Environment("QM_CODE_PAGE_PICTURE");
  if (!path.empty()) {
    ASSERT_TRUE(BringToFront(main));
    int width = 0;
    std::vector<DWORD> picture = ClientPicture(main, c, &width);
    if (GetACP() == 936) {
      FILE* out = _wfopen(W(path).c_str(), L"wb");
      ASSERT_NE(out, nullptr) << path;
      std::fwrite(&width, sizeof width, 1, out);
      std::fwrite(picture.data(), sizeof(DWORD), picture.size(), out);
      std::fclose(out);
    } else {
      FILE* in = _wfopen(W(path).c_str(), L"rb");
      ASSERT_NE(in, nullptr) << "no picture of the Chinese run: " << path;
      int chineseWidth = 0;
      std::vector<DWORD> chinese(picture.size() + 1);
      std::fread(&chineseWidth, sizeof chineseWidth, 1, in);
      chinese.resize(std::fread(chinese.data(), sizeof(DWORD), chinese.size(), in));
      std::fclose(in);
      ASSERT_EQ(chineseWidth, width);
      ASSERT_EQ(chinese.size(), picture.size());
      size_t differ = 0, first = picture.size();
      for (size_t i = 0; i < picture.size(); ++i) {
        if (picture[i] == chinese[i]) continue;
        ++differ;
        if (first == picture.size()) first = i;
      }
      EXPECT_EQ(differ, 0u) << "first at " << first % width << "," << first / width;
    }
  }

  ClickAt(CentreOf(c.arrangeButton));
  MessageBoxSeen box = WaitForMessageBox(app.ProcessId());
  ASSERT_NE(box.hwnd, nullptr) << "no refusal";
  EXPECT_EQ(box.title, "无效条件");
  EXPECT_EQ(box.text, "请至少提供一个窗口查找条件！");
  EXPECT_TRUE(AnswerOk(box.hwnd));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace

namespace {

// A title of full-width letters and a full-width quote, listed into a file: a code
// page that has them gets them as they are; one that lacks them (1252, and 437 for
// its consoles; Big5 has no full-width quote) gets "?" for each, never the look-alike
// "ABC" or a real quote.
TEST(CodePage, AFullWidthTitleIntoAFile) {
  SampleWindows sample;
  ASSERT_TRUE(sample.Start("QmCpWide 1 wide", 1));
  ASSERT_TRUE(SetWindowTextW(sample.Windows()[0], L"ＡＢＣ＂"));
  const CommandRun run = RunQuiltmarkCommand("--class QmCpWide --size 400x300 --list");
  EXPECT_EQ(run.exitCode, 0u);
  const std::string system = Environment("QM_EXPECT_ACP");
  const char* written = system == "1252" ? "????" : system == "950" ? "ＡＢＣ?" : "ＡＢＣ＂";
  EXPECT_EQ(run.output,
            std::string("1\tQmCpWide\t") + written + "\t0,0 400x300\tsample_windows.exe\r\n");
}

}  // namespace
