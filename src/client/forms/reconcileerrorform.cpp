// The reconcile dialog.
#include "client/forms/reconcileerrorform.h"

#include "client/data/formats.h"
#include "client/data/valueorder.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString Unchanged = QStringLiteral("<忽略改变>");
const QString Binary = QStringLiteral("(二进制)");

enum Column { colName, colValue, colOriginal, colConflict };

TReconcileErrorForm::TTestHook &testHook()
{
    static TReconcileErrorForm::TTestHook hook;
    return hook;
}

bool isBinary(const TField *field, const QVariant &value)
{
    if (value.typeId() == QMetaType::QByteArray)
        return true;
    return field && (field->DataType() == ftBlob || field->DataType() == ftGraphic);
}

QString valueText(const TField *field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (isBinary(field, value))
        return Binary;
    switch (value.typeId()) {
    case QMetaType::QDate:
        return FormatDateTime(ShortDateFormat, value.toDate());
    case QMetaType::QDateTime:
        return FormatDateTime(u"c", value.toDateTime());
    case QMetaType::Double:
    case QMetaType::Float:
        return FloatToStr(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

// The value the text gives for the field; false when the text is no such value.
bool parseValue(const TField *field, const QString &text, QVariant &value)
{
    if (text.isEmpty()) {
        value = QVariant();
        return true;
    }
    const TFieldType type = field ? field->DataType() : ftWideString;
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
    case ftLargeint: {
        qint64 number = 0;
        if (!TryStrToInt64(text, number))
            return false;
        value = number;
        return true;
    }
    case ftFloat:
    case ftCurrency:
    case ftBCD: {
        double number = 0;
        if (!TryStrToFloat(text, number))
            return false;
        value = number;
        return true;
    }
    case ftBoolean: {
        const QString t = text.trimmed().toUpper();
        if (t == u"TRUE" || t == u"1" || t == u"是")
            value = true;
        else if (t == u"FALSE" || t == u"0" || t == u"否")
            value = false;
        else
            return false;
        return true;
    }
    case ftDate:
    case ftTime:
    case ftDateTime: {
        QDateTime dateTime;
        if (!TryStrToDateTime(text, dateTime))
            return false;
        value = type == ftDate ? QVariant(dateTime.date()) : QVariant(dateTime);
        return true;
    }
    default:
        value = text;
        return true;
    }
}

} // namespace

TReconcileErrorForm::TReconcileErrorForm(TClientDataSet &DataSet, TUpdateKind UpdateKind,
                                         EReconcileError &E, QWidget *parent)
    : QDialog(parent)
    , m_dataSet(DataSet)
    , m_updateKind(UpdateKind)
    , m_error(E)
{
    setWindowTitle(QStringLiteral("更新错误 - %1").arg(DataSet.Name()));
    resize(560, 420);

    auto *layout = new QVBoxLayout(this);
    auto *header = new QGridLayout;
    header->addWidget(new QLabel(QStringLiteral("更新类型:"), this), 0, 0);
    m_updateType = new QLabel(this);
    header->addWidget(m_updateType, 0, 1);
    header->addWidget(new QLabel(QStringLiteral("错误信息:"), this), 1, 0, Qt::AlignTop);
    m_message = new QPlainTextEdit(this);
    m_message->setReadOnly(true);
    m_message->setMaximumHeight(64);
    header->addWidget(m_message, 1, 1);
    header->setColumnStretch(1, 1);
    layout->addLayout(header);

    m_grid = new QTableWidget(0, 4, this);
    m_grid->setHorizontalHeaderLabels({QStringLiteral("字段名称"), QStringLiteral("值"),
                                       QStringLiteral("最初的值"), QStringLiteral("冲突的值")});
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(m_grid, 1);

    m_status = new QLabel(this);
    m_status->setStyleSheet(QStringLiteral("color: #b00000"));
    layout->addWidget(m_status);

    auto *filters = new QHBoxLayout;
    m_conflictsOnly = new QCheckBox(QStringLiteral("仅显示不一致的字段"), this);
    m_changedOnly = new QCheckBox(QStringLiteral("仅显示改变了的字段"), this);
    filters->addWidget(m_conflictsOnly);
    filters->addWidget(m_changedOnly);
    filters->addStretch();
    layout->addLayout(filters);

    auto *group = new QGroupBox(QStringLiteral(" 修复动作 "), this);
    auto *actions = new QGridLayout(group);
    m_actions = new QButtonGroup(this);
    const QString captions[] = {QStringLiteral("跳过"), QStringLiteral("放弃"),
                                QStringLiteral("合并"), QStringLiteral("纠正"),
                                QStringLiteral("取消"), QStringLiteral("刷新")};
    for (int action = raSkip; action <= raRefresh; ++action) {
        auto *button = new QRadioButton(captions[action], group);
        m_actions->addButton(button, action);
        actions->addWidget(button, action / 3, action % 3);
    }
    m_actions->button(raSkip)->setChecked(true);
    layout->addWidget(group);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    switch (UpdateKind) {
    case ukModify:
        m_updateType->setText(QStringLiteral("修改"));
        break;
    case ukInsert:
        m_updateType->setText(QStringLiteral("插入"));
        break;
    case ukDelete:
        m_updateType->setText(QStringLiteral("删除"));
        break;
    }
    m_message->setPlainText(E.Message());

    for (int i = 0; i < E.Fields.size(); ++i) {
        const TReconcileField &f = E.Fields[i];
        FieldRow row;
        row.index = i;
        row.field = DataSet.FindField(f.FieldName);
        row.changed = f.NewValueAssigned;
        row.conflicting =
            f.CurValueAssigned && UpdateKind != ukInsert && !SameValue(f.CurValue, f.OldValue);
        m_rows.append(row);
    }
    fillGrid();
    connect(m_conflictsOnly, &QCheckBox::toggled, this, [this] { fillGrid(); });
    connect(m_changedOnly, &QCheckBox::toggled, this, [this] { fillGrid(); });
    connect(m_grid, &QTableWidget::cellChanged, this,
            [this](int row, int column) { cellEdited(row, column); });
}

void TReconcileErrorForm::fillGrid()
{
    m_filling = true;
    m_grid->setRowCount(0);
    for (const FieldRow &row : std::as_const(m_rows)) {
        if (m_conflictsOnly->isChecked() && !row.conflicting)
            continue;
        if (m_changedOnly->isChecked() && !row.changed && !row.corrected)
            continue;
        const TReconcileField &f = m_error.Fields[row.index];
        const int r = m_grid->rowCount();
        m_grid->insertRow(r);
        auto *name = new QTableWidgetItem(f.FieldName);
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        name->setData(Qt::UserRole, row.index);
        m_grid->setItem(r, colName, name);

        QString value;
        if (row.corrected)
            value = valueText(row.field, row.correction);
        else if (f.NewValueAssigned)
            value = valueText(row.field, f.NewValue);
        else
            value = Unchanged;
        auto *valueItem = new QTableWidgetItem(value);
        const bool editable = m_updateKind != ukDelete && !isBinary(row.field, f.NewValue) &&
                              !isBinary(row.field, f.OldValue);
        valueItem->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                     : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_grid->setItem(r, colValue, valueItem);

        const QString original =
            m_updateKind == ukInsert ? QString() : valueText(row.field, f.OldValue);
        auto *originalItem = new QTableWidgetItem(original);
        originalItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_grid->setItem(r, colOriginal, originalItem);

        auto *conflict =
            new QTableWidgetItem(row.conflicting ? valueText(row.field, f.CurValue) : Unchanged);
        conflict->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_grid->setItem(r, colConflict, conflict);
    }
    m_grid->resizeColumnsToContents();
    m_filling = false;
}

void TReconcileErrorForm::cellEdited(int row, int column)
{
    if (m_filling || column != colValue)
        return;
    QTableWidgetItem *item = m_grid->item(row, colValue);
    const int index = m_grid->item(row, colName)->data(Qt::UserRole).toInt();
    FieldRow *fieldRow = nullptr;
    for (FieldRow &candidate : m_rows) {
        if (candidate.index == index)
            fieldRow = &candidate;
    }
    if (!fieldRow)
        return;
    const QString text = item->text();
    QVariant value;
    if (text == Unchanged && !fieldRow->corrected) {
        m_status->clear();
        return;
    }
    if (!parseValue(fieldRow->field, text, value)) {
        m_status->setText(
            QStringLiteral("“%1”不是字段 %2 的有效值").arg(text, m_error.Fields[index].FieldName));
        m_filling = true;
        const TReconcileField &f = m_error.Fields[index];
        item->setText(fieldRow->corrected  ? valueText(fieldRow->field, fieldRow->correction)
                      : f.NewValueAssigned ? valueText(fieldRow->field, f.NewValue)
                                           : Unchanged);
        m_filling = false;
        return;
    }
    m_status->clear();
    fieldRow->corrected = true;
    fieldRow->correction = value;
    SetAction(raCorrect);
}

TReconcileAction TReconcileErrorForm::Action() const
{
    return TReconcileAction(m_actions->checkedId());
}

void TReconcileErrorForm::SetAction(TReconcileAction action)
{
    m_actions->button(action)->setChecked(true);
}

QString TReconcileErrorForm::UpdateTypeText() const
{
    return m_updateType->text();
}

QString TReconcileErrorForm::ErrorMessageText() const
{
    return m_message->toPlainText();
}

QString TReconcileErrorForm::StatusText() const
{
    return m_status->text();
}

int TReconcileErrorForm::RowOfField(const QString &fieldName) const
{
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        if (m_grid->item(r, colName)->text().compare(fieldName, Qt::CaseInsensitive) == 0)
            return r;
    }
    return -1;
}

bool TReconcileErrorForm::SetFieldValueText(const QString &fieldName, const QString &text)
{
    const int row = RowOfField(fieldName);
    if (row < 0 || !(m_grid->item(row, colValue)->flags() & Qt::ItemIsEditable))
        return false;
    m_grid->item(row, colValue)->setText(text);
    return StatusText().isEmpty();
}

void TReconcileErrorForm::writeCorrections()
{
    for (const FieldRow &row : std::as_const(m_rows)) {
        if (!row.corrected)
            continue;
        TReconcileField &f = m_error.Fields[row.index];
        f.NewValue = row.correction;
        f.NewValueAssigned = true;
    }
}

TReconcileAction TReconcileErrorForm::Execute()
{
    if (testHook())
        testHook()(*this);
    else
        exec();
    if (result() != QDialog::Accepted)
        return raAbort;
    const TReconcileAction action = Action();
    if (action == raCorrect)
        writeCorrections();
    return action;
}

void TReconcileErrorForm::SetTestHook(TTestHook hook)
{
    testHook() = std::move(hook);
}

TReconcileAction HandleReconcileError(TClientDataSet &DataSet, TUpdateKind UpdateKind,
                                      EReconcileError &E)
{
    TReconcileErrorForm form(DataSet, UpdateKind, E, QApplication::activeWindow());
    return form.Execute();
}
