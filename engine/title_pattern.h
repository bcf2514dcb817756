#pragma once
// Titles matched by a pattern rather than whole: titles that carry a live counter or a
// document's name ("客户端 3 – 57 FPS"). No <windows.h> here.
#include <string_view>

// Whether the whole `title` matches `pattern`, where * stands for any run of characters
// (none included), ? for exactly one, and every other character for itself. Both are
// UTF-16 already folded to one letter case, as the exact search folds them; a surrogate
// pair is one character, a lone surrogate one too.
bool TitleLike(std::u16string_view title, std::u16string_view pattern);
