// The dialog that shows a row the server rejected while applying a dataset's changes: the
// kind of change, the server's message and the row's fields with their new, original and
// conflicting values, and lets the user choose what happens to the row. The application
// installs it as the central data module's handler of rejected rows at start-up:
//   Data().SetReconcileErrorHandler(HandleReconcileError);
#pragma once

#include "client/data/clientdataset.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QTableWidget;

class TReconcileErrorForm : public QDialog
{
public:
    TReconcileErrorForm(TClientDataSet &DataSet, TUpdateKind UpdateKind, EReconcileError &E,
                        QWidget *parent = nullptr);

    // The action chosen in " 修复动作 "; "跳过" (skip) at first.
    TReconcileAction Action() const;
    void SetAction(TReconcileAction action);

    QString UpdateTypeText() const; // "修改", "插入" or "删除"
    QString ErrorMessageText() const;
    QTableWidget *UpdateData() const { return m_grid; }
    QCheckBox *ConflictsOnly() const { return m_conflictsOnly; }
    QCheckBox *ChangedOnly() const { return m_changedOnly; }
    // The row of a field in the grid; -1 when it is filtered out or missing.
    int RowOfField(const QString &fieldName) const;
    // Types a corrected value into the field's value cell, as the user would (which chooses
    // "纠正"); false when the field is not shown or the text is no value of the field.
    bool SetFieldValueText(const QString &fieldName, const QString &text);
    // Why the last typed value was refused; empty when it was taken.
    QString StatusText() const;

    // Shows the dialog and returns the action: the chosen one after OK (with "纠正" the
    // corrected values are written into the row first), raAbort after Cancel.
    TReconcileAction Execute();

    // Tests answer the dialog through a hook that Execute() calls instead of the modal loop;
    // it chooses an action, types values and calls accept() or reject().
    using TTestHook = std::function<void(TReconcileErrorForm &Form)>;
    static void SetTestHook(TTestHook hook);

private:
    struct FieldRow
    {
        int index = 0; // into the error's Fields
        const TField *field = nullptr;
        bool changed = false;
        bool conflicting = false;
        bool corrected = false;
        QVariant correction;
    };
    void fillGrid();
    void cellEdited(int row, int column);
    void writeCorrections();

    TClientDataSet &m_dataSet;
    TUpdateKind m_updateKind;
    EReconcileError &m_error;
    QList<FieldRow> m_rows; // one per field of the row, whether shown or not
    QTableWidget *m_grid = nullptr;
    QCheckBox *m_conflictsOnly = nullptr;
    QCheckBox *m_changedOnly = nullptr;
    QButtonGroup *m_actions = nullptr;
    QLabel *m_updateType = nullptr;
    QPlainTextEdit *m_message = nullptr;
    QLabel *m_status = nullptr;
    bool m_filling = false;
};

// Shows the dialog for the rejected row and returns the action the user chose.
TReconcileAction HandleReconcileError(TClientDataSet &DataSet, TUpdateKind UpdateKind,
                                      EReconcileError &E);
