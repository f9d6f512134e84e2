#pragma once
// Conversion between the program's UTF-8 strings and the windows-1251 code page of project
// files and of the texts inside binary data files.

#include <string>
#include <string_view>

namespace vorelt {

// Every byte converts; 0x98 (unassigned in the code page) maps to U+0098 so it survives a
// round trip.
std::string Cp1251ToUtf8(std::string_view bytes);
// Characters the code page cannot hold become "?"; U+0098 maps back to 0x98.
std::string Utf8ToCp1251(std::string_view text);

} // namespace vorelt
