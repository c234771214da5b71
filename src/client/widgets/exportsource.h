// What the file exporters read: a table of titled columns and rows, as a grid shows it.
#pragma once

#include <QString>
#include <QVariant>

namespace output {

enum class ColumnKind { Text, Number, Date, DateTime, Boolean };

// A read-only view of the rows to export. The grid adapter answers from its dataset and
// columns; tests answer from plain vectors.
class TExportSource
{
public:
    virtual ~TExportSource() = default;

    virtual int columnCount() const = 0;
    virtual int rowCount() const = 0;
    virtual QString columnTitle(int column) const = 0;
    virtual ColumnKind columnKind(int column) const = 0;
    // Delphi-style display mask of a numeric or date column ("#,0.00", "yyyy-mm-dd"), or empty.
    virtual QString displayFormat(int column) const
    {
        Q_UNUSED(column);
        return {};
    }
    // The text the user sees in the cell.
    virtual QString cellText(int row, int column) const = 0;
    // The typed value behind the cell (a number, a date, a text); null when empty.
    virtual QVariant cellValue(int row, int column) const = 0;
};

} // namespace output
