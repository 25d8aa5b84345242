#pragma once
// The one spreadsheet writer: a single worksheet of text cells in the Excel binary record
// format, text in cp1250 with a CODEPAGE record so that every reader shows Czech letters right.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace vandrel::xls {

// Longest cell text one record carries without continuation records.
inline constexpr int kMaxCellBytes = 2080 - 8;
inline constexpr int kMaxRows = 16384;
inline constexpr int kMaxColumns = 256;

// Row r, column c holds rows[r][c]; every cell is written, empty ones with no text.
// Text that cp1250 cannot carry, an over-long cell or too many rows or columns are refused
// with an error that names the cell.
Checked<QByteArray> writeTextSheet(const QList<QStringList> &rows);

struct SheetLosses {
    int cellsNotInCodePage = 0;
    int cellsCut = 0;
};

// The same sheet, every cell written as far as it can be: a character cp1250 cannot carry
// becomes "?" and an over-long cell is cut; `losses` counts the cells so changed. Only too
// many rows or columns are refused.
Checked<QByteArray> writeTextSheetLossy(const QList<QStringList> &rows, SheetLosses *losses);

} // namespace vandrel::xls
