// The picker TfrmComHelp: a small modal dialog from which the user chooses one master-data
// record while filling a document or another record. Search boxes filter the result grid by
// the columns their hints name ("%MC" anywhere in the name, "BH" at the start of the code);
// the arrow and page keys move the grid while the search box keeps the focus; Enter takes
// the row, Esc cancels. The choice is copied into the caller's dataset (by the field lists or
// by equal names) and left in ResultID, ResultBH and ResultMC.
//
// What a concrete picker supplies: its caption, the grid's data source and columns, the
// search boxes' hints, OpenData (the query with FilterText), optionally GetFilter (the
// starting condition), CreateEditForm (for add and modify) and ReferenceKind (the reference
// check before a delete). The base itself picks customers.
#pragma once

#include "client/data/clientdataset.h"
#include "client/forms/rootform.h"

#include <QTimer>

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class TDBGrid;
class TDataSource;
class TfrmComEdit;

class TfrmComHelp : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmComHelp(QWidget *parent = nullptr);
    ~TfrmComHelp() override;

    // --- What the caller sets and reads ---------------------------------------------------
    TClientDataSet *TargetDataSet = nullptr; // where the choice is copied; may stay unset
    QString TargetFields;                    // ";"-separated; empty copies equal names
    QString SourceFields;                    // parallel to TargetFields; "" = the same name
    bool Selected = false;
    QString ResultID;
    QString ResultBH;
    QString ResultMC;

    // --- State ----------------------------------------------------------------------------
    TClientDataSet *HelpDataSet = nullptr; // the grid's dataset, the source of the choice
    QString FilterText;                    // the search boxes' WHERE fragment
    bool WasActive = false;

    // The hint of a search box: the column it filters, "%" first for "contains".
    static void SetHint(QWidget *control, const QString &hint);
    static QString HintOf(const QWidget *control);
    // The condition one search box adds: " and " + column + " like '" (+ "%") + text + "%'".
    static QString FilterPart(const QString &hint, const QString &text);

    // --- Components -------------------------------------------------------------------------
    QLabel *Label1;
    QLineEdit *Edit1;
    QLabel *Label2;
    QLineEdit *Edit2;
    QCheckBox *CbItem;
    QPushButton *btnFind;
    TDBGrid *DBGrid1;
    QPushButton *btnNew;
    QPushButton *btnModify;
    QPushButton *btnDel;
    QPushButton *btnSetColumn;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    // The search the keys and buttons run: SetFilter, then OpenDataSet.
    virtual void Search();

protected:
    // Hooks in slot order; overrides call the inherited hook where it does something.
    void OpenDataSet(); // SetParam, then OpenData
    virtual void OpenData();
    virtual void SetParam() {}
    virtual void btnDelClick();
    void FormShow() override;
    // Keys seen before the focused control; setting Key to 0 swallows it.
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift) override;
    virtual void SetFilter();
    virtual QString GetFilter() { return {}; }
    virtual void btnOkClick();
    virtual void dsAfterOpen(TClientDataSet &DataSet);
    virtual void dsAfterScroll(TClientDataSet &DataSet) { Q_UNUSED(DataSet); }
    virtual void btnNewClick();
    virtual void btnModifyClick();
    virtual void LoadEditForm(const QString &Mode);
    virtual void DBGrid1DblClick();
    void FormClose() override;

    // The record edit form for add and modify, parented to the picker; pickers without one
    // hide add, modify and delete.
    virtual bool HasEditForm() const { return false; }
    virtual TfrmComEdit *CreateEditForm() { return nullptr; }
    // The reference-check kind of a delete ("CUST", "PUR", "HP"); empty for none.
    virtual QString ReferenceKind() const { return {}; }
    // Copies the current row into TargetDataSet as the field lists say.
    void CopyToTarget();
    // The search boxes: plain edits and combo boxes directly on the form with a hint.
    QList<QWidget *> SearchBoxes() const;
    // The picker's own dataset, shown in the grid instead of one of the central module.
    void SetHelpDataSource(TDataSource *source);
    // The rows of search boxes and of buttons, for subclasses that add to them.
    QHBoxLayout *SearchRow() const { return m_searchRow; }
    QHBoxLayout *ButtonRow() const { return m_buttonRow; }
    // " and ..." of FilterText made safe to follow a WHERE that has a condition already.
    static QString AndFilter(const QString &filter);

    void showEvent(QShowEvent *event) override;

private:
    void searchTextEdited();
    void enterInSearchBox();
    void updateOk();
    void restoreDataSet();

    QHBoxLayout *m_searchRow;
    QHBoxLayout *m_buttonRow;
    TDataSetEvents m_savedEvents;
    QString m_savedCommandText;
    bool m_bound = false;
    bool m_placed = false;
    QString m_searchedText; // the boxes' texts the grid shows the result of
    QTimer m_typingTimer;
};
