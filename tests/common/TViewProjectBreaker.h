#pragma once
// The demo project broken in the ways a careless user, another program or an attacker breaks
// an XML file: dropped, repeated and swapped elements, extreme numbers, long and odd texts,
// deep nesting, entities and stray bytes. Shared by the campaign of the command-line tools and
// the sessions that open the same projects in the window.

#include "common/TByteMutator.h"

#include <random>
#include <string>

namespace vorelt::test {

// One break of `text` (a project with views); returns what was done.
std::string BreakViewProject(std::string& text, std::mt19937& rng, TByteMutator& bytes);

} // namespace vorelt::test
