// UTF-8 and UTF-16, converted by hand: the same rules on the host, in the tests, and
// in the program.
#include "base/utf.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

char32_t DecodeUtf8(std::string_view text, size_t at, size_t* next) {
  const auto lead = static_cast<unsigned char>(text[at]);
  *next = at + 1;
  if (lead < 0x80) return lead;
  size_t length = 0;
  char32_t c = 0, least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, least = 0x10000;
  } else {
    return kReplacement;
  }
  if (text.size() - at < length) return kReplacement;
  for (size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(text[at + k]);
    if (!IsContinuation(b)) return kReplacement;
    c = (c << 6) | (b & 0x3F);
  }
  // A lone surrogate comes back as itself (see Utf8FromUtf16).
  if (c < least || c > 0x10FFFF) return kReplacement;
  *next = at + length;
  return c;
}

std::u16string Utf16FromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    char32_t c = DecodeUtf8(utf8, at, &at);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Utf8FromUtf16(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    }
    AppendUtf8(out, c);
  }
  return out;
}

size_t Utf16Into(std::string_view utf8, char16_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  size_t used = 0;
  for (size_t at = 0; at < utf8.size();) {
    char32_t c = DecodeUtf8(utf8, at, &at);
    // Whole characters only: one that does not fit ends the text. Two halves written
    // apart still make one character in UTF-16, and go together.
    size_t units = c >= 0x10000 ? 2 : 1;
    size_t after = at;
    if (c >= 0xD800 && c <= 0xDBFF && at < utf8.size()) {
      const char32_t next = DecodeUtf8(utf8, at, &after);
      if (next >= 0xDC00 && next <= 0xDFFF) units = 2;
    }
    if (used + units >= capacity) break;
    if (units == 2 && c < 0x10000) {
      out[used++] = static_cast<char16_t>(c);
      out[used++] = static_cast<char16_t>(DecodeUtf8(utf8, at, &at));
      continue;
    }
    if (units == 2) {
      c -= 0x10000;
      out[used++] = static_cast<char16_t>(0xD800 + (c >> 10));
      out[used++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out[used++] = static_cast<char16_t>(c);
    }
  }
  out[used] = u'\0';
  return used;
}

size_t Utf16CutPoint(std::u16string_view text, size_t most) {
  size_t cut = most < text.size() ? most : text.size();
  // A high half last has lost its low half to the cut (or never had one).
  if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
  return cut;
}
