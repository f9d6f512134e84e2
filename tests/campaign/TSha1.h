#pragma once
// SHA-1 of a file's bytes: the campaign's proof that a data file was not touched.

#include <string>

namespace vorelt::test {

// Forty hexadecimal digits; empty when the file cannot be read.
std::string Sha1OfFile(const std::string& fileName);
std::string Sha1(const std::string& bytes);

} // namespace vorelt::test
