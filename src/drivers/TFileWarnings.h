#pragma once
// What a user should hear about a data file that opened: the parts of it that the drivers read
// past without a word. A file that ends inside a message loses that message; a long run of
// messages the format does not know, or of zero bytes, is rather damage (a disk that filled
// up, a copy cut short and padded) than data; a companion log that could not be used or was
// damaged keeps the user's groups only in part.

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TAEDriverDb;

// Consecutive unknown or empty messages up to this many are taken as they come.
constexpr int32_t MaxQuietUnknownRun = 1000;

// The warnings of an open file, each one line that says what and at which byte offset; empty
// when there is nothing to say. Cheap: a file without such runs costs a look at every
// thousandth message.
std::vector<std::string> FileWarnings(const TAEDriverDb& driver);

} // namespace vorelt
