// A data grid as the file exporters read it: the visible columns with their titles, every
// row of the dataset as the grid shows it, and the footer row when the grid has one.
#pragma once

#include "client/widgets/exportsource.h"

#include <vector>

class TColumn;
class TDBGrid;

class TGridExportSource : public output::TExportSource
{
public:
    // The grid must outlive the source; the rows are read when the exporter asks.
    explicit TGridExportSource(const TDBGrid &grid, bool includeFooter = true);

    int columnCount() const override;
    int rowCount() const override;
    // Banded titles are written "band-title".
    QString columnTitle(int column) const override;
    output::ColumnKind columnKind(int column) const override;
    QString displayFormat(int column) const override;
    QString cellText(int row, int column) const override;
    QVariant cellValue(int row, int column) const override;

private:
    bool isFooterRow(int row) const;

    const TDBGrid &m_grid;
    std::vector<int> m_columns; // grid column of each exported column
    bool m_footer;
};
