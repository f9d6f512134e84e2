#pragma once
// The clock texts the drivers put into "HH:MM:SS" fields and time-texts: "HH : MM : SS" with
// every number in at least two digits.

#include <cstdint>
#include <string>

namespace vorelt {

// Two digits with a leading zero below 10, more digits as they come (hours above 99 in full).
void AppendTwoDigits(std::string& out, uint64_t n);
// The same for a signed number; a negative one is "-" and its digits, without a leading zero.
void AppendTwoDigits(std::string& out, int64_t n);

// "HH : MM : SS" of a count of whole seconds.
void AppendHHMMSS(std::string& out, uint64_t seconds);
// "HH : MM : SS" of three numbers as they are: a time before the test start may give negative
// ones.
void AppendHHMMSS(std::string& out, int64_t hours, int64_t minutes, int64_t seconds);

} // namespace vorelt
