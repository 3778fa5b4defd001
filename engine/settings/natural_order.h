#pragma once
// The order in which people expect numbered names: runs of digits compare
// by their value, so that doc-2 comes before doc-10; other characters
// compare without regard to case, and names equal so far by their bytes.
#include <string>

bool NaturalLess(const std::string& a, const std::string& b);
