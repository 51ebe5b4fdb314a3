#pragma once
#include <string>
#include <string_view>

namespace brivanta {

// The text after the last "." of a path: "C:\a\b.tar.gz" gives "gz", "C:\a.old\report"
// gives "old\report", a path ending in "." gives "", and a path without "." gives "".
std::string PathExtension(std::string_view path);

}  // namespace brivanta
