// Telling apart why a window was not placed.
#include "engine/refusal.h"

Landing NotPlacedBecause(const RefusalFacts& facts) {
  if (!facts.exists) return Landing::kGone;
  // The system lets no program move the windows of one with a higher integrity level
  // (an administrator's, say), nor always lets it ask them anything: that comes first.
  // A level that cannot be read proves nothing.
  if (facts.theirs != kUnknownLevel && facts.ours != kUnknownLevel && facts.theirs > facts.ours)
    return Landing::kHigherRights;
  return facts.answered ? Landing::kRefused : Landing::kBusy;
}
