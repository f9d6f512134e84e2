#pragma once
// Text helpers shared by every library: trimming and case-insensitive comparison of names
// (class names, node and item names, field names, channel and processor names).
//
// Texts are UTF-8 in memory (project files are converted from windows-1251 on reading), and
// case folding covers exactly the letters windows-1251 has: Latin a-z and the Cyrillic letters
// (а-я, ё ђ ѓ є ѕ і ї ј љ њ ћ ќ ў џ and ґ). Folding keeps the byte length of a text, so folded
// texts compare byte by byte. Every other byte, including other UTF-8 letters, stays as it is.

#include <string>
#include <string_view>

namespace vorelt {

// Leading and trailing blanks, tabs and line breaks removed.
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);

std::string UpperCase(std::string_view s);

// Equal after folding both to upper case; allocates nothing.
bool SameText(std::string_view a, std::string_view b);
// The same after trimming both.
bool SameTextTrimmed(std::string_view a, std::string_view b);
// Whether `text` folded to upper case equals `upper`, which the caller has folded already;
// for comparisons repeated per record.
bool EqualsUpperCase(std::string_view text, std::string_view upper);

} // namespace vorelt
