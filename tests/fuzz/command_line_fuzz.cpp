// Command-line arguments: any words must parse without a fault, and a request that
// passes the checks must plan without one (no cell 0 wide, whatever the numbers).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "base/utf.h"
#include "engine/follow_up.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The words are separated by NUL bytes, as they are once the command line is split.
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  // The same bytes as a whole command line, as the system hands it over in UTF-8:
  // split without a fault, into no more bytes than it had.
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  size_t total = 0;
  for (const std::string& word : SplitCommandLine(line)) total += word.size();
  if (total > size) std::abort();
  // Through UTF-16 and back: stable from then on.
  const std::string once = Utf8FromUtf16(Utf16FromUtf8(line));
  if (Utf8FromUtf16(Utf16FromUtf8(once)) != once) std::abort();
  // Bounded, whole characters only, and what is kept is a start of the whole.
  char16_t bounded[64];
  const size_t n = Utf16Into(line, bounded, std::size(bounded));
  const std::u16string whole = Utf16FromUtf8(line);
  if (n >= std::size(bounded) || whole.compare(0, n, bounded, n) != 0) std::abort();
  // A cut never parts a pair.
  if (n > 0 && n < whole.size() && bounded[n - 1] >= 0xD800 && bounded[n - 1] <= 0xDBFF &&
      whole[n] >= 0xDC00 && whole[n] <= 0xDFFF)
    std::abort();
  // The helper's arguments: whatever is read is written out and read back the same.
  std::vector<FollowUp> followUps, again;
  if (DecodeFollowUps(args, &followUps)) {
    std::vector<std::string> written;
    for (const FollowUp& f : followUps) written.push_back(EncodeFollowUp(f));
    if (!DecodeFollowUps(written, &again) || again != followUps) std::abort();
  }
  CommandLine cmd = ParseCommandLine(args);
  if (cmd.help || !cmd.error.empty()) return 0;
  for (const WorkArea& area : {WorkArea{1920, 1079, 0, 0}, WorkArea{1, 1, 0, 0}}) {
    if (CheckArrangeRequest(cmd.request, area) != ArrangeRefusal::kNone) continue;
    for (int32_t n : {1, 7}) PlanArrangement(cmd.request, area, n);
  }
  return 0;
}
