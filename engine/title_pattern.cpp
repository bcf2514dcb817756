// Matching a title against a pattern of * and ?.
#include "engine/title_pattern.h"

#include <vector>

namespace {

// The characters of a UTF-16 text, so that ? takes a whole emoji.
std::vector<char32_t> Characters(std::u16string_view text) {
  std::vector<char32_t> out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      out.push_back(0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else {
      out.push_back(unit);
    }
  }
  return out;
}

}  // namespace

bool TitleLike(std::u16string_view titleText, std::u16string_view patternText) {
  const std::vector<char32_t> title = Characters(titleText), pattern = Characters(patternText);
  // Greedy, going back only to the last star: whatever an earlier star could take
  // instead, the last one can take too, so the time stays within the two lengths' product.
  size_t t = 0, p = 0;
  size_t star = pattern.size(), resume = 0;
  while (t < title.size()) {
    if (p < pattern.size() && pattern[p] == U'*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == title[t])) {
      ++p;
      ++t;
    } else if (star < pattern.size()) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}
