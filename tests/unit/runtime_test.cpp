// The runtime services that need no window: conversions, arithmetic, texts, blocks
// and arrays, the fault report text and the message-box rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/application.h"
#include "base/arith.h"
#include "base/memory.h"
#include "base/msgbox.h"
#include "base/value.h"
#include "tests/unit/fault_host.h"

namespace {

std::string Str(const Text& t) { return t.get() ? std::string(t.get()) : std::string("<null>"); }

// Runs `f` and returns the fault it raised; fails the test when none was raised.
template <typename F>
FaultRaised FaultOf(F f) {
  try {
    f();
  } catch (const FaultRaised& fault) {
    return fault;
  }
  ADD_FAILURE() << "no fault raised";
  return {};
}

// The folder made current for a program's directory, which is kept without its final
// backslash; only a bare drive needs it back to mean the drive's root.
TEST(WorkingFolder, ABareDriveKeepsItsRoot) {
  const struct {
    const char* directory;
    const char* folder;
  } cases[] = {
      {"C:", "C:\\"},
      {"z:", "z:\\"},
      {"C:\\Tools", "C:\\Tools"},
      {"C:\\Tools\\Q", "C:\\Tools\\Q"},
      {"\\\\server\\share", "\\\\server\\share"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(WorkingFolderOf(c.directory), c.folder) << c.directory;
}

TEST(ToInteger, Texts) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"１２３", 123},  // full-width 123
      {"－５", -5},     // full-width minus and five
      {"　＋7", 7},     // ideographic space, full-width plus
      {"12abc", 12},
      {" +7", 7},
      {" -5px", -5},
      {"\t\n\v\f\r 42", 42},
      {"3.9", 3},
      {"abc", 0},
      {"", 0},
      {nullptr, 0},
      {"+-3", 0},
      {"-", 0},
      {"4294967297", 1},  // wraps in 32 bits
      {"2147483648", INT32_MIN},
      {"-2147483648", INT32_MIN},
      {"12\xE4", 12},  // a sequence cut short at the end
      {"中5", 0},      // a Chinese character before the digits
  };
  for (const Case& c : cases)
    EXPECT_EQ(ToInteger(Value(c.text)), c.expected) << (c.text ? c.text : "<null>");
}

TEST(ToInteger, OtherKinds) {
  EXPECT_EQ(ToInteger(Value(uint8_t{200})), 200);
  EXPECT_EQ(ToInteger(Value(int16_t{-3})), -3);
  EXPECT_EQ(ToInteger(Value(int64_t{0x1'0000'0005})), 5);
  EXPECT_EQ(ToInteger(Value(2.9)), 2);
  EXPECT_EQ(ToInteger(Value(-2.9)), -2);
  EXPECT_EQ(ToInteger(Value(2.9f)), 2);
  EXPECT_EQ(ToInteger(Value(4294967298.5)), 2);  // low 32 bits of the 64-bit value
  EXPECT_EQ(ToInteger(Value(1e300)), 0);
  EXPECT_EQ(ToInteger(Value::Bool(-1)), -1);
  EXPECT_EQ(ToInteger(Value::DateTime(45000.5)), 0);
  EXPECT_EQ(ToInteger(Value()), 0);
}

TEST(FoldFullWidth, FullWidthFormsAndEverythingElse) {
  EXPECT_EQ(FoldFullWidth("！１～\u3000"), "!1~ ");
  // Any other character passes through whole, and so do bytes that are no UTF-8.
  EXPECT_EQ(FoldFullWidth("中😀１"), "中😀1");
  EXPECT_EQ(FoldFullWidth("a\xE4\xB8"), "a\xE4\xB8");
  EXPECT_EQ(FoldFullWidth(nullptr), "");
}

TEST(ToText, Kinds) {
  EXPECT_EQ(Str(ToText(Value(-42))), "-42");
  EXPECT_EQ(Str(ToText(Value(0))), "0");
  EXPECT_EQ(Str(ToText(Value(uint8_t{255}))), "255");
  EXPECT_EQ(Str(ToText(Value(int64_t{-9000000000}))), "-9000000000");
  EXPECT_EQ(Str(ToText(Value(0.1f))), "0.1");
  EXPECT_EQ(Str(ToText(Value(1.0f / 3))), "0.333333");
  EXPECT_EQ(Str(ToText(Value(1.0 / 3))), "0.3333333333333");
  EXPECT_EQ(Str(ToText(Value::Bool(2))), "真");
  EXPECT_EQ(Str(ToText(Value::Bool(0))), "假");
  EXPECT_EQ(Str(ToText(Value::Bool(-1))), "真");
  EXPECT_EQ(Str(ToText(Value(""))), "<null>");
  EXPECT_EQ(Str(ToText(Value())), "<null>");
  const uint8_t bytes[] = {'a', 'b', 0, 'c'};
  EXPECT_EQ(Str(ToText(Value::Bytes(bytes, 4))), "ab");
  EXPECT_EQ(Str(ToText(Value::Bytes(bytes, 2))), "ab");  // no zero byte: all of them
}

TEST(ToText, DateTimes) {
  const struct {
    double days;
    const char* text;
  } cases[] = {
      {0, "1899年12月30日"},
      {45000.75, "2023年3月15日18时"},
      {2.5 + 90.0 / 86400, "1900年1月1日12时1分30秒"},
      {1.0 + 600.0 / 86400, "1899年12月31日0时10分"},
      {1.0 + 1.0 / 24, "1899年12月31日1时"},
      // 1900 has no 29 February; the year turns with 1 January, not with March.
      {60, "1900年2月28日"},
      {61, "1900年3月1日"},
      {36891, "2000年12月31日"},
      // A fraction that rounds to the next midnight stays on its own day.
      {0.9999999, "1899年12月30日23时59分59秒"},
      // Before the epoch the fraction still counts forward from midnight.
      {-1.25, "1899年12月29日6时"},
      // Clamped to the years 100 and 9999.
      {-657434, "100年1月1日"},
      {-657435, "100年1月1日"},
      {2958465, "9999年12月31日"},
      {2958466, "9999年12月31日"},
  };
  for (const auto& c : cases) EXPECT_EQ(Str(ToText(Value::DateTime(c.days))), c.text) << c.days;
}

TEST(Arithmetic, TruncationAndSigns) {
  EXPECT_EQ(IntegerDivide(7, 2), 3);
  EXPECT_EQ(IntegerDivide(-7, 2), -3);
  EXPECT_EQ(IntegerDivide(7, -2), -3);
  EXPECT_EQ(IntegerDivide(100, {3, 4}), 8);  // 33, then 8
  EXPECT_EQ(IntegerDivide(5, {}), 5);
  EXPECT_EQ(Remainder(7, 2), 1);
  EXPECT_EQ(Remainder(-7, 2), -1);
  EXPECT_EQ(Remainder(7, -2), 1);
  EXPECT_EQ(Remainder(17, {10, 4}), 3);
}

TEST(Arithmetic, ZeroDivisorsAreFatal) {
  FaultRaised f = FaultOf([] { IntegerDivide(7, 0); });
  EXPECT_EQ(f.message, "不能整除于零");
  EXPECT_EQ(f.code, 0);
  EXPECT_EQ(f.where.first, 0);
  EXPECT_EQ(f.where.second, 0);
  EXPECT_EQ(FaultOf([] { IntegerDivide(7, {2, 0}); }).message, f.message);
  EXPECT_EQ(FaultOf([] { Remainder(7, 0); }).message, "不能求余数于零");
}

TEST(Texts, CompareAndCharFromCode) {
  EXPECT_EQ(CompareText(nullptr, ""), 0);
  EXPECT_EQ(CompareText(nullptr, "a"), -1);
  EXPECT_EQ(CompareText("a", nullptr), 1);
  EXPECT_EQ(CompareText("a", "b"), -1);
  EXPECT_EQ(CompareText("ab", "a"), 1);
  EXPECT_EQ(CompareText("abc", "abc"), 0);
  EXPECT_EQ(CompareText("\xB0", "a"), 1);  // bytes compare unsigned
  EXPECT_EQ(CharFromCode(0).get(), nullptr);
  EXPECT_STREQ(CharFromCode(65).get(), "A");
  EXPECT_STREQ(CharFromCode(0x1B4 & 0xFF).get(), "\xB4");
}

class Blocks : public ::testing::Test {
 protected:
  void SetUp() override { SetConstantArea(kEmptyArray, sizeof kEmptyArray); }
  void TearDown() override { SetConstantArea(nullptr, 0); }
};

TEST_F(Blocks, ConstantEmptyArrayIsCopiedBeforeWriting) {
  EXPECT_EQ(ArrayElementCount(kEmptyArray), 0);
  FreeBlock(kEmptyArray);  // does nothing
  FreeBlock(nullptr);
  auto* grown = static_cast<int32_t*>(ReallocBlock(const_cast<int32_t*>(kEmptyArray), 12));
  ASSERT_NE(grown, kEmptyArray);
  EXPECT_EQ(grown[0], 1);
  EXPECT_EQ(grown[1], 0);
  EXPECT_EQ(kEmptyArray[0], 1);
  EXPECT_EQ(kEmptyArray[1], 0);
  FreeBlock(grown);

  int32_t* list = const_cast<int32_t*>(kEmptyArray);
  MakeArrayPrivate(4, list);
  ASSERT_FALSE(IsConstantBlock(list));
  EXPECT_EQ(list[0], 1);
  EXPECT_EQ(list[1], 0);
  int32_t* before = list;
  MakeArrayPrivate(4, list);  // already private: unchanged
  EXPECT_EQ(list, before);
  FreeBlock(list);
}

TEST_F(Blocks, ElementCountsAndIndexChecks) {
  const int32_t threeD[] = {2, 3, 4};
  const int32_t none[] = {0};
  EXPECT_EQ(ArrayElementCount(threeD), 12);
  EXPECT_EQ(ArrayElementCount(none), 0);
  EXPECT_EQ(ArrayElementCount(nullptr), 0);

  const int32_t list[] = {1, 3, 10, 20, 30};
  EXPECT_EQ(ReadArrayElement(list, 1, 5, 6), 10);
  EXPECT_EQ(ReadArrayElement(list, 3, 5, 6), 30);
  FaultRaised above = FaultOf([&] { ReadArrayElement(list, 4, 67174679, 2048); });
  EXPECT_EQ(above.code, 1);
  EXPECT_EQ(above.where.first, 67174679);
  EXPECT_EQ(above.where.second, 2048);
  FaultRaised below = FaultOf([&] { ReadArrayElement(list, 0, 67174688, 2485); });
  EXPECT_EQ(below.code, 4);
  EXPECT_EQ(below.where.second, 2485);
  EXPECT_EQ(FaultOf([&] { ReadArrayElement(list, INT32_MIN, 1, 2); }).code, 4);
  EXPECT_EQ(FaultOf([&] { ReadArrayElement(kEmptyArray, 1, 1, 2); }).code, 1);
}

TEST_F(Blocks, ExhaustedHeapReportsTheRequestedSize) {
  FailNextHeapRequests(1);
  FaultRaised f = FaultOf([] { AllocBlock(1234); });
  // 分配 1234 字节内存失败!
  EXPECT_EQ(f.message, "分配 1234 字节内存失败!");
  EXPECT_EQ(f.code, 0);
  void* block = AllocBlock(8);
  FailNextHeapRequests(1);
  EXPECT_NE(FaultOf([&] { ReallocBlock(block, 99); }).message.find(" 99 "), std::string::npos);
  FreeBlock(block);
  FailNextHeapRequests(1);
  EXPECT_NE(FaultOf([] { ToText(Value(5)); }).message.find(" 2 "), std::string::npos);
}

TEST(FaultReport, TextByteForByte) {
  EXPECT_STREQ(FaultCodeMessage(4), "数组成员引用下标必须大于等于1");
  EXPECT_STREQ(FaultCodeMessage(6), "调用DLL命令后发现堆栈错误");
  for (int code : {0, 2, 5, 7}) EXPECT_EQ(FaultCodeMessage(code), nullptr) << code;
  const char* head = "运行时出错!\r\n";
  EXPECT_EQ(BuildFaultReport(FaultCodeMessage(1), 1, {67174679, 2048}, {}),
            std::string(head) +
                "\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"
                "\r\n67174679, 2048\r\n");
  EXPECT_EQ(BuildFaultReport("不能整除于零", 0, {}, {}),
            std::string(head) + "\r\n错误信息：不能整除于零\r\n\r\n0, 0\r\n");
  EXPECT_EQ(BuildFaultReport(nullptr, 0, {}, {}), std::string(head) + "\r\n0, 0\r\n");
  EXPECT_EQ(BuildFaultReport("", 6, {-1, 7}, {}),
            std::string(head) + "\r\n错误代码：6\r\n\r\n-1, 7\r\n");
}

// The heap-free report of the allocation fault is the report any other path gives,
// up to the largest size, and never runs past its buffer.
TEST(FaultReport, AllocationReportWithoutTheHeap) {
  for (uint64_t size : {uint64_t{0}, uint64_t{1000}, uint64_t{0x7FFFFFF0}, ~uint64_t{0}}) {
    char text[128];
    FormatAllocationFaultReport(text, sizeof text, size);
    EXPECT_EQ(text, BuildFaultReport(AllocationFaultMessage(size).c_str(), 0, {}, {})) << size;
  }
  char shortBuffer[16];
  FormatAllocationFaultReport(shortBuffer, sizeof shortBuffer, 1000);
  EXPECT_EQ(std::strlen(shortBuffer), sizeof shortBuffer - 1);
}

TEST(FaultReport, WindowAndControlLines) {
  const int32_t window = 0x52010001, control = 0x16010003;
  const std::string prefix = "运行时出错!\r\n\r\n错误信息：x\r\n\r\n";
  const std::string numbers = std::to_string(window) + ", " + std::to_string(control);
  EXPECT_EQ(BuildFaultReport("x", 0, {window, control}, {}),
            prefix + numbers + "\r\n未找到所指定的窗口\r\n");
  FaultTags windowOnly{true, "", false, ""};
  EXPECT_EQ(BuildFaultReport("x", 0, {window, control}, windowOnly),
            prefix + numbers + "\r\n\"\"\r\n未找到所指定的窗口组件\r\n");
  FaultTags both{true, "w", true, "c"};
  EXPECT_EQ(BuildFaultReport("x", 0, {window, control}, both),
            prefix + numbers + "\r\n\"w\"\r\n\"c\"\r\n");
  // Only bits 24 to 27 decide: a routine identifier gets no tag lines.
  EXPECT_FALSE(IsWindowIdentifier(67174679));
  EXPECT_TRUE(IsWindowIdentifier(0x72000000));
  EXPECT_FALSE(IsWindowIdentifier(0x0A000000));
  EXPECT_FALSE(IsWindowIdentifier(0x03000000));
}

TEST(MessageBoxRules, StyleResultAndText) {
  EXPECT_EQ(MessageBoxStyle(0x10), 0x2010u);
  EXPECT_EQ(MessageBoxStyle(0x1010), 0x1010u);
  EXPECT_EQ(MessageBoxStyle(0), 0x2000u);
  EXPECT_EQ(MessageBoxStyle(0x2010), 0x2010u);  // task-modal already
  const int numbers[] = {0, 0, 1, 2, 3, 4, 5, 6, 0, 0};
  for (int id = 0; id <= 9; ++id) EXPECT_EQ(MessageBoxResultNumber(id), numbers[id]) << id;
  EXPECT_EQ(Str(MessageBoxText(Value(12))), "12");
  EXPECT_EQ(Str(MessageBoxText(Value::Bool(1))), "真");
  EXPECT_EQ(Str(MessageBoxText(Value(static_cast<const char*>(nullptr)))), "<null>");
  EXPECT_EQ(Str(MessageBoxText(Value())), "<null>");
  const uint8_t bytes[] = {'a', 'b'};
  EXPECT_EQ(Str(MessageBoxText(Value::Bytes(bytes, 2))), "<null>");
}

}  // namespace
