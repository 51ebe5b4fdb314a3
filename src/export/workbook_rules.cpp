#include "export/workbook_rules.h"

#include <cctype>

namespace brivanta {

std::string CellName(int column, int row) {
  if (column < 1 || column > 26 || row < 1) return {};
  return std::string(1, static_cast<char>(96 + column)) + std::to_string(row);
}

std::optional<int> MajorVersion(const std::string& versionText) {
  size_t digits = 0;
  while (digits < versionText.size() && digits < 6 &&
         std::isdigit(static_cast<unsigned char>(versionText[digits]))) {
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return std::stoi(versionText.substr(0, digits));
}

bool HasXlsExtension(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return false;
  const std::string extension = path.substr(dot + 1);
  if (extension.size() != 3) return false;
  const char* xls = "xls";
  for (size_t i = 0; i < 3; ++i) {
    if (std::tolower(static_cast<unsigned char>(extension[i])) != xls[i]) return false;
  }
  return true;
}

std::optional<int> SaveAsFileFormat(const std::string& path,
                                    const std::optional<std::string>& versionText) {
  if (!HasXlsExtension(path)) return std::nullopt;
  std::optional<int> major = versionText ? MajorVersion(*versionText) : std::nullopt;
  if (major && *major < kFirstVersionWithXlExcel8) return kXlWorkbookNormal;
  return kXlExcel8;
}

}  // namespace brivanta
