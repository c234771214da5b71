// The universal filter's window and its component.
#include "client/forms/kingfilterdialog.h"

#include "client/data/fields.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace {

const QString AndText = QStringLiteral("并且");
const QString OrText = QStringLiteral("或者");

// Distinct values the value box offers for a field: enough to pick from, not the whole table.
constexpr int MaxOfferedValues = 200;

QPushButton *dialogButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

TfrmKingFilter::TfrmKingFilter(TDBGrid *grid, TClientDataSet *dataSet, QWidget *parent)
    : TFrmRoot(parent)
    , m_dataSet(dataSet)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("KingFilter"));
    setWindowTitle(QStringLiteral("万能过滤"));
    if (grid && dataSet) {
        const TDBGridColumns &columns = grid->Columns();
        for (int i = 0; i < columns.Count(); ++i) {
            const TColumn *column = columns[i];
            const TField *field = dataSet->FindField(column->FieldName());
            if (!column->Visible() || !field ||
                KingFilter::OperatorsFor(field->DataType()).isEmpty())
                continue;
            const QString title = column->Title().Caption().isEmpty() ? field->DisplayLabel()
                                                                      : column->Title().Caption();
            m_fields.append({title, field->FieldName(), field->DataType()});
        }
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("筛选条件(&T)"), this));
    lbConditions = new QListWidget(this);
    lbConditions->setObjectName(QStringLiteral("lbConditions"));
    layout->addWidget(lbConditions, 1);

    auto *definition = new QGridLayout;
    definition->addWidget(new QLabel(QStringLiteral("条件项目"), this), 0, 0);
    definition->addWidget(new QLabel(QStringLiteral("条件符号"), this), 0, 1);
    definition->addWidget(new QLabel(QStringLiteral("条件值"), this), 0, 2);
    cbFields = new QComboBox(this);
    cbFields->setObjectName(QStringLiteral("cbFields"));
    for (const TKingFilterField &field : m_fields)
        cbFields->addItem(field.Title, field.FieldName);
    cbConditions = new QComboBox(this);
    cbConditions->setObjectName(QStringLiteral("cbConditions"));
    cbValue = new QComboBox(this);
    cbValue->setObjectName(QStringLiteral("cbValue"));
    cbValue->setEditable(true);
    cbValue->setMinimumWidth(140);
    cbLink = new QComboBox(this);
    cbLink->setObjectName(QStringLiteral("cbLink"));
    cbLink->addItems({AndText, OrText});
    definition->addWidget(cbFields, 1, 0);
    definition->addWidget(cbConditions, 1, 1);
    definition->addWidget(cbValue, 1, 2);
    definition->addWidget(cbLink, 1, 3);
    layout->addLayout(definition);

    auto *buttons = new QHBoxLayout;
    btnAdd = dialogButton(this, "btnAdd", QStringLiteral("添加条件"));
    btnDelete = dialogButton(this, "btnDelete", QStringLiteral("删除条件"));
    btnReplace = dialogButton(this, "btnReplace", QStringLiteral("替换条件"));
    btnClear = dialogButton(this, "btnClear", QStringLiteral("清除条件"));
    btnOk = dialogButton(this, "btnOk", QStringLiteral("确    定"));
    btnCancel = dialogButton(this, "btnCancel", QStringLiteral("取    消"));
    for (QPushButton *button : {btnAdd, btnDelete, btnReplace, btnClear})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(cbFields, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([this] { cbFieldsChange(); }); });
    connect(btnAdd, &QPushButton::clicked, this, [this] { Guarded([this] { btnAddClick(); }); });
    connect(btnDelete, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnDeleteClick(); }); });
    connect(btnReplace, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnReplaceClick(); }); });
    connect(btnClear, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnClearClick(); }); });
    connect(btnOk, &QPushButton::clicked, this, [this] { Guarded([this] { btnOkClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    resize(560, 360);
    cbFieldsChange();
}

void TfrmKingFilter::SetConditions(const QList<TKingFilterCondition> &conditions)
{
    m_conditions = conditions;
    refreshList();
}

QString TfrmKingFilter::titleOf(const QString &fieldName) const
{
    for (const TKingFilterField &field : m_fields) {
        if (field.FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return field.Title;
    }
    return fieldName;
}

QString TfrmKingFilter::LineText(int index) const
{
    const TKingFilterCondition &c = m_conditions[index];
    const QString link = c.Link == QLatin1String("0") ? AndText : OrText;
    return link + QLatin1Char(' ') + titleOf(c.FieldName) + QLatin1Char(' ') +
           KingFilter::OperatorCaptions().value(c.Operator) + QLatin1Char(' ') + c.Value;
}

void TfrmKingFilter::refreshList()
{
    const int current = lbConditions->currentRow();
    lbConditions->clear();
    for (int i = 0; i < m_conditions.size(); ++i)
        lbConditions->addItem(LineText(i));
    if (!m_conditions.isEmpty())
        lbConditions->setCurrentRow(qBound(0, current, int(m_conditions.size()) - 1));
}

void TfrmKingFilter::cbFieldsChange()
{
    cbConditions->clear();
    cbValue->clear();
    const int index = cbFields->currentIndex();
    if (index < 0 || index >= m_fields.size())
        return;
    const TKingFilterField &field = m_fields[index];
    for (int op : KingFilter::OperatorsFor(field.FieldType))
        cbConditions->addItem(KingFilter::OperatorCaptions()[op], op);
    if (field.FieldType == ftBoolean) {
        cbValue->addItems({QStringLiteral("True"), QStringLiteral("False")});
        return;
    }
    // The values the column holds, to pick from.
    if (!m_dataSet || !m_dataSet->Active())
        return;
    const TField *f = m_dataSet->FindField(field.FieldName);
    if (!f)
        return;
    QSet<QString> seen;
    QStringList values;
    for (int row = 0; row < m_dataSet->RowCount() && values.size() < MaxOfferedValues; ++row) {
        const QString text = m_dataSet->RowText(row, f);
        if (!text.isEmpty() && !seen.contains(text)) {
            seen.insert(text);
            values << text;
        }
    }
    values.sort();
    cbValue->addItems(values);
    cbValue->setCurrentIndex(-1);
    cbValue->setEditText(QString());
}

bool TfrmKingFilter::DefinedCondition(TKingFilterCondition &condition) const
{
    const int index = cbFields->currentIndex();
    if (index < 0 || index >= m_fields.size() || cbConditions->currentIndex() < 0)
        return false;
    const TKingFilterField &field = m_fields[index];
    condition.FieldName = field.FieldName;
    condition.FieldType = field.FieldType;
    condition.Operator = cbConditions->currentData().toInt();
    condition.Value = cbValue->currentText();
    condition.Link = cbLink->currentIndex() == 1 ? QStringLiteral("1") : QStringLiteral("0");
    return true;
}

void TfrmKingFilter::btnAddClick()
{
    TKingFilterCondition condition;
    if (!DefinedCondition(condition))
        return;
    m_conditions.append(condition);
    refreshList();
    lbConditions->setCurrentRow(int(m_conditions.size()) - 1);
}

void TfrmKingFilter::btnDeleteClick()
{
    const int row = lbConditions->currentRow();
    if (row < 0 || row >= m_conditions.size())
        return;
    m_conditions.removeAt(row);
    refreshList();
}

void TfrmKingFilter::btnReplaceClick()
{
    const int row = lbConditions->currentRow();
    TKingFilterCondition condition;
    if (row < 0 || row >= m_conditions.size() || !DefinedCondition(condition))
        return;
    m_conditions[row] = condition;
    refreshList();
}

void TfrmKingFilter::btnClearClick()
{
    m_conditions.clear();
    refreshList();
}

void TfrmKingFilter::btnOkClick()
{
    if (m_conditions.isEmpty()) {
        switch (MessageBox(QStringLiteral("是否将定义的条件添加至列表？"), QStringLiteral("提示"),
                           TMsgIcon::Question, TMsgButtons::YesNoCancel)) {
        case mrYes:
            btnAddClick();
            break;
        case mrNo:
            break;
        default:
            return;
        }
    }
    SetModalResult(mrOk);
}

bool TKingFilterDialog::Execute(QWidget *parent)
{
    if (!DataSet)
        return false;
    TfrmKingFilter window(DBGridEH, DataSet, parent);
    window.SetConditions(m_filter.DataSet() == DataSet ? m_filter.Conditions
                                                       : QList<TKingFilterCondition>());
    if (window.ShowModal() != mrOk)
        return false;
    ApplyConditions(window.Conditions());
    return true;
}

void TKingFilterDialog::ApplyConditions(const QList<TKingFilterCondition> &conditions)
{
    if (!DataSet)
        return;
    if (m_filter.DataSet() != DataSet)
        m_filter.Attach(DataSet);
    m_filter.Conditions = conditions;
    m_filter.Apply();
}

void TKingFilterDialog::Detach()
{
    if (TClientDataSet *ds = m_filter.DataSet()) {
        m_filter.Conditions.clear();
        ds->SetFiltered(false);
        m_filter.Detach();
    }
}
