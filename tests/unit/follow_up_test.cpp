#include "engine/follow_up.h"

#include <gtest/gtest.h>

namespace {

// What the arrangement writes, the helper reads back whole: negative coordinates of a
// monitor left of the primary one, the widest thread numbers and flags.
TEST(FollowUp, ArgumentsReadBackAsWritten) {
  const std::vector<FollowUp> sent = {
      {0x1234, 77, {0, 0, 400, 300, 0}, 0, 0, {1920, 1079, 0, 0}},
      {-5, 4294967295u, {-1913, -8, 1, 2, kSwpNoSize}, -1920, -8, {1920, 1040, -1920, 0}},
  };
  std::vector<std::string> args;
  for (const FollowUp& f : sent) args.push_back(EncodeFollowUp(f));
  std::vector<FollowUp> read;
  ASSERT_TRUE(DecodeFollowUps(args, &read));
  EXPECT_EQ(read, sent);
}

// An argument typed by hand, or cut short, is refused whole and leaves nothing.
TEST(FollowUp, AnythingElseIsRefused) {
  const char* kRefused[] = {
      "",
      "1,2,3,4,5,6,7,8,9,10,11,12",              // one short
      "1,2,3,4,5,6,7,8,9,10,11,12,13,14",        // one over
      "1,2,3,4,5,6,7,8,9,10,11,12,",             // empty last
      "1,2,3,4,5,6,7,8,9,10,11,12,x",            // not a number
      "1, 2,3,4,5,6,7,8,9,10,11,12,13",          // a space
      "1,-2,3,4,5,6,7,8,9,10,11,12,13",          // a negative thread
      "1,2,3,4,5,6,7,8,9,10,11,12,2147483648",   // past 32 bits
      "1,2,3,4,5,6,4294967296,8,9,10,11,12,13",  // flags past 32 bits
  };
  for (const char* arg : kRefused) {
    std::vector<FollowUp> read = {FollowUp{}};
    EXPECT_FALSE(DecodeFollowUps({"1,2,3,4,5,6,7,8,9,10,11,12,13", arg}, &read)) << arg;
    EXPECT_EQ(read.size(), 1u) << arg;
  }
}

}  // namespace
