// The generic list form TfrmComJbzl: a tool bar of actions, a search row, a read-only grid
// with footers on one dataset of the central data module, a status strip for document lists,
// an optional category tree, the export and print menus, and the picker (select) mode. Every
// master-data list and document list derives from it.
//
// What a concrete list supplies:
//   1. constructor: caption, the form's name, the grid's columns; TableName for a master-data
//      list (the SQL-script export needs it), optionally TotalFields;
//   2. FormShow, before the inherited one: bind DBGrid1 to the data source of its dataset
//      (Data().sCk() ...); optionally SqlText;
//   3. OpenDataSet: set the dataset's command text from a fixed text, SearchCondition(), the
//      tree's and the status strip's conditions (StatusFilter), then call the inherited one;
//   4. LoadEditForm: create its edit form with this list as parent, store it in EditForm,
//      then call the inherited one (which runs it modally and frees it);
//   5. optionally aDelExecute (CheckReferenced first), SetTreeParam and TreeNodeSelected
//      for the tree panel, GetSearchModalValue for the picker's results.
// Overrides call the inherited hook.
#pragma once

#include "client/data/clientdataset.h"
#include "client/forms/actions.h"
#include "client/forms/addtabform.h"

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabBar;
class QToolButton;
class TDataSource;
struct TFileDialogAnswer;
class TDBGrid;
class TDBTreeView;
class TKingFilterDialog;
class TPanel;
class TfrmComEdit;
struct TGridPrintOptions;

class TfrmComJbzl : public TFrmAddTab
{
    Q_OBJECT
public:
    explicit TfrmComJbzl(QWidget *parent = nullptr);
    ~TfrmComJbzl() override;

    // Stores the document-type code and opens the list for it.
    void SetBillType(const QString &billType) override;
    // Opens the list as a picker: "选中退出" shows and the close button reads "取消退出".
    void SetSelectMode(bool selectMode);

    // --- State ----------------------------------------------------------------------------
    QString ResultID;   // picker: the ID of the chosen row (GetSearchModalValue fills it)
    QString ResultName; // picker: the name (MC) of the chosen row
    QString SqlText;    // a command text FormShow gives the dataset before the first opening
    bool SelectMode = false;
    bool Selected = false; // the picker was left with "选中退出"
    TDataSetEvents SavedEvents;
    TClientDataSet *ListDataSet = nullptr; // the dataset behind the grid (not owned)
    TfrmComEdit *EditForm = nullptr;       // the record edit form while LoadEditForm runs it
    QString OpenedCommandText;
    // ";"-separated fields the totals dialog sums; empty sums every numeric column, "EMPTY"
    // none.
    QString TotalFields;
    QString TableName;    // the physical table of a master-data list ("HP", "CK" ...)
    QString StatusFilter; // "", " and uFlag <>" + AuditNum or " and uFlag=" + AuditNum
    QString Hint;         // when set, the caption the form takes once shown

    // --- Components, named as subclasses and the rights system know them ---------------------
    TPanel *ControlBar1;
    TPanel *ToolBar1;
    QToolButton *btnModify;
    QToolButton *btnNew;
    QToolButton *btnDel;
    QToolButton *btnSearch;
    QToolButton *btnAll;
    QToolButton *btnPrint;
    QToolButton *btnTotal;
    QToolButton *btnOther; // drop-down PopOther, empty in the base and hidden while empty
    QToolButton *btnExcel; // drop-down PopOut
    QToolButton *btnSelectExit;
    QToolButton *btnExit;
    QMenu *PopOther;
    QMenu *PopOut;
    QAction *pmnExcel;
    QAction *pmnExcel2010;
    QAction *pmnText;

    TPanel *Panel1;
    QLabel *lbl_Search;
    QLineEdit *RzBtnNo;
    QPushButton *btnFind;
    TDBGrid *DBGrid1;
    QTabBar *TabStatus;
    TPanel *PanelLeft;
    TDBTreeView *stDBTree1;
    TClientDataSet *cdsTree; // provider pItemType; owned by the form
    TDataSource *sTree;
    QMenu *PopupMenu1;

    TAction *aPreview;
    TAction *aPrint;
    TAction *aPrinterSetup;
    TAction *aExit;
    TAction *aNew;
    TAction *aModify;
    TAction *aDel;
    TAction *aTotal;
    TAction *aRefresh;
    TAction *aSearch;
    TAction *aAll;
    TAction *aSetColumn;
    TAction *aSetSort;

    // --- Texts the actions produce ---------------------------------------------------------
    // The search box's text as a prefix on code and name and an upper-cased prefix on the
    // mnemonic, each quoted: " and (K.BH like 'x%' or K.MC like 'x%' or K.ZJM like 'X%')".
    // Empty while the box is empty.
    QString SearchCondition(const QString &codeField, const QString &nameField,
                            const QString &mnemonicField) const;
    // The totals message: "总记录数 : " and the record count, then for every summed column
    // "\r\n\r\n" + title + " : " + its sum in the field's display format.
    QString TotalsText();
    // The page set-up of the print preview: the caption as page header (Song 12 bold), the
    // page footer "第&[Page]页，共&[Pages]页" (Song 10), the Song face for the cells.
    TGridPrintOptions PrintOptions() const;
    // The universal filter of the list, made on first use; it lives as long as the form.
    TKingFilterDialog &KingFilter();
    // The grid printing and the exports work on: DBGrid1 unless a list shows another one.
    virtual TDBGrid *ActionGrid() const { return DBGrid1; }

protected:
    // Hooks, in the order of the form's life. Empty in the base: SetTreeParam, dsOnNewRecord,
    // dsAfterScroll, sDataChange, GetSearchModalValue, TreeNodeSelected.
    virtual void SetTreeParam() {}
    void FormClose() override;
    // Enables the actions: a Tag other than 0 keeps an action disabled; modify and delete need
    // a row.
    virtual void SetButton();
    // Runs EditForm modally in the mode ("A" append, "I" insert, "M" modify), frees it and
    // refreshes the buttons. Subclasses create EditForm first.
    virtual void LoadEditForm(const QString &Mode);
    void FormCreate() override;
    virtual void dsOnNewRecord(TClientDataSet &DataSet) { Q_UNUSED(DataSet); }
    virtual void dsAfterScroll(TClientDataSet &DataSet) { Q_UNUSED(DataSet); }
    virtual void sDataChange(TDataSource &Sender, TField *Field)
    {
        Q_UNUSED(Sender);
        Q_UNUSED(Field);
    }
    // Closes and opens ListDataSet with its command text, then SetButton.
    virtual void OpenDataSet();
    void FormShow() override;
    virtual void aPreviewExecute();
    virtual void aPrintExecute();
    virtual void aPrinterSetupExecute() {}
    virtual void aExitExecute();
    virtual void aNewExecute();
    virtual void aModifyExecute();
    virtual void aDelExecute();
    virtual void aTotalExecute();
    virtual void aRefreshExecute();
    virtual void aSearchExecute();
    virtual void aAllExecute();
    virtual void FormActivate() {}
    virtual void aSetColumnExecute() {}
    virtual void aSetSortExecute() {}
    virtual void FormResize() {}
    // Keys seen before the focused control: Ctrl+F finds; in the grid Left and Right scroll a
    // column and Delete deletes. Setting Key to 0 swallows it.
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift) override;
    virtual void GetSearchModalValue() {}
    // A click on a tree node: ShowAll for the single top node, otherwise the node's key is
    // stDBTree1's SelectedKey().
    virtual void TreeNodeSelected(bool ShowAll) { Q_UNUSED(ShowAll); }

    // The export menu's entries.
    virtual void pmnExcelClick();
    virtual void pmnExcel2010Click();
    virtual void pmnTextClick();
    // "选中退出".
    virtual void btnSelectExitClick();

    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildActions();
    void buildLayout();
    void statusTabChanged(int index);
    void treeClicked();
    void gridDblClick();
    bool listIsEmpty() const;
    // The export menu's common path: refuses an empty list, asks for the file, runs write
    // under the hourglass (it names the file it wrote) and tells the user the outcome.
    using TListWriter =
        std::function<bool(const TFileDialogAnswer &answer, QString &written, QString &error)>;
    bool exportList(const QString &title, const QStringList &filters, const TListWriter &write);
    void restoreDataSet();

    std::unique_ptr<TClientDataSet> m_cdsTree;
    std::unique_ptr<TDataSource> m_sTree;
    std::unique_ptr<TKingFilterDialog> m_kingFilter;
    QString m_lastFindText;
    int m_lastFindColumn = 0;
    bool m_dataSetBound = false;
};
