// The document form TfrmComDj ("单据"): every business document is entered, browsed, saved
// and audited in it. A header record of one dataset sits above a grid of its lines from
// another; both belong to the central data module and are borrowed while the form is open
// (their handlers saved, the form's installed, the old ones put back on close).
//
// What a document type supplies (a small subclass):
//   1. constructor: caption, the form's name (frmPurIn ...), the grid's columns, the header
//      controls in Panel3;
//   2. FormShow, before the inherited one: the configuration strings (strZbMainTable,
//      strMxDetailTables, FObjectName, strLinkFields ...), DBNavigator1's data source (the
//      header) and DBGrid1's (the lines);
//   3. IniRecord: the lines query for the current header's ID, then the inherited one;
//   4. optionally the hooks of its kind: sZbDataChange for header look-ups, ZbOnNewRecord,
//      MxOnNewRecord, TotalField ...
// Overrides call the inherited hook.
//
// Callers set FOpenMode ("A"/"I" start a new document, "V" views only, "M" browses) and
// FSingleBill (navigation off) before showing, after selecting the header records.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/documents/doclog.h"
#include "client/documents/docstate.h"
#include "client/documents/headerlookup.h"
#include "client/documents/refer.h"
#include "client/forms/actions.h"
#include "client/forms/addtabform.h"
#include "client/widgets/gridprinter.h"

#include <QDateTime>
#include <QMap>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class TColumn;
class TDBDateEdit;
class TDBEdit;
class TDBGrid;
class TDBLookupBox;
class TDBNavigator;
class TPanel;
class TfrmComHelp;

namespace output {
class TContainerIterator;
}
namespace print {
class TReport;
class TReportValues;
} // namespace print
struct TDocumentKind;

// A statement the final audit level sends with the status change: with ExpectedRows >= 0 the
// whole audit is refused unless it changes exactly that many rows, and the user is told
// RefusedMessage.
struct TGuardedStatement
{
    QString Sql;
    int ExpectedRows = -1;
    QString RefusedMessage;
};

// The print template record of a document type (Pub_PrintModal), kept for printing.
struct TDocPrintModal
{
    bool Found = false;
    QString ObjectName;
    QString FileName;
    int MasterBegin = 0;
    int DetailRowBegin = 0;
    bool IsParam = false;
};

class TfrmComDj : public TFrmAddTab
{
    Q_OBJECT
public:
    explicit TfrmComDj(QWidget *parent = nullptr);
    ~TfrmComDj() override;

    // --- Configuration (set by the type before the generic show logic) ------------------------
    QString strZbMainTable;
    QString strMxDetailTables;
    QString FObjectName;
    QString strLinkFields;
    QString strZbMustFields;
    QString strMxMustFields;
    QString strZbHelpFields;
    QString strMxHelpFields;
    QString strMxSeqField = QStringLiteral("HH");
    QString strGridName = QStringLiteral("DBGrid1");
    // Saving stores the lines' total as the header's amount; off where the user enters it.
    bool bLinesTotalToHeader = true;

    // --- Opening contract -------------------------------------------------------------------
    QString FOpenMode = QStringLiteral("M");
    bool FSingleBill = false;

    // --- State others read ------------------------------------------------------------------
    bool IsModified() const { return FModified; }
    bool IsSaving() const { return FSaving; }
    double DefaultDiscount() const { return FDefaultDiscount; }
    int VisibleColumns() const { return FVisibleColumns; }
    TClientDataSet *ZbDataSet() const { return m_zb; }
    TClientDataSet *MxDataSet() const { return m_mx; }
    // The banded template the document prints through when it exists: "Reports/" + the
    // window caption + ".rtm" beside the program.
    QString ReportTemplateFile() const;
    // The header's fields, the company name ("CompanyName") and every line's fields, as the
    // template reads them.
    std::unique_ptr<print::TReportValues> ReportData() const;
    // The named texts SetReprotBuildParam set, the ones the template lacks included.
    const QMap<QString, QString> &ReportTexts() const { return m_reportTexts; }
    const QVariantList &OldLineValues() const { return FOldLineValues; }
    const TDocPrintModal &PrintModal() const { return m_printModal; }
    // The document on a worksheet, with the print template record of the caption.
    std::unique_ptr<output::TContainerIterator> WorkbookLayout() const;
    const TGridPrintOptions &GridPrintOptions() const { return m_gridPrintOptions; }
    // Numbers drawn again because another clerk took them first.
    int NumberRetries() const { return m_numberRetries; }

    // --- Components -------------------------------------------------------------------------
    TPanel *ControlBar1;
    TPanel *ToolBar1;
    QToolButton *btnPrior;
    QToolButton *btnNext;
    QToolButton *btnNew;
    QToolButton *btnSave;
    QToolButton *btnCancel;
    QToolButton *btnDel;
    QToolButton *btnAudit;
    QToolButton *btnUnAudit;
    QToolButton *btnFormat;
    QToolButton *btnPrint;
    QToolButton *btnRefer;
    QToolButton *btnPreview;
    TDBNavigator *DBNavigator1;
    TPanel *pTitle;
    QLabel *Label1;
    TDBDateEdit *BillDate;
    TDBEdit *DBEditBillNo;
    TPanel *Panel1;
    TPanel *Panel3;
    QLabel *pStatus;
    TDBGrid *DBGrid1;
    TDBLookupBox *wwDBLKProductCode;
    TPanel *PanelBottom;
    QLineEdit *editBarcode;
    QLineEdit *editNum;
    QMenu *PopupMenu1;
    QAction *pmnInsert;
    QAction *pmnInsert1;
    QAction *pmnDelete;
    QAction *pmnSave;
    QAction *pmnLoad;
    QMenu *PopupOpt;
    QAction *Menu_CopyBill;
    QAction *Menu_ExportExcel;
    QAction *Menu_cds;
    QAction *Menu_1;
    QAction *Menu_Ref;

    TAction *aPrior;
    TAction *aNext;
    TAction *aFirst;
    TAction *aLast;
    TAction *aNew;
    TAction *aModify;
    TAction *aSave;
    TAction *aCancel;
    TAction *aDel;
    TAction *aInsert;
    TAction *aDelete;
    TAction *aAudit;
    TAction *aUnAudit;
    TAction *aRefer;
    TAction *aPrint;
    TAction *aPreview;
    TAction *aExit;
    TAction *aFormat;
    TAction *aCalendar;
    TAction *aCalculator;
    TAction *aHelp;

    // "保存单据吗?": Yes saves, No goes on without saving; false for Cancel (the asking
    // operation stops silently).
    virtual bool SaveQuery();
    // The lines file of pmnSave and pmnLoad: the form's name + ".cds" in the program folder.
    QString LocalLinesFile() const;
    // The columns of the grid Enter walks: the first FVisibleColumns (all when 0).
    int EnterColumnLimit() const;
    // Adds lines taken from source documents, filling the blank lines first: the goods code
    // runs its look-up, then the source's quantity and price and the reference to its line
    // are kept. Nothing while the lines cannot be edited.
    void AddSourceLines(const QList<TSourceLine> &lines);

protected:
    // --- Hooks, in slot order ---------------------------------------------------------------
    void FormCreate() override;
    void FormShow() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    virtual void sZbStateChange(TDataSource &Sender);
    virtual void SetCanSave(bool b);
    virtual void sZbDataChange(TDataSource &Sender, TField *Field);
    virtual void sMxDataChange(TDataSource &Sender, TField *Field);
    virtual void sMxDataChange_Extend(TDataSource &Sender, TField *Field);
    virtual void ZbOnNewRecord(TClientDataSet &DataSet);
    virtual void ZbBeforeEdit(TClientDataSet &DataSet);
    virtual void ZbBeforePost(TClientDataSet &DataSet);
    virtual void ZbAfterPost(TClientDataSet &DataSet);
    virtual void ZbBeforeScroll(TClientDataSet &DataSet);
    virtual void ZbAfterScroll(TClientDataSet &DataSet);
    virtual void MxBeforeApplyUpdates();
    virtual void MxBeforeInsert(TClientDataSet &DataSet);
    virtual void MxOnNewRecord(TClientDataSet &DataSet);
    virtual void MxAfterInsert(TClientDataSet &DataSet);
    virtual void MxBeforeEdit(TClientDataSet &DataSet);
    virtual void MxBeforePost(TClientDataSet &DataSet);
    virtual void MxAfterPost(TClientDataSet &DataSet);
    virtual void MxAfterEdit(TClientDataSet &DataSet);
    virtual void MxBeforeDelete(TClientDataSet &DataSet);
    virtual void MxAfterDelete(TClientDataSet &DataSet);
    virtual void MxBeforeCancel(TClientDataSet &DataSet);
    virtual void MxAfterCancel(TClientDataSet &DataSet);
    virtual void MxCalcFields(TClientDataSet &DataSet);
    virtual void aSaveExecute();
    virtual void aCancelExecute();
    virtual void aPreviewExecute();
    virtual void aPrintExecute();
    virtual void aExitExecute();
    virtual void aNewExecute();
    virtual void aDelExecute();
    virtual void aInsertExecute();
    virtual void aDeleteExecute();
    virtual void aFirstExecute();
    virtual void aPriorExecute();
    virtual void aNextExecute();
    virtual void aLastExecute();
    virtual void aCalendarExecute();
    virtual void aCalculatorExecute();
    virtual void SetReprotBuildParam() {}
    // Sets a named text of the template being printed; false when it has no such text.
    bool SetReportText(const QString &name, const QString &text);
    virtual void BillFieldOntext(TField &Sender, const QString &Text);
    virtual void IniRecord();
    virtual void SetButton();
    virtual void SetAuditButton();
    virtual void SetModify(QWidget *container, bool editable);
    // Kind 'D': a line was deleted (or an inserted one cancelled); 'C': an edit was
    // cancelled. Types that keep header totals recompute them here.
    virtual void TotalField(char kind, const QVariant &value);
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift) override;
    // The grid-print settings: caption above, print date and page numbers below.
    virtual void SetPrintParam();
    virtual void DBGrid1EditButtonClick();

    // Actions the later parts of a document's life fill in.
    virtual void aModifyExecute();
    virtual void aAuditExecute();
    virtual void aUnAuditExecute();
    virtual void aReferExecute() {}
    virtual void aFormatExecute();

    // --- Routines for the types -------------------------------------------------------------
    // The document prefix of strZbMainTable ("CGSHZB" gives "CS").
    QString GetBillPrefix() const;
    // Appends and posts the blank lines of a new document (none for receipts and payments).
    void AddBlankLines();
    // Typing a code into the look-up's field fills the header from the row it finds.
    void AddHeaderLookup(THeaderLookup lookup);
    // True while the form writes header fields itself (look-ups, pickers): those changes run
    // no look-up of their own.
    bool ApplyingHeader() const { return m_applyingHeader > 0; }
    void WriteHeader(const std::function<void()> &write);
    // Paid now (amountField neither empty nor 0, separators ignored): a payment method and an
    // account are required; false after telling the user. Unpaid: both are cleared when
    // clearWhenUnpaid.
    bool CheckSettlement(const QString &amountField, const QString &accountMessage,
                         bool clearWhenUnpaid);
    // Keeps the header's JE following the lines without summing them all: kind 'D' takes the
    // remembered line's amount off, 'E' (after SL, DJ or NSL changed) and 'C' (an edit
    // cancelled) replace it with the current line's. withTax adds NSL percent to the amount.
    void RunningTotal(char kind, bool withTax);
    // Runs a picker that copies its choice into the header fields (those the header has);
    // true when something was chosen.
    bool PickInto(TfrmComHelp &picker, const QStringList &targetFields,
                  const QStringList &sourceFields);
    // The user's goods picker for the current line, preset to the type's goods kinds.
    void OpenGoodsPicker();
    // The header field's integer value, 0 when the header lacks it.
    qint64 ZbInteger(const char *fieldName) const;
    // Deletes the lines whose goods code is empty (from the last to the first).
    void DeleteEmptyLines();
    // Renumbers the lines 1..n and stores the rounded total in the header.
    void MxBeforeApplyUpdates_RefeSequence();
    // Null numbers become 0 and money keeps the decimals its display format shows.
    static void StoreAsDisplayed(TClientDataSet &dataSet);
    // Sets the field of every line that differs (each line edited and posted); the current
    // line stays current.
    void SetEveryLine(const QString &fieldName, const QVariant &value);
    // Posts a line still being edited; an inserted one only when its must fields are filled.
    void PostPendingLine();
    // Raises the audit level by one (asking first unless silent); the final level posts the
    // document into the stock ledger in the same request. False when nothing changed.
    bool AuditBill(bool silent);
    // The first two characters of the document number, which choose the posting.
    QString BillPrefixOfNumber() const;
    // What the final audit writes into the stock ledger for this document.
    virtual QStringList PostingStatements() const;
    // What the final audit level books beside the status and the ledger (sign 1) and what
    // undoing it books back (sign -1). Nothing by default.
    virtual QList<TGuardedStatement> BookkeepingStatements(int sign) const;
    // Issues: the source batches' reference quantities moved by sign times each line's quantity.
    QStringList RefQuantityStatements(int sign) const;
    // Asks whether to save when lines would take the stock of the header's warehouse field
    // below zero; true to go on.
    bool CheckNegativeStock(const QString &warehouseField);
    // Issues: the lines of goods costed first in first out take that cost as their price.
    void CostIssueLines();
    // Draws a number for the header (edited, not posted) and gives the counter's
    // compare-and-set statement that goes with the document.
    QString TakeNewBillNo();
    // Visits every line as the current record, the grid unaware, and comes back to the line
    // it started on.
    void ForEveryLine(const std::function<void()> &visit);
    // Puts the number and its key into the header, left in edit.
    void setBillNo(const QString &billNo);
    // Stores lines and header, with the counter statement when the number was drawn late;
    // when another clerk took that number meanwhile, the next one is taken for good and the
    // store tried again. False after telling the user why.
    virtual bool StoreDocument(QString counterSql);
    // Numbers stored without the counter knowing them are passed over at most this often.
    static constexpr int MaxNumberRounds = 50;

    const TDocumentKind &Kind() const;
    // The server's clock, read once per form.
    QDateTime ServerNow();
    TDocRights &Rights() { return m_rights; }
    TDataSource *ZbSource() const { return m_zbSource; }

    // The user's functions for FObjectName: rights and audit levels.
    virtual void LoadRights();

    bool FModified = false;
    bool FSaving = false;
    QVariantList FOldLineValues;
    bool FLineCancelTotal = false;
    double FDefaultDiscount = 1.0;
    QString FProductWhere;
    int FVisibleColumns = 0;

private:
    void buildActions();
    void buildLayout();
    void buildPopupMenus();
    QToolButton *addToolButton(const char *name, QAction *action, const QString &caption = {});
    void configureColumns();
    void borrowDataSets();
    void returnDataSets();
    void installLineFieldHandlers();
    void openGoodsList();
    void applyTableColumns();
    void loadPrintModal();
    bool layOutWorkbook(output::TContainerIterator &layout);
    void previewWorkbook();
    void styleControls();
    void applyActions();
    TDocPosition position() const;
    void setHeaderEditable(bool editable);
    void enterEditingState();
    void enterBrowseState();
    // Drops the unsaved changes of header and lines and returns to browsing.
    void discardChanges();
    void rememberLine();
    void insertLineBefore();
    void copyBill();
    void saveLocalLines();
    void loadLocalLines(const QString &fileName);
    void chooseLocalLinesFile();
    void exportToExcel();
    void comboPicker(QWidget *control);
    void dbEditExit(QWidget *control);
    void gridKeyPress(QChar &Key);
    void gridColExit();
    void lookupKeyPress(QChar &Key);
    void lookupKeyUp(int Key);
    void hideLookup();
    void takeLookupRow();
    bool sendStatusChange(TDocOperation operation, const QStringList &statements,
                          const QList<TGuardedStatement> &guarded = {});
    TClientDataSet *lookupList() const;
    void goodsCodeChanged();
    void fillLinePrice(TClientDataSet &goods);
    void barcodeEntered();
    void amountToPrice();
    bool enterInGrid(Qt::KeyboardModifiers Shift);
    bool lineHasGoodsCode() const;
    bool mustFieldsFilled() const;
    void runHeaderLookup(const THeaderLookup &lookup);
    double rememberedLineAmount(bool withTax) const;

    QString m_formName;
    const TDocumentKind *m_kind = nullptr;
    TClientDataSet *m_zb = nullptr;
    TClientDataSet *m_mx = nullptr;
    TDataSource *m_zbSource = nullptr;
    TDataSource *m_mxSource = nullptr;
    TDataSetEvents m_savedZbEvents;
    TDataSetEvents m_savedMxEvents;
    TDataChangeEvent m_savedZbDataChange;
    TNotifyEvent m_savedZbStateChange;
    TDataChangeEvent m_savedMxDataChange;
    TNotifyEvent m_savedMxStateChange;
    bool m_borrowed = false;
    std::unique_ptr<TDataSource> m_lookupSource;
    TDocRights m_rights;
    TDocPrintModal m_printModal;
    TGridPrintOptions m_gridPrintOptions;
    print::TReport *m_printReport = nullptr; // while SetReprotBuildParam runs
    QMap<QString, QString> m_reportTexts;
    TDocActions m_actions;
    bool m_canAuditNext = false;
    QStringList m_auditLevels;
    bool m_isAdministrator = false;
    bool m_lineEdited = false;
    bool m_inGoodsCodeChange = false;
    bool m_cancelling = false;
    QString m_lastLookupFilter;
    QStringList m_attributeColumns;
    qint64 m_serverClockOffset = 0;
    bool m_serverClockKnown = false;
    int m_numberRetries = 0;
    std::vector<THeaderLookup> m_headerLookups;
    int m_applyingHeader = 0;
    // Saves left that take their late number for good up front: after losing the race for a
    // number, the next ones would most likely lose again while the other clerks keep saving.
    int m_contendedSaves = 0;
    static constexpr int ContendedSaves = 8;
};
