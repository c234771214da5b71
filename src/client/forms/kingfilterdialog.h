// The universal filter's window ("万能过滤") and the component a list drives it through. The
// window edits a list of conditions (field by grid title, operator by field type, value,
// link); the component applies them to the grid's dataset through TKingFilter, whose filter
// text and record evaluation mean the same.
#pragma once

#include "client/forms/kingfilter.h"
#include "client/forms/rootform.h"

#include <QList>

class QComboBox;
class QListWidget;
class QPushButton;
class TDBGrid;

// A field the filter may use: the grid column's title and its field.
struct TKingFilterField
{
    QString Title;
    QString FieldName;
    TFieldType FieldType = ftString;
};

class TfrmKingFilter : public TFrmRoot
{
    Q_OBJECT
public:
    // The fields are the grid's visible columns whose field can be filtered.
    TfrmKingFilter(TDBGrid *grid, TClientDataSet *dataSet, QWidget *parent = nullptr);

    // The conditions being edited; the dialog starts from the ones given.
    void SetConditions(const QList<TKingFilterCondition> &conditions);
    const QList<TKingFilterCondition> &Conditions() const { return m_conditions; }
    const QList<TKingFilterField> &Fields() const { return m_fields; }

    // A line of the condition list: link, field title, operator caption, value.
    QString LineText(int index) const;

    // The definition row's condition (field, operator, value, link); false when no field or
    // operator is chosen.
    bool DefinedCondition(TKingFilterCondition &condition) const;

    QListWidget *lbConditions;
    QComboBox *cbFields;
    QComboBox *cbConditions;
    QComboBox *cbValue;
    QComboBox *cbLink;
    QPushButton *btnAdd;
    QPushButton *btnDelete;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    QPushButton *btnClear;
    QPushButton *btnReplace;

protected:
    void btnAddClick();
    void btnDeleteClick();
    void btnOkClick();
    void btnClearClick();
    void btnReplaceClick();
    void cbFieldsChange();

private:
    void refreshList();
    QString titleOf(const QString &fieldName) const;

    TClientDataSet *m_dataSet;
    QList<TKingFilterField> m_fields;
    QList<TKingFilterCondition> m_conditions;
};

// The filter of one list: its conditions stay between calls, and the dataset stays filtered
// until the component is destroyed or detached.
class TKingFilterDialog
{
public:
    TKingFilterDialog() = default;
    TKingFilterDialog(const TKingFilterDialog &) = delete;
    TKingFilterDialog &operator=(const TKingFilterDialog &) = delete;

    TClientDataSet *DataSet = nullptr;
    TDBGrid *DBGridEH = nullptr;

    // Shows the window; on OK the conditions filter the dataset (all rows for none). True
    // when the window was left with OK.
    bool Execute(QWidget *parent = nullptr);
    // Takes the conditions and filters the dataset with them.
    void ApplyConditions(const QList<TKingFilterCondition> &conditions);
    // Gives the dataset its own record filter back and shows all rows.
    void Detach();

    const TKingFilter &Filter() const { return m_filter; }
    QString Text() const { return m_filter.Text(); }

private:
    TKingFilter m_filter;
};
