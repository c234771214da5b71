// Grid rows for the file exporters.
#include "client/widgets/gridexportsource.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridmodel.h"

TGridExportSource::TGridExportSource(const TDBGrid &grid, bool includeFooter)
    : m_grid(grid)
    , m_footer(includeFooter && grid.FooterRowCount() > 0)
{
    const TDBGridColumns &columns = grid.Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        if (columns[i]->Visible())
            m_columns.push_back(i);
    }
}

int TGridExportSource::columnCount() const
{
    return int(m_columns.size());
}

int TGridExportSource::rowCount() const
{
    TClientDataSet *ds = m_grid.DataSet();
    const int rows = ds ? ds->RowCount() : 0;
    return rows + (m_footer ? 1 : 0);
}

bool TGridExportSource::isFooterRow(int row) const
{
    return m_footer && row == rowCount() - 1;
}

QString TGridExportSource::columnTitle(int column) const
{
    return m_grid.Columns()[m_columns[size_t(column)]]->Title().Levels().join(QLatin1Char('-'));
}

output::ColumnKind TGridExportSource::columnKind(int column) const
{
    const TField *field = m_grid.Columns()[m_columns[size_t(column)]]->Field();
    if (!field)
        return output::ColumnKind::Text;
    if (IsNumericType(field->DataType()))
        return output::ColumnKind::Number;
    switch (field->DataType()) {
    case ftDate:
        return output::ColumnKind::Date;
    case ftDateTime:
    case ftTime:
        return output::ColumnKind::DateTime;
    case ftBoolean:
        return output::ColumnKind::Boolean;
    default:
        return output::ColumnKind::Text;
    }
}

QString TGridExportSource::displayFormat(int column) const
{
    const TColumn *col = m_grid.Columns()[m_columns[size_t(column)]];
    if (!col->DisplayFormat().isEmpty())
        return col->DisplayFormat();
    return col->Field() ? col->Field()->DisplayFormat() : QString();
}

QString TGridExportSource::cellText(int row, int column) const
{
    const int gridColumn = m_columns[size_t(column)];
    if (isFooterRow(row))
        return m_grid.FooterText(gridColumn);
    return m_grid.Model()->CellText(row, m_grid.Columns()[gridColumn]);
}

QVariant TGridExportSource::cellValue(int row, int column) const
{
    const int gridColumn = m_columns[size_t(column)];
    if (isFooterRow(row)) {
        const QVariant value = m_grid.FooterValue(gridColumn);
        return value.isValid() ? value : QVariant();
    }
    return m_grid.Model()->CellValue(row, m_grid.Columns()[gridColumn]);
}
