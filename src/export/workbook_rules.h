#pragma once
// How the export names worksheet cells and picks the file format it saves in.
// Portable: no windows.h.
#include <optional>
#include <string>

namespace brivanta {

// Excel's XlFileFormat values the export passes to SaveAs.
inline constexpr int kXlExcel8 = 56;            // Excel 97-2003 workbook, Excel 2007 on
inline constexpr int kXlWorkbookNormal = -4143;  // the same format before Excel 2007
inline constexpr int kFirstVersionWithXlExcel8 = 12;

// The name of the cell in worksheet column `column` (1-based: the letter with code
// 96 + column, "a" to "z") and worksheet row `row` (1-based, decimal): CellName(2, 1)
// is "b1", CellName(1, 11) is "a11". Empty when the column has no single letter
// (outside 1 … 26) or the row is not positive.
std::string CellName(int column, int row);

// The major version of an Excel "Version" text ("16.0" gives 16); no value when the
// text does not start with a digit.
std::optional<int> MajorVersion(const std::string& versionText);

// True when the last part of `path` ends in ".xls", in any letter case.
bool HasXlsExtension(const std::string& path);

// The FileFormat to pass to SaveAs for `path`: for a ".xls" name (any case) the
// Excel 97-2003 workbook, 56 from Excel 12 (2007) on and -4143 before; when the
// version is unknown, 56 (every Excel that answers automation without a readable
// version is taken as a current one). Any other name: no FileFormat, so that Excel
// picks the format from the name the user typed.
std::optional<int> SaveAsFileFormat(const std::string& path,
                                    const std::optional<std::string>& versionText);

}  // namespace brivanta
