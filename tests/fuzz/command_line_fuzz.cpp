// Command-line arguments: any words must parse without a fault, and a request that
// passes the checks must plan without one (no cell 0 wide, whatever the numbers).
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The words are separated by NUL bytes, as they are once the command line is split.
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  CommandLine cmd = ParseCommandLine(args);
  if (cmd.help || !cmd.error.empty()) return 0;
  for (const WorkArea& area : {WorkArea{1920, 1079, 0, 0}, WorkArea{1, 1, 0, 0}}) {
    if (CheckArrangeRequest(cmd.request, area) != ArrangeRefusal::kNone) continue;
    for (int32_t n : {1, 7}) PlanArrangement(cmd.request, area, n);
  }
  return 0;
}
