#pragma once
// The edit box's input modes: which typed characters a mode takes, and how a mode
// rewrites the text when the box loses the focus. No <windows.h>.
//
// Modes: 0 normal, 1 read-only, 2 password, 3 whole-number text, 4 decimal text,
// 5 byte, 6 short, 7 int, 8 long, 9 float, 10 double, 11 date-time.
#include <cstdint>
#include <string>
#include <string_view>

// A typed character, as the UTF-16 code unit (or ANSI byte) the edit box receives.
// Control characters (below 0x20: Backspace, the clipboard shortcuts) always pass;
// the numeric modes take only their digits, "-" and, for decimals, ".": whatever the
// code unit, so a Chinese or full-width character never passes for one of them.
bool AcceptsTypedChar(int inputMode, uint32_t ch);

// The full-width forms of the printable ASCII characters (U+FF01 to U+FF5E) and the
// ideographic space (U+3000), which a Chinese keyboard layout types, as their ASCII
// characters; any other code unit as it is.
uint32_t FoldFullWidthChar(uint32_t ch);

// True for the modes that hold typed, pasted and composed text to their characters.
bool FiltersInput(int inputMode);

// Text that arrives whole (pasted, or from an input method) as the mode lets it in:
// the characters typing would accept, in order, full-width ones folded first as a
// filtering box folds a typed one. Control characters are not keys
// here and are dropped too; modes that do not filter keep the text as it is.
std::u16string KeepAcceptedChars(int inputMode, std::u16string_view text);

// True for the modes that rewrite their text on leaving the box (5 to 11).
bool NormalisesOnLeave(int inputMode);

// The text as the mode leaves it: the value read from the start of the text,
// clamped to the mode's range and written back as decimal text (date-time text for
// mode 11, empty when no date is found). Modes 5 to 10 show 0 as the empty text.
// Modes that do not normalise return the text unchanged; null reads as "".
std::string NormaliseOnLeave(int inputMode, const char* text);

// The leading decimal integer: white space, one optional sign, digits; no digits
// give 0. Saturates at the 64-bit limits, so that a long pasted number clamps to
// the top of a narrower mode instead of wrapping to an arbitrary value.
int64_t ReadLeadingInteger64(const char* text);

// The leading decimal number: white space, one optional sign, digits with at most
// one point, and an exponent when digits follow the "e". No digits give 0; a value
// too large for a double saturates at the largest finite one.
double ReadLeadingDecimal(const char* text);

// A date "Y-M-D", "Y/M/D", "Y.M.D" or "Y年M月D日" (year 100 to 9999), then
// optionally white space and a time "H:M[:S]" or "H时[M分[S秒]]", as a day count
// from 1899-12-30 whose fraction is the time of day. False when the text does not
// start with a valid date. Like a number, only the valid start counts: a time that
// is broken or out of range is left out, and so is any text after it.
bool ReadLeadingDateTime(const char* text, double& days);
