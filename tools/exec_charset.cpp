// Rewrites C++ sources so that a compiler that knows only UTF-8 strings (clang, for
// the fuzzers) gives their string and character literals the same bytes as the
// program's own build, which compiles them to another character set with
// -fexec-charset. Every non-ASCII character inside a plain "..." or '...' literal
// becomes the octal escapes of its bytes in that character set; comments,
// identifiers and prefixed literals (u8, u, U, L) are left as they are, as the
// compiler leaves them. A raw string with non-ASCII text is refused: escapes mean
// nothing inside it.
// Usage: exec_charset <charset> <in.cpp> <out.cpp> [<in> <out> ...]
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <string>

namespace {

bool IsWordChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Converts one run of UTF-8 text to the character set, written as octal escapes:
// an octal escape ends after three digits, so a following character cannot extend it.
bool AppendEscaped(iconv_t cd, const std::string& utf8, std::string& out) {
  std::string in = utf8;
  std::string buffer(in.size() * 4 + 8, '\0');
  char* src = in.data();
  size_t srcLeft = in.size();
  char* dst = buffer.data();
  size_t dstLeft = buffer.size();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
  for (const char* p = buffer.data(); p != dst; ++p) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned char>(*p));
    out += escape;
  }
  return true;
}

// Returns false, with a message, when the file cannot be converted.
bool Convert(iconv_t cd, const std::string& name, const std::string& src, std::string& out) {
  size_t i = 0;
  size_t wordStart = std::string::npos;
  auto fail = [&](const char* why) {
    size_t line = 1;
    for (size_t k = 0; k < i && k < src.size(); ++k) line += src[k] == '\n';
    std::fprintf(stderr, "%s:%zu: %s\n", name.c_str(), line, why);
    return false;
  };
  while (i < src.size()) {
    const char c = src[i];
    if (c == '/' && i + 1 < src.size() && (src[i + 1] == '/' || src[i + 1] == '*')) {
      const size_t end = src[i + 1] == '/' ? src.find('\n', i) : src.find("*/", i + 2);
      const size_t stop = end == std::string::npos ? src.size() : end + (src[i + 1] == '*' ? 2 : 0);
      out.append(src, i, stop - i);
      i = stop;
      wordStart = std::string::npos;
      continue;
    }
    if (c != '"' && c != '\'') {
      if (IsWordChar(c)) {
        if (wordStart == std::string::npos) wordStart = i;
      } else {
        wordStart = std::string::npos;
      }
      out += c;
      ++i;
      continue;
    }
    const std::string prefix = wordStart == std::string::npos ? "" : src.substr(wordStart, i - wordStart);
    // A quote inside a number is a digit separator (1'000, 0x12'AB'CD): the number
    // goes on after it.
    if (c == '\'' && !prefix.empty() && prefix[0] >= '0' && prefix[0] <= '9') {
      out += c;
      ++i;
      continue;
    }
    wordStart = std::string::npos;
    if (c == '"' && prefix.find('R') != std::string::npos) {
      const size_t open = src.find('(', i);
      if (open == std::string::npos) return fail("unterminated raw string");
      const std::string close = ")" + src.substr(i + 1, open - i - 1) + "\"";
      const size_t end = src.find(close, open);
      if (end == std::string::npos) return fail("unterminated raw string");
      const size_t stop = end + close.size();
      for (size_t k = i; k < stop; ++k) {
        if (static_cast<unsigned char>(src[k]) >= 0x80) return fail("non-ASCII text in a raw string");
      }
      out.append(src, i, stop - i);
      i = stop;
      continue;
    }
    const bool convert = prefix.empty();
    out += c;
    ++i;
    std::string run;
    while (i < src.size() && src[i] != c) {
      if (src[i] == '\n') return fail("unterminated literal");
      if (static_cast<unsigned char>(src[i]) >= 0x80 && convert) {
        run += src[i++];
        continue;
      }
      if (!run.empty()) {
        if (!AppendEscaped(cd, run, out)) return fail("text with no equivalent in the character set");
        run.clear();
      }
      if (src[i] == '\\' && i + 1 < src.size()) {
        // The program's compiler turns a universal character name into the character
        // set too; this copy cannot, so it refuses one rather than differ silently.
        if (convert && (src[i + 1] == 'u' || src[i + 1] == 'U')) {
          return fail("a \\u or \\U escape in a plain literal");
        }
        out += src[i++];
      }
      out += src[i++];
    }
    if (!run.empty() && !AppendEscaped(cd, run, out)) {
      return fail("text with no equivalent in the character set");
    }
    if (i >= src.size()) return fail("unterminated literal");
    out += src[i++];
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc % 2 != 0) {
    std::fprintf(stderr, "usage: exec_charset <charset> <in> <out> [<in> <out> ...]\n");
    return 2;
  }
  iconv_t cd = iconv_open(argv[1], "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::fprintf(stderr, "exec_charset: no conversion from UTF-8 to %s\n", argv[1]);
    return 2;
  }
  int rc = 0;
  for (int k = 2; k + 1 < argc && rc == 0; k += 2) {
    std::ifstream in(argv[k], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "exec_charset: cannot read %s\n", argv[k]);
      rc = 1;
      break;
    }
    const std::string src((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string out;
    if (!Convert(cd, argv[k], src, out)) {
      rc = 1;
      break;
    }
    std::ofstream file(argv[k + 1], std::ios::binary | std::ios::trunc);
    file << out;
    if (!file.flush()) {
      std::fprintf(stderr, "exec_charset: cannot write %s\n", argv[k + 1]);
      rc = 1;
    }
  }
  iconv_close(cd);
  return rc;
}
