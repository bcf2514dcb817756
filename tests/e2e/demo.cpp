// Shows Quiltmark at work, for scripts/demo.sh: scatters six sample windows, then uses
// Quiltmark's window as a person does to arrange them by size and then by count per
// row. The whole screen is saved as a PNG in the current folder before the first
// click and after each: demo-before.png, demo-by-size.png, demo-by-row-count.png.
#include <png.h>
#include <windows.h>

#include <cstdio>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

constexpr char kSamples[] = "--children QmDemo 6 样例窗口";
constexpr size_t kSampleCount = 6;
// Time for every window to paint before a screenshot.
constexpr DWORD kSettleMs = 1200;

bool SaveScreen(const char* file) {
  RECT screen{};
  GetWindowRect(GetDesktopWindow(), &screen);
  std::vector<DWORD> pixels = PixelsOf(GetDesktopWindow());
  std::vector<png_byte> rgb;
  rgb.reserve(pixels.size() * 3);
  for (DWORD p : pixels) {
    rgb.push_back(static_cast<png_byte>(p >> 16));
    rgb.push_back(static_cast<png_byte>(p >> 8));
    rgb.push_back(static_cast<png_byte>(p));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(screen.right - screen.left);
  image.height = static_cast<png_uint_32>(screen.bottom - screen.top);
  image.format = PNG_FORMAT_RGB;
  bool saved = !rgb.empty() && png_image_write_to_file(&image, file, 0, rgb.data(), 0, nullptr);
  std::printf("demo: %s %s\n", saved ? "saved" : "could not save", file);
  return saved;
}

// Waits until the window has the size it was given.
bool WaitForSize(HWND hwnd, int cx, int cy) {
  for (int tries = 0; tries < 100; ++tries, Sleep(50)) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    if (r.right - r.left == cx && r.bottom - r.top == cy) return true;
  }
  return false;
}

int Fail(const char* what) {
  std::fprintf(stderr, "demo: %s\n", what);
  return 1;
}

}  // namespace

int main() {
  SampleWindows samples;
  if (!samples.Start(kSamples, kSampleCount)) return Fail("the sample windows did not come up");
  Quiltmark app;
  HWND main = StartInFront(app);
  if (!main) return Fail("Quiltmark did not come up");
  MainControls c = FindMainControls(main);
  if (!c.AllFound()) return Fail("Quiltmark's controls were not found");
  HWND first = samples.Windows().front();

  // By size: the class name and a cell of 600 x 330.
  RetypeField(c.classField, "QmDemo");
  RetypeField(c.widthField, "600");
  RetypeField(c.heightField, "330");
  PressKey(VK_TAB);  // on to the arrange button, leaving the title's placeholder alone
  if (WaitForText(c.heightField, "330") != "330") return Fail("typing went astray");
  Sleep(kSettleMs);
  if (!SaveScreen("demo-before.png")) return 1;
  ClickAt(CentreOf(c.arrangeButton));
  if (!WaitForSize(first, 600, 330)) return Fail("arranging by size moved nothing");
  Sleep(kSettleMs);
  if (!SaveScreen("demo-by-size.png")) return 1;

  // By count per row: two a row, so three rows of half the screen's width.
  if (!BringToFront(main)) return Fail("Quiltmark did not come back to the front");
  if (!ChooseComboItem(c.methodCombo, 1)) return Fail("the method list did not open");
  RetypeField(c.perRowField, "2");
  if (WaitForText(c.perRowField, "2") != "2") return Fail("typing went astray");
  ClickAt(CentreOf(c.arrangeButton));
  if (!WaitForSize(first, 960, 1079 / 3)) return Fail("arranging by row count moved nothing");
  Sleep(kSettleMs);
  if (!SaveScreen("demo-by-row-count.png")) return 1;

  PostMessageA(main, WM_CLOSE, 0, 0);
  if (app.WaitForExit() != 0) return Fail("Quiltmark did not end with exit code 0");
  for (HWND hwnd : samples.Windows()) PostMessageA(hwnd, WM_CLOSE, 0, 0);
  return 0;
}
