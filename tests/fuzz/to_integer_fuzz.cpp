// Text to integer: folding full-width forms and reading the leading integer must
// never read past the text, and folding never lengthens it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size heap copy, so that any read past the NUL is caught.
  char* text = static_cast<char*>(std::malloc(size + 1));
  std::memcpy(text, data, size);
  text[size] = '\0';
  std::string folded = FoldFullWidth(text);
  if (folded.size() > std::strlen(text)) std::abort();
  int32_t viaValue = ToInteger(Value(text));
  if (viaValue != ReadLeadingInteger(folded.c_str())) std::abort();
  // Folding is idempotent on what it produced only for ASCII; the read must agree
  // with a plain ASCII text as well.
  Text copy = ToText(Value(text));
  if (CompareText(copy.get(), text) != 0) std::abort();
  std::free(text);
  return 0;
}
