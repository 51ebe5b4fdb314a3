#pragma once
// The few operations of a report list that portable routines (column sort,
// statistics and export runs) need. Rows and columns count from 0; an index that
// names no cell reads as an empty text and ignores writes.
#include <string>

namespace brivanta {

class ReportList {
 public:
  virtual ~ReportList() = default;
  virtual int RowCount() const = 0;
  virtual int ColumnCount() const = 0;
  virtual std::string CellText(int row, int column) const = 0;
  virtual void SetCellText(int row, int column, const std::string& text) = 0;
};

}  // namespace brivanta
