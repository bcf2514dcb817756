// The main window's layout tables, and the few routines that read them.
#include "ui/layout.h"

#include <algorithm>
#include <cstring>

using namespace ids;

const WindowLayout kMainWindow = {kMainWindowId, "Quiltmark", 312, 389};

namespace {
constexpr uint32_t kGrey = 0x606060;
constexpr uint32_t kBlack = 0;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr auto I = FontChoice::Interface;
constexpr auto N = FontChoice::Number;
constexpr uint32_t kWin = 0;
}  // namespace

const ControlLayout kControls[] = {
    {分组框_窗口查找条件, "分组框_窗口查找条件", ControlKind::GroupBox, kWin, -1, 10, 10, 286, 150,
     "窗口查找条件", I, kBlack, kButtonFace, 0, 0, false},
    {标签_窗口标题, "标签_窗口标题", ControlKind::Label, 分组框_窗口查找条件, -1, 19, 29, 60, 24,
     "窗口标题：", I, kBlack, kButtonFace, 0, 0, false},
    {编辑框_窗口标题, "编辑框_窗口标题", ControlKind::EditBox, 分组框_窗口查找条件, -1, 86, 29, 180,
     24, "[ 可空 ]", I, kGrey, kWhite, 0, 0, true},
    {标签_窗口类名, "标签_窗口类名", ControlKind::Label, 分组框_窗口查找条件, -1, 19, 67, 60, 24,
     "窗口类名：", I, kBlack, kButtonFace, 0, 0, false},
    {编辑框_窗口类名, "编辑框_窗口类名", ControlKind::EditBox, 分组框_窗口查找条件, -1, 86, 67, 180,
     24, "[ 可空 ]", I, kGrey, kWhite, 0, 0, true},
    {标签_手动获取, "标签_手动获取", ControlKind::Label, 分组框_窗口查找条件, -1, 19, 105, 60, 24,
     "手动获取：", I, kBlack, kButtonFace, 0, 0, false},
    {图片框_捕获窗口, "图片框_捕获窗口", ControlKind::PictureBox, 分组框_窗口查找条件, -1, 86, 105,
     32, 32, nullptr, I, kBlack, kButtonFace, 0, 0, false},
    {组合框_排列方式, "组合框_排列方式", ControlKind::ComboBox, kWin, -1, 80, 174, 137, 20,
     "根据尺寸排序\n根据行数排序", I, kBlack, kWhite, 0, 0, true},
    {分组框_排列方式, "分组框_排列方式", ControlKind::GroupBox, kWin, -1, 10, 179, 286, 121,
     "排列方式", I, kBlack, kButtonFace, 0, 0, false},
    {选择夹_排序方式, "选择夹_排序方式", ControlKind::TabControl, 分组框_排列方式, -1, 10, 22, 265,
     96, "固定\n可变", I, kBlack, kButtonFace, 0, 0, false},
    {标签_窗口宽度, "标签_窗口宽度", ControlKind::Label, 选择夹_排序方式, 0, 20, 16, 60, 24,
     "窗口宽度：", I, kBlack, kButtonFace, 0, 0, false},
    {编辑框_窗口宽度, "编辑框_窗口宽度", ControlKind::EditBox, 选择夹_排序方式, 0, 90, 16, 120, 24,
     "800", N, kBlack, kWhite, 7, 4, true},
    {标签_窗口高度, "标签_窗口高度", ControlKind::Label, 选择夹_排序方式, 0, 20, 54, 60, 24,
     "窗口高度：", I, kBlack, kButtonFace, 0, 0, false},
    {编辑框_窗口高度, "编辑框_窗口高度", ControlKind::EditBox, 选择夹_排序方式, 0, 90, 54, 120, 24,
     "800", N, kBlack, kWhite, 7, 4, true},
    {标签_单行数量, "标签_单行数量", ControlKind::Label, 选择夹_排序方式, 1, 20, 16, 60, 24,
     "单行数量：", I, kBlack, kButtonFace, 0, 0, false},
    {编辑框_单行数量, "编辑框_单行数量", ControlKind::EditBox, 选择夹_排序方式, 1, 90, 16, 120, 24,
     "3", N, kBlack, kWhite, 7, 4, true},
    {选择框_禁止修改窗口尺寸, "选择框_禁止修改窗口尺寸", ControlKind::CheckBox, 选择夹_排序方式, 1,
     90, 54, 120, 24, "禁止修改窗口尺寸", I, kBlack, kButtonFace, 0, 0, true},
    {按钮_自动排列, "按钮_自动排列", ControlKind::Button, kWin, -1, 180, 316, 110, 32, "自动排列",
     I, kBlack, kButtonFace, 0, 0, true},
};
const size_t kControlCount = sizeof kControls / sizeof kControls[0];

namespace {
const uint32_t kWindowStack[] = {组合框_排列方式, 分组框_排列方式, 分组框_窗口查找条件,
                                 按钮_自动排列};
const uint32_t kSearchStack[] = {图片框_捕获窗口, 标签_手动获取, 编辑框_窗口类名,
                                 标签_窗口类名,   标签_窗口标题, 编辑框_窗口标题};
const uint32_t kMethodStack[] = {选择夹_排序方式};
const uint32_t kPageStack[] = {
    选择框_禁止修改窗口尺寸, 标签_单行数量,   编辑框_单行数量, 编辑框_窗口高度,
    标签_窗口高度,           编辑框_窗口宽度, 标签_窗口宽度};
}  // namespace

const StackingLayout kStacking[] = {
    {kWin, kWindowStack, 4},
    {分组框_窗口查找条件, kSearchStack, 6},
    {分组框_排列方式, kMethodStack, 1},
    {选择夹_排序方式, kPageStack, 7},
};
const size_t kStackingCount = sizeof kStacking / sizeof kStacking[0];

const uint32_t kFocusOrder[] = {按钮_自动排列,   编辑框_窗口标题,        编辑框_窗口类名,
                                组合框_排列方式, 编辑框_窗口宽度,        编辑框_窗口高度,
                                编辑框_单行数量, 选择框_禁止修改窗口尺寸};
const size_t kFocusOrderCount = sizeof kFocusOrder / sizeof kFocusOrder[0];

const ControlLayout* FindControlLayout(uint32_t id) {
  for (const ControlLayout& c : kControls)
    if (c.id == id) return &c;
  return nullptr;
}

const ControlLayout* FindControlLayoutByName(const char* name) {
  for (const ControlLayout& c : kControls)
    if (std::strcmp(c.name, name) == 0) return &c;
  return nullptr;
}

uint32_t NextInFocusCycle(uint32_t current, bool backward, bool (*canFocus)(uint32_t, void*),
                          void* context) {
  const int n = static_cast<int>(kFocusOrderCount);
  int at = backward ? n : -1;  // not in the cycle: start from the matching end
  for (int i = 0; i < n; ++i)
    if (kFocusOrder[i] == current) at = i;
  for (int step = 1; step <= n; ++step) {
    int i = ((backward ? at - step : at + step) % n + n) % n;
    if (kFocusOrder[i] != current && canFocus(kFocusOrder[i], context)) return kFocusOrder[i];
  }
  return current && canFocus(current, context) ? current : 0;
}

int ScaleForDpi(int value, int dpi) {
  const long long product = static_cast<long long>(value) * dpi;
  const long long half = 48;  // 96 / 2
  return static_cast<int>(product >= 0 ? (product + half) / 96 : (product - half) / 96);
}

WindowOrigin CentredOnScreen(int screenWidth, int screenHeight, int width, int height) {
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

WindowOrigin KeptInside(WindowOrigin at, int width, int height, const AreaRect& area) {
  return {std::max(area.left, std::min(at.left, area.right - width)),
          std::max(area.top, std::min(at.top, area.bottom - height))};
}

std::vector<std::string> LayoutLines(const char* text) {
  std::vector<std::string> out;
  if (!text) return out;
  const char* start = text;
  for (const char* p = text;; ++p) {
    if (*p == '\n' || !*p) {
      out.emplace_back(start, p);
      if (!*p) break;
      start = p + 1;
    }
  }
  return out;
}
