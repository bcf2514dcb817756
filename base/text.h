#pragma once
// Texts: NUL-terminated UTF-8 strings in heap blocks. The empty text has no
// storage: it is null, and every routine treats null exactly like "".
#include <cstddef>
#include <cstdint>
#include <string_view>

// Owns one text block. Move-only; frees the block with FreeBlock.
class Text {
 public:
  Text() = default;
  explicit Text(char* block) : block_(block) {}
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  Text(Text&& other) noexcept : block_(other.release()) {}
  Text& operator=(Text&& other) noexcept;
  ~Text();

  // A new block holding a copy of `s`; null when `s` is empty.
  static Text Copy(std::string_view s);

  const char* get() const { return block_; }  // null for the empty text
  const char* c_str() const { return block_ ? block_ : ""; }
  bool empty() const { return !block_ || !*block_; }
  std::string_view view() const { return c_str(); }
  char* release() {
    char* b = block_;
    block_ = nullptr;
    return b;
  }

 private:
  char* block_ = nullptr;
};

// Byte-wise comparison of unsigned bytes: -1, 0 or 1. Null equals "".
int CompareText(const char* a, const char* b);

// A one-byte text holding the code; the empty text (null) for 0.
Text CharFromCode(uint8_t code);
