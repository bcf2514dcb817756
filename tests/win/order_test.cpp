// --order title: titles in the order the system's file lists give names.
#include "engine/order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/search.h"

namespace {

TEST(Order, TitlesAsTheSystemListsNames) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case kCases[] = {
      {"client 2", "client 10", -1},
      {"client 10", "client 9", 1},
      {"Client 3", "client 3", 0},  // letter case aside
      {"client", "client 1", -1},   // a text before its own continuations
      {"终端 2", "终端 11", -1},
      // Full-width digits are numbers too.
      {"终端 ２", "终端 10", -1},
      {"１０", "９", 1},
      // Accented capitals without regard to case, accents not aside.
      {"Élan 2", "élan 2", 0},
      {"ÀÉÎ", "àéî", 0},
      {"Été 2", "été 10", -1},
      {"e", "é", -1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    int forward = CompareTitles(c.a, c.b), backward = CompareTitles(c.b, c.a);
    EXPECT_EQ((forward > 0) - (forward < 0), c.sign);
    EXPECT_EQ((backward > 0) - (backward < 0), -c.sign);
  }
  // Title first, then class, then the order found.
  const std::vector<NamedWindow> found = {
      {"client 10", "B"}, {"client 2", "B"}, {"client 2", "A"}, {"client 10", "B"}, {"", "Z"}};
  EXPECT_EQ(TitleOrder(found, CompareTitles), (std::vector<size_t>{4, 2, 1, 0, 3}));
  EXPECT_EQ(TitleOrder({{"T", "w 10"}, {"T", "w 9"}}, CompareTitles), (std::vector<size_t>{1, 0}));
}

// Titles that read the same still get one order, whatever order they were found in.
TEST(Order, TitleOrderIsTheSameForEveryStacking) {
  std::vector<NamedWindow> windows = {{"Client 1", "Qm"}, {"client 1", "Qm"}, {"CLIENT 1", "Qm"},
                                      {"Client 2", "Qm"}, {"Client 1", "qm"}, {"Client 1", "QM"}};
  std::vector<std::string> first;
  std::vector<size_t> stacking = {0, 1, 2, 3, 4, 5};
  do {
    std::vector<NamedWindow> found;
    for (size_t i : stacking) found.push_back(windows[i]);
    std::vector<std::string> placed;
    for (size_t i : TitleOrder(found, CompareTitles))
      placed.push_back(found[i].title + "/" + found[i].className);
    if (first.empty()) first = placed;
    ASSERT_EQ(placed, first);
  } while (std::next_permutation(stacking.begin(), stacking.end()));
  EXPECT_EQ(first, (std::vector<std::string>{"CLIENT 1/Qm", "Client 1/QM", "Client 1/Qm",
                                             "Client 1/qm", "client 1/Qm", "Client 2/Qm"}));
}

}  // namespace
