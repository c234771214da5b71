// The table-driven rows of the record edit forms.
#include "client/masterdata/editrows.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

#include <QGridLayout>
#include <QLabel>

void AddColumns(TDBGrid *grid, std::initializer_list<TColumnSpec> columns)
{
    for (const TColumnSpec &c : columns)
        grid->Columns().Add(QLatin1String(c.field), QString::fromUtf8(c.title), c.width);
}

TEditRows::TEditRows(QWidget *page, TDataSource *source, int columns)
    : m_page(page)
    , m_source(source)
    , m_grid(new QGridLayout(page))
    , m_columns(qMax(1, columns))
{
    for (int c = 0; c < m_columns; ++c)
        m_grid->setColumnStretch(2 * c + 1, 1);
}

void TEditRows::Add(QWidget *control, const char *field, const char *caption)
{
    const int row = m_count / m_columns;
    const int column = m_count % m_columns;
    ++m_count;
    auto *label = new QLabel(QString::fromUtf8(caption), m_page);
    label->setBuddy(control);
    m_grid->addWidget(label, row, 2 * column);
    m_grid->addWidget(control, row, 2 * column + 1);
    // The rows keep their height; the space left goes below the last one.
    m_grid->setRowStretch(row, 0);
    m_grid->setRowStretch(row + 1, 1);
    if (field)
        m_labels.append({QLatin1String(field), QString::fromUtf8(caption)});
}

template<class Control>
Control *TEditRows::bind(Control *control, const char *field, const char *caption)
{
    control->SetDataSource(m_source);
    control->SetDataField(QLatin1String(field));
    Add(control, field, caption);
    return control;
}

TDBEdit *TEditRows::Edit(const char *field, const char *caption)
{
    auto *edit = new TDBEdit(m_page);
    const QString name = QLatin1String(field);
    edit->setObjectName(name == QLatin1String("MC") ? QStringLiteral("RzDBEdit_Name")
                                                    : QStringLiteral("RzDBEdit_") + name);
    return bind(edit, field, caption);
}

TDBLookupComboBox *TEditRows::Lookup(const char *field, const char *caption, TDataSource *list)
{
    auto *combo = new TDBLookupComboBox(m_page);
    combo->setObjectName(QStringLiteral("RzDBLookupComboBox_") + QLatin1String(field));
    combo->SetListSource(list);
    combo->SetKeyField(QStringLiteral("ID"));
    combo->SetListField(QStringLiteral("MC"));
    return bind(combo, field, caption);
}

TDBRadioGroup *TEditRows::Choice(const char *field, const char *caption, const char *trueItem,
                                 const char *falseItem)
{
    auto *group = new TDBRadioGroup(m_page);
    group->setObjectName(QStringLiteral("RzDBRadioGroup_") + QLatin1String(field));
    group->SetItems({QString::fromUtf8(trueItem), QString::fromUtf8(falseItem)});
    group->SetValues({QStringLiteral("True"), QStringLiteral("False")});
    group->SetColumns(2);
    return bind(group, field, caption);
}

TDBCheckBox *TEditRows::Check(const char *field, const char *caption)
{
    auto *box = new TDBCheckBox(m_page);
    box->setObjectName(QStringLiteral("RzDBCheckBox_") + QLatin1String(field));
    return bind(box, field, caption);
}

void TEditRows::ApplyLabels(TClientDataSet &dataSet) const
{
    if (!dataSet.Active())
        return;
    for (const auto &[field, caption] : m_labels) {
        if (TField *f = dataSet.FindField(field))
            f->SetDisplayLabel(caption);
    }
}

void ReadBackFields(TClientDataSet &dataSet, const QString &sql, const QString &fieldNames)
{
    if (!dataSet.Active() || dataSet.IsEmpty() || dataSet.ChangeCount() > 0 ||
        dataSet.State() != dsBrowse)
        return;
    SQLToFields(sql, dataSet, fieldNames, false);
    if (dataSet.State() == dsEdit)
        dataSet.Post();
    dataSet.MergeChangeLog();
}
