#pragma once
// A standalone JBIG2 file in sequential organisation from the segments a
// document stores for one image: the file header (one page), the global
// segments first, the page's segments, then an end-of-page segment unless the
// page has one and an end-of-file segment.
#include <string>

// The file, or nothing with the reason in refusal when the page's segments
// cannot be walked (cut short, a segment of unknown length, a file in
// random-access organisation).
std::string Jbig2File(const std::string& globals, const std::string& page, std::string* refusal);
