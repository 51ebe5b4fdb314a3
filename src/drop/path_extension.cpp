#include "drop/path_extension.h"

namespace brivanta {

std::string PathExtension(std::string_view path) {
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return {};
  return std::string(path.substr(dot + 1));
}

}  // namespace brivanta
