// Text blocks: copies, comparison and one-byte texts.
#include "base/text.h"

#include <cstring>
#include <utility>

#include "base/memory.h"

Text& Text::operator=(Text&& other) noexcept {
  if (this != &other) {
    FreeBlock(block_);
    block_ = other.release();
  }
  return *this;
}

Text::~Text() { FreeBlock(block_); }

Text Text::Copy(std::string_view s) {
  // A text ends at its first NUL, whatever the view says.
  s = s.substr(0, s.find('\0'));
  if (s.empty()) return Text();
  char* block = static_cast<char*>(AllocBlock(s.size() + 1));
  std::memcpy(block, s.data(), s.size());
  block[s.size()] = '\0';
  return Text(block);
}

int CompareText(const char* a, const char* b) {
  auto pa = reinterpret_cast<const unsigned char*>(a ? a : "");
  auto pb = reinterpret_cast<const unsigned char*>(b ? b : "");
  for (;; ++pa, ++pb) {
    if (*pa != *pb) return *pa < *pb ? -1 : 1;
    if (!*pa) return 0;
  }
}

Text CharFromCode(uint8_t code) {
  char one[2] = {static_cast<char>(code), '\0'};
  return Text::Copy(one);
}
