#pragma once
// The stand-in Excel (excel_standin.exe): an out-of-process COM server registered as
// "Excel.Application" in the test prefix. It holds its workbooks in memory, logs every
// call (standin_server.h) and, on Worksheet.SaveAs, writes what the sheet holds to the
// named file in this plain form (UTF-8):
//
//   fileformat=56                      or fileformat=missing when none was passed
//   A1<TAB>@<TAB>string<TAB>文件列表    one line per written cell, by row then column:
//                                      address, number format ("General" when none
//                                      was set), value type (string, number, empty)
//                                      and the value's text
//
// A string value put into a cell whose number format is not "@" and that reads as a
// number becomes a number, as in Excel. The "Options" setting holds words:
//
//   version=11.0     the answer to Application.Version (default "16.0")
//   saveas=fail      SaveAs raises an error and writes nothing
//   busy=N           the N calls after Workbooks.Add are rejected as from a busy Excel
//
// While DisplayAlerts is on, a SaveAs over an existing file and a Quit with a workbook
// that was never saved log "prompt shown" (where Excel would wait, unseen, for an
// answer) and the SaveAs fails.
#include <windows.h>

namespace brivanta::testing {

// {8E4B0C61-2F7A-4D39-B1C5-6A3E9D0F2B74}
constexpr CLSID kExcelStandInClsid = {
    0x8e4b0c61, 0x2f7a, 0x4d39, {0xb1, 0xc5, 0x6a, 0x3e, 0x9d, 0x0f, 0x2b, 0x74}};
constexpr wchar_t kExcelStandInExe[] = L"excel_standin.exe";
constexpr wchar_t kExcelProgId[] = L"Excel.Application";

}  // namespace brivanta::testing
