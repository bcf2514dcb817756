// The command line's arguments, read without <windows.h>, and the texts a run from
// it writes.
#include "app/command_line.h"

#include <algorithm>
#include <cstdio>

#include "base/utf.h"
#include "ui/edit_rules.h"

namespace {

// A number as the window's fields take it: full-width digits and letters ("８００ｘ６００",
// as an input method types them) read as their ASCII forms.
std::string FoldFullWidth(const std::string& text) {
  std::u16string wide = Utf16FromUtf8(text);
  for (char16_t& unit : wide) unit = static_cast<char16_t>(FoldFullWidthChar(unit));
  return Utf8FromUtf16(wide);
}

// A whole decimal number, optionally signed, that fits in 32 bits; nothing else.
bool ParseNumberAsIs(const std::string& text, int32_t* value) {
  size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  if (i == text.size()) return false;
  int64_t n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
    if (n > INT32_MAX) return false;
  }
  *value = static_cast<int32_t>(text[0] == '-' ? -n : n);
  return true;
}

bool ParseNumber(const std::string& text, int32_t* value) {
  return !text.empty() && ParseNumberAsIs(FoldFullWidth(text), value);
}

// WIDTHxHEIGHT, with x or X between.
bool ParseSize(const std::string& given, int32_t* width, int32_t* height) {
  const std::string text = FoldFullWidth(given);
  size_t x = text.find_first_of("xX");
  return x != std::string::npos && x > 0 && ParseNumber(text.substr(0, x), width) &&
         x + 1 < text.size() && ParseNumber(text.substr(x + 1), height);
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  auto space = [](char c) { return c == ' ' || c == '\t'; };
  size_t i = 0;
  // The program's name: quoted or not, no escapes.
  for (bool quoted = false; i < line.size() && (quoted || !space(line[i])); ++i)
    if (line[i] == '"') quoted = !quoted;
  std::vector<std::string> args;
  for (;;) {
    while (i < line.size() && space(line[i])) ++i;
    if (i >= line.size()) return args;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !space(line[i]))) {
      size_t slashes = 0;
      while (i < line.size() && line[i] == '\\') ++slashes, ++i;
      if (i < line.size() && line[i] == '"') {
        arg.append(slashes / 2, '\\');
        if (slashes % 2) {
          arg += '"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';  // "" inside quotes
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(slashes, '\\');
        if (i < line.size() && (quoted || !space(line[i]))) arg += line[i++];
      }
    }
    args.push_back(std::move(arg));
  }
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cmd;
  bool bySize = false, byRowCount = false;
  std::vector<std::string> seen;
  auto refuse = [&cmd](const std::string& why) {
    if (cmd.error.empty()) cmd.error = why;
  };
  for (size_t i = 0; i < args.size() && cmd.error.empty(); ++i) {
    const std::string& given = args[i];
    // The three spellings of the usage are one option.
    const std::string arg = given == "/?" || given == "-h" ? "--help" : given;
    const bool known = arg == "--help" || arg == "--list" || arg == "--keep-size" ||
                       arg == "--monitors" || arg == "--watch" || arg == "--stop";
    const bool takesValue = arg == "--class" || arg == "--title" || arg == "--process" ||
                            arg == "--size" || arg == "--per-row" || arg == "--monitor" ||
                            arg == "--order" || arg == "--title-like" || arg == "--gap";
    if (!known && !takesValue) {
      refuse("未知参数：" + given);
      break;
    }
    // Given twice, one of the two would be dropped without a word.
    if (std::find(seen.begin(), seen.end(), arg) != seen.end()) {
      refuse(given + " 只能给出一次");
      break;
    }
    seen.push_back(arg);
    if (arg == "--help") {
      cmd.help = true;
      continue;
    }
    if (arg == "--list") {
      cmd.list = true;
      continue;
    }
    if (arg == "--keep-size") {
      cmd.request.keepSize = true;
      continue;
    }
    if (arg == "--monitors") {
      cmd.monitors = true;
      continue;
    }
    if (arg == "--watch") {
      cmd.watch = true;
      continue;
    }
    if (arg == "--stop") {
      cmd.stop = true;
      continue;
    }
    // The next argument is the value, whatever it starts with: a title may well be
    // "-- 日志 --".
    if (i + 1 >= args.size()) {
      refuse(arg + " 缺少取值");
      break;
    }
    const std::string& value = args[++i];
    if (arg == "--class") {
      cmd.request.className = value;
    } else if (arg == "--title") {
      cmd.request.title = value;
    } else if (arg == "--title-like") {
      // An empty pattern would be no pattern at all, and take every title.
      if (value.empty()) refuse("--title-like 的模式不能为空");
      cmd.request.titlePattern = value;
    } else if (arg == "--process") {
      cmd.request.program = value;
    } else if (arg == "--gap") {
      if (!ParseNumber(value, &cmd.request.gap) || cmd.request.gap < 0 || cmd.request.gap > kMaxGap)
        refuse("--gap 的取值应为 0 到 " + std::to_string(kMaxGap) + " 的像素数：" + value);
    } else if (arg == "--monitor") {
      if (!ParseNumber(value, &cmd.monitor) || cmd.monitor < 1)
        refuse("--monitor 的取值应为从 1 起的显示器序号：" + value);
    } else if (arg == "--order") {
      if (value != "title" && value != "found")
        refuse("--order 的取值应为 title 或 found：" + value);
      cmd.byTitle = value == "title";
    } else if (arg == "--size") {
      bySize = true;
      if (!ParseSize(value, &cmd.request.width, &cmd.request.height))
        refuse("--size 的取值应为 宽x高，例如 800x600：" + value);
    } else {
      byRowCount = true;
      if (!ParseNumber(value, &cmd.request.perRow)) refuse("--per-row 的取值应为数字：" + value);
    }
  }
  // The list of monitors is all such a run does: anything beside it is a slip that
  // must not end as if windows had been arranged.
  const bool others = std::any_of(seen.begin(), seen.end(), [](const std::string& option) {
    return option != "--monitors" && option != "--stop" && option != "--help";
  });
  if (cmd.error.empty() && !cmd.help && cmd.monitors && (others || cmd.stop))
    refuse("--monitors 不能与其他参数一起使用");
  // Nor is ending the watches anything but that.
  if (cmd.error.empty() && !cmd.help && cmd.stop && (others || cmd.monitors))
    refuse("--stop 不能与其他参数一起使用");
  if (!cmd.error.empty() || cmd.help || cmd.monitors || cmd.stop) return cmd;
  // A list moves nothing, so there is no grid to keep.
  if (cmd.watch && cmd.list) refuse("--watch 不能与 --list 一起使用");
  // A missing or empty search condition is refused by the same check as the window's.
  // A star in an exact title is a star: the two ways of naming a title do not mix.
  if (std::find(seen.begin(), seen.end(), "--title") != seen.end() &&
      std::find(seen.begin(), seen.end(), "--title-like") != seen.end())
    refuse("--title 和 --title-like 只能选一个");
  if (bySize && byRowCount) refuse("--size 和 --per-row 只能选一个");
  if (!bySize && !byRowCount) refuse("请用 --size 或 --per-row 选择排列方式");
  if (cmd.request.keepSize && !byRowCount) refuse("--keep-size 只能与 --per-row 一起使用");
  cmd.request.method = byRowCount ? ArrangeMethod::kByRowCount : ArrangeMethod::kBySize;
  return cmd;
}

std::string UsageText() {
  return "用法：Quiltmark.exe [--class 类名] [--title 标题 | --title-like 模式] [--process "
         "程序名]\r\n"
         "                    (--size 宽x高 | --per-row 数量 [--keep-size]) [--gap 像素]\r\n"
         "                    [--monitor 序号] [--order title|found] [--list | --watch]\r\n"
         "      Quiltmark.exe --monitors\r\n"
         "      Quiltmark.exe --stop\r\n"
         "不带参数时打开窗口；带参数时不显示窗口，查找并排列后结束。\r\n"
         "  --class 类名     窗口类名（整个相同，不分大小写）\r\n"
         "  --title 标题     窗口标题（整个相同，不分大小写）\r\n"
         "  --title-like 模式 标题符合模式：* 代表任意多个字符（可以没有），? 代表一个字符\r\n"
         "                   （不分大小写）；不能与 --title 一起使用\r\n"
         "  --process 程序名 窗口所属程序的文件名，例如 notepad.exe（整个相同，不分大小写）；\r\n"
         "                   这些条件可同时使用，都要符合，至少给出一个\r\n"
         "  --size 宽x高     根据尺寸排序：每个窗口都改为这个尺寸\r\n"
         "  --per-row 数量   根据行数排序：每行这么多个窗口\r\n"
         "  --keep-size      与 --per-row 一起使用：只移动窗口，不改尺寸\r\n"
         "  --gap 像素       格子之间、格子与工作区边缘之间留出的像素（0 到 200，默认 0）\r\n"
         "  --monitor 序号   排列到这个显示器的工作区（不给出时为主显示器）\r\n"
         "  --order title    按标题的自然顺序排列（“窗口 2”在“窗口 10”之前），其次按类名；\r\n"
         "                   --order found 为找到的顺序（默认）\r\n"
         "  --list           只列出匹配的窗口、各自的位置和所属程序，不移动窗口\r\n"
         "  --watch          排列后继续运行：可见的匹配窗口出现、关闭、隐藏或改标题，\r\n"
         "                   以及工作区改变时，按同样的参数重新排列；已排列的窗口\r\n"
         "                   保持顺序，新窗口排在最后。开始时没有匹配的窗口也会等待；\r\n"
         "                   按 Ctrl+C 或用 --stop 结束\r\n"
         "  --stop           结束本会话中所有 --watch（结束了至少一个时退出码为 0）\r\n"
         "  --monitors       列出各显示器的序号、范围和工作区\r\n"
         "  --help, /?       显示本说明\r\n"
         "退出码：0 找到的窗口都已排列（或列出），--watch 已结束，或 --stop 结束了 --watch；\r\n"
         "        1 没有找到匹配的窗口，一个也没有排列，或没有 --watch 可结束；\r\n"
         "        2 参数无效；3 只排列了一部分；-1 内部错误。\r\n"
         "示例：Quiltmark.exe --class ConsoleWindowClass --per-row 3\r\n";
}

std::string RefusalText(ArrangeRefusal refusal) {
  const char* message = RefusalMessage(refusal);
  return message ? std::string(message) + "\r\n" : "";
}

namespace {

// A field of a line: a tab, a line break or any other control character in a title
// (U+0000 to U+001F, U+007F and the C1 controls U+0080 to U+009F, U+0085 among them),
// and the line and paragraph separators U+2028 and U+2029, becomes one space, so that
// a record is one line of its fields whatever the window is called and whatever reads
// it.
std::string Field(const std::string& text) {
  std::string field;
  field.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = [&](size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
    };
    if (c < 0x20 || c == 0x7F) {
      field += ' ';
    } else if (c == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
      field += ' ';
      i += 1;
    } else if (c == 0xE2 && next(1) == 0x80 && (next(2) == 0xA8 || next(2) == 0xA9)) {
      field += ' ';
      i += 2;
    } else {
      field += static_cast<char>(c);
    }
  }
  return field;
}

}  // namespace

std::string ListLine(int32_t number, const std::string& className, const std::string& title,
                     const Placement& cell, const std::string& program) {
  char place[64];
  if (cell.flags & kSwpNoSize)
    std::snprintf(place, sizeof place, "%d,%d", cell.x, cell.y);
  else
    std::snprintf(place, sizeof place, "%d,%d %dx%d", cell.x, cell.y, cell.cx, cell.cy);
  return std::to_string(number) + "\t" + Field(className) + "\t" + Field(title) + "\t" + place +
         "\t" + Field(program) + "\r\n";
}

std::string NotPlacedLine(int32_t number, const std::string& className, const std::string& title,
                          Landing landing) {
  const char* why = "没有排列";
  switch (landing) {
    case Landing::kBusy: why = "没有响应，恢复响应后会移到它的位置"; break;
    case Landing::kRefused: why = "拒绝移动"; break;
    case Landing::kGone: why = "已关闭"; break;
    case Landing::kHigherRights: why = "所属程序的权限比 Quiltmark 高，拒绝移动"; break;
    case Landing::kWaiting:
    case Landing::kPlaced: break;
  }
  return std::to_string(number) + "\t" + Field(className) + "\t" + Field(title) + "\t" + why +
         "\r\n";
}

std::string KeptSizeLine(int32_t number, const std::string& className, const std::string& title,
                         int32_t width, int32_t height) {
  return std::to_string(number) + "\t" + Field(className) + "\t" + Field(title) +
         "\t不能缩小到格子的大小，尺寸保持为 " + std::to_string(width) + "x" +
         std::to_string(height) + "\r\n";
}

std::string HigherRightsText() {
  return "以管理员身份运行 Quiltmark 才能移动权限更高的程序的窗口\r\n";
}

std::string NotPlacedSummary(int32_t placed, int32_t found) {
  if (placed == 0) return "匹配的窗口一个也没有排列\r\n";
  return "已排列 " + std::to_string(placed) + " 个窗口，" + std::to_string(found - placed) +
         " 个没有排列\r\n";
}

namespace {

std::string Extent(const ScreenRect& r) {
  char text[96];
  std::snprintf(text, sizeof text, "%d,%d %dx%d", r.left, r.top, r.right - r.left,
                r.bottom - r.top);
  return text;
}

}  // namespace

std::string MonitorLine(int32_t number, const Monitor& monitor) {
  return std::to_string(number) + "\t" + Extent(monitor.area) + "\t工作区 " + Extent(monitor.work) +
         (monitor.primary ? "\t主显示器" : "") + "\r\n";
}

std::string NoSuchMonitorText(int32_t number, size_t count) {
  return "没有第 " + std::to_string(number) + " 个显示器：共有 " + std::to_string(count) +
         " 个显示器\r\n";
}
