// Carrying forward: the source-document picker TReferBaseFrm copies the open lines of earlier
// documents (requisitions, orders, receipts, issues, plans) into the document being edited.
// A target line keeps its source in SRCNO (the source's number) and SRCSEQ (its line number);
// what the target documents took of a source line is the sum of their SL for that pair, and
// only the rest is offered.
#pragma once

#include "client/forms/rootform.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QCheckBox;
class QDateEdit;
class QPushButton;
class TButtonEdit;
class TClientDataSet;
class TDataSource;
class TDBGrid;
class TProcAllButtonObj;

// Which partner a source's headers can be filtered by.
enum class TReferPartner { None, Customer, Supplier };

// How the source is chosen: open lines of several documents, or one whole document (a
// return copies the receipt or delivery it returns).
enum class TReferPicker { OpenLines, WholeDocument };

// One kind of source a document type takes lines from.
struct TReferSource
{
    const char *ActionName;  // aRefer, aXzdd (orders), aShd (the document a return returns)
    const char *MenuCaption; // the entry of the document's option menu
    const char *Kind;        // what the picker's caption names ("采购申请单")
    const char *HeaderTable;
    const char *LinesTable;
    const char *HandlerColumn; // "M.JSR", or "M.YWY as JSR" for orders
    TReferPartner Partner = TReferPartner::None;
    bool ByWarehouse = true; // the source header has CKID
    TReferPicker Picker = TReferPicker::OpenLines;
};

// A line taken from a source, as the document adds it.
struct TSourceLine
{
    QString GoodsCode;
    qint64 GoodsId = 0;
    double Quantity = 0;
    double Price = 0;
    QString SourceNo;   // the source's DJBH
    int SourceLine = 0; // its HH

    // The line at row of a source's lines (aBH, HPID, DJ, DJBH, HH), its quantity from the
    // field named.
    static TSourceLine At(const TClientDataSet &lines, int row, const QString &quantityField);
};

// The picker's query texts, apart from the window so that they can be checked on their own.
struct TReferQuery
{
    TReferSource Source;
    QString TargetLinesTable;
    int AuditLevel = 1; // a source is offered once audited at this level
    int DatabaseKind = 1;
    bool HasFrom = false;
    QDate From;
    bool HasTo = false;
    QDate To;
    QString PartnerKeys;   // "(1,3)" or empty
    QString WarehouseKeys; // "(1,3)" or empty

    // The source headers with a line whose quantity is not all taken yet.
    QString HeaderSql() const;
    // The open lines of the headers (ids joined with ",").
    QString LinesSql(const QString &headerIds) const;
};

class TReferBaseFrm : public TFrmRoot
{
    Q_OBJECT
public:
    // target is the document's lines dataset; its table is targetLinesTable.
    TReferBaseFrm(const TReferSource &source, const QString &targetLinesTable,
                  QWidget *parent = nullptr);
    ~TReferBaseFrm() override;

    // Starts with the document's partner as the partner filter (the user may clear it).
    void PresetPartner(qint64 id, const QString &name);
    // Reads the headers again with the filters as they are.
    void OpenHeaders();
    // Reads the lines of the ticked headers, every line ticked.
    void OpenLines();
    // Ticks or unticks the header or line at row.
    void MarkHeader(int row, bool marked);
    void MarkLine(int row, bool marked);

    // The ticked lines with what they still have open.
    QList<TSourceLine> MarkedLines() const;

    TReferQuery Query;
    TClientDataSet &Headers() { return *m_headers; }
    TClientDataSet &Lines() { return *m_lines; }

    QCheckBox *chkDate;
    QDateEdit *dtpFrom;
    QDateEdit *dtpTo;
    TButtonEdit *RzButtonEdit_KH;
    TButtonEdit *RzButtonEdit_GYS;
    TButtonEdit *RzButtonEdit_Stock;
    QPushButton *btnQuery;
    QPushButton *btnLines;
    QPushButton *btnOk;
    QPushButton *btnExit;
    TDBGrid *DBGridHeaders;
    TDBGrid *DBGridLines;

protected:
    void FormShow() override;

private:
    void readFilters();
    static void mark(TClientDataSet &dataSet, int row, bool marked);

    std::unique_ptr<TClientDataSet> m_headers;
    std::unique_ptr<TClientDataSet> m_lines;
    std::unique_ptr<TDataSource> m_headerSource;
    std::unique_ptr<TDataSource> m_lineSource;
    TProcAllButtonObj *m_buttons;
};
