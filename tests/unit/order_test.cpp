// The natural order of titles and the numbering of monitors.
#include "engine/order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(Order, TitlesInNaturalOrder) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case kCases[] = {
      {"client 2", "client 10", -1},
      {"client 10", "client 9", 1},
      {"client 007", "client 7", 0},  // the same number, leading zeros aside
      {"Client 3", "client 3", 0},    // ASCII letters without regard to case
      {"client", "client 1", -1},     // a text before its own continuations
      // A to Z fold, and the characters just outside them stay as they are.
      {"A", "a", 0},
      {"Z", "z", 0},
      {"@", "`", -1},
      {"[", "{", -1},
      {"终端 2", "终端 11", -1},
      {"终端", "终端A", -1},
      // Other characters by code point, whatever their length in UTF-8; no byte of
      // theirs is folded as if it were a letter.
      {"奥", "搬", -1},
      {"Z", "é", -1},
      {"é", "中", -1},
      {"中", "😀", -1},
      {"À", "à", -1},
      {"99999999999999999999", "100000000000000000000", -1},  // beyond any integer type
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    int forward = CompareNaturally(c.a, c.b), backward = CompareNaturally(c.b, c.a);
    EXPECT_EQ((forward > 0) - (forward < 0), c.sign);
    EXPECT_EQ((backward > 0) - (backward < 0), -c.sign);
  }
  // Title first, then class, then the order found.
  const std::vector<NamedWindow> found = {
      {"client 10", "B"}, {"client 2", "B"}, {"client 2", "A"}, {"client 10", "B"}, {"", "Z"}};
  EXPECT_EQ(TitleOrder(found), (std::vector<size_t>{4, 2, 1, 0, 3}));
  EXPECT_EQ(TitleOrder({{"T", "w 10"}, {"T", "w 9"}}), (std::vector<size_t>{1, 0}));
}

// Titles that read the same still get one order, whatever order they were found in.
TEST(Order, TitleOrderIsTheSameForEveryStacking) {
  std::vector<NamedWindow> windows = {{"Client 1", "Qm"}, {"client 1", "Qm"}, {"Client 01", "Qm"},
                                      {"Client 2", "Qm"}, {"Client 1", "qm"}, {"Client 1", "QM"}};
  std::vector<std::string> first;
  std::vector<size_t> stacking = {0, 1, 2, 3, 4, 5};
  do {
    std::vector<NamedWindow> found;
    for (size_t i : stacking) found.push_back(windows[i]);
    std::vector<std::string> placed;
    for (size_t i : TitleOrder(found)) placed.push_back(found[i].title + "/" + found[i].className);
    if (first.empty()) first = placed;
    ASSERT_EQ(placed, first);
  } while (std::next_permutation(stacking.begin(), stacking.end()));
  EXPECT_EQ(first, (std::vector<std::string>{"Client 01/Qm", "Client 1/QM", "Client 1/Qm",
                                             "Client 1/qm", "client 1/Qm", "Client 2/Qm"}));
}

TEST(Order, MonitorsPrimaryFirstThenLeftToRightAndTopToBottom) {
  std::vector<Monitor> monitors = {
      {{1920, 0, 3840, 1080}, {1920, 0, 3840, 1040}, false},
      {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, false},
      {{0, 0, 1920, 1080}, {0, 0, 1920, 1079}, true},
      {{1920, -1080, 3840, 0}, {1920, -1080, 3840, 0}, false},
  };
  OrderMonitors(monitors);
  EXPECT_TRUE(monitors[0].primary);
  EXPECT_EQ(monitors[1].area.left, -1280);
  EXPECT_EQ(monitors[2].area.top, -1080);
  EXPECT_EQ(monitors[3].area.top, 0);
  // The grid goes into the work area, taskbar and docked bars left out.
  EXPECT_EQ(WorkAreaOf(monitors[3]), (WorkArea{1920, 1040, 1920, 0}));
}

}  // namespace

namespace {

// A kept grid: placed windows keep their order with the closed one's place closed up,
// newcomers follow in the order they appeared, whatever order the search gives.
TEST(Order, AKeptGridClosesUpAndAddsAtTheEnd) {
  // 2 closed; 9 and 7 appeared in that order; 5 was found without being seen to appear.
  EXPECT_EQ(KeptOrder({1, 2, 3}, {9, 7}, {7, 5, 3, 9, 1}), (std::vector<int32_t>{1, 3, 9, 7, 5}));
  // A window that appeared and closed again before the arrangement has no place.
  EXPECT_EQ(KeptOrder({4}, {8, 4}, {4}), (std::vector<int32_t>{4}));
  EXPECT_EQ(KeptOrder({}, {}, {3, 1, 2}), (std::vector<int32_t>{3, 1, 2}));
}

}  // namespace
