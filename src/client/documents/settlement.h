// TfrmSettlement: the documents that settle credit business with a partner — the sales
// receipt TfrmXssk and the purchase payment TfrmCgfk, which differ only by the record they
// pass. The lines are the partner's open credit documents (never typed); the clerk spreads the
// amount received or paid over them, by hand or automatically, with the partner's balance
// (advances and unsettled remainders) when asked. The final audit books the settled amounts on
// the settled documents and moves the partner's balances, in the audit's one request.
#pragma once

#include "client/documents/tradedocument.h"

class QLabel;
class TDBCheckBox;

// What a settlement type names: its tables, the documents it settles and its texts.
struct TSettlementType
{
    const char *FormName;
    const char *Caption;
    TTradeDocumentType Trade;
    const char *PartnerTable;    // "KH": its balances QMJE (owed) and YXJE (advances, remainders)
    const char *PartnerKey;      // "KHID"
    const char *PartnerCaption;  // "客户", in messages
    const char *PartnerName;     // "aKHMC": the header's name of the partner
    const char *SettledTable;    // "XSKDZB"
    const char *SettledName;     // "销售单", in messages
    const char *SettledTypeName; // "销售出库": how OpenDocumentByType names the settled type
    const char *CreditTypeField; // "XSLX": 2 is a credit document
    const char *PaidField;       // "YSJE": settled so far
    const char *CreditDaysField; // "SKQX": days from the date to when it is due; nullptr: none
    const char *DateColumn;      // "aSKQX" (the due date) / "aDDRQ" (the document's date)
    const char *PaidColumn;      // "aYSJE"
    const char *OpenColumn;      // "aMSJE"
    const char *Verb;            // "收款"
    const char *Advance;         // "预收款"
    const char *Receivable;      // "应收款"
    const char *AccountCaption;  // "收款去向:"
    const char *RemainingLabel;  // "labSKHYE"
    const char *ViewSettled;     // "查看销售单(&H)"
    const char *AllocateCurrent; // "自动收款(当前销售单)"
    const char *SettledColumnTitle;
    const char *DateColumnTitle;
};

class TfrmSettlement : public TTradeDocument
{
    Q_OBJECT
public:
    TDBComboBox *DBComboFKLX = nullptr;
    TDBEdit *DBEditPH = nullptr;
    TDBEdit *DBEditJE = nullptr;
    TDBCheckBox *DBCheckSYJY = nullptr;
    TPanel *pnlTs = nullptr;
    QLabel *labJYJ = nullptr;
    QLabel *labKYZJE = nullptr;
    QLabel *labRemaining = nullptr; // labSKHYE / labFKHYE

    TAction *aCKGJD = nullptr;
    TAction *aZdfk = nullptr;
    TAction *aZdfkB = nullptr;
    TAction *aTs = nullptr;

    // The balance figures as shown, separators removed.
    double Balance() const;
    double AvailableTotal() const;
    double Remaining() const;

    // The open documents the list was last built from (for a partner): how many lines.
    int LineCount() const;

protected:
    TfrmSettlement(const TSettlementType &type, QWidget *parent);

    QString LinesSql(qint64 headerId) const override;
    void FormShow() override;
    void IniRecord() override;
    void ZbOnNewRecord(TClientDataSet &DataSet) override;
    void ZbBeforePost(TClientDataSet &DataSet) override;
    void sZbDataChange(TDataSource &Sender, TField *Field) override;
    void sMxDataChange(TDataSource &Sender, TField *Field) override;
    void MxBeforeInsert(TClientDataSet &DataSet) override;
    void MxAfterPost(TClientDataSet &DataSet) override;
    void aSaveExecute() override;
    void SetButton() override;
    void SetModify(QWidget *container, bool editable) override;
    QList<TGuardedStatement> BookkeepingStatements(int sign) const override;

    // Rebuilds the lines from the partner's open credit documents (none for an advance).
    void LoadOpenBills();
    // The three balance figures from the header and the lines.
    void ShowBalance();
    // Spreads the available total over every line, the oldest document first.
    void AllocateAll();
    // Gives the current line what is open on it, as far as the remaining amount goes.
    void AllocateCurrent();
    void ShowHints();
    void OpenSettled();

private:
    void buildActions();
    void buildHeader();
    void buildHintPanel();
    bool editable() const;
    void syncBalanceBox();
    bool isAdvance() const;
    double linesTotal() const;
    // The share of a stored receipt's own amounts that its documents' paid amounts hold:
    // 1 once it is booked (audited to the final level), else 0.
    int bookedShare(qint64 headerId) const;
    // The grid's date of the settled document aliased alias.
    QString dateSql(const QString &alias) const;
    // Lines from rows of document id, this receipt's amount on it, number, date, amount and
    // paid so far.
    void appendOpenLines(const QString &sql, int share);
    void fillSettledFields();
    QString message(const QString &text) const;

    const TSettlementType &m_type;
    // The form writes the lines itself: lines may be inserted, and the buttons, figures and
    // look-ups wait until it is done.
    bool m_filling = false;
};

// 销售收款单: money received from a customer against its credit deliveries.
class TfrmXssk : public TfrmSettlement
{
    Q_OBJECT
public:
    explicit TfrmXssk(QWidget *parent = nullptr);
    static QString HeaderQuery(const QString &where);
    // The lines as the receipts' list shows them.
    static QString LinesQuery(qint64 headerId);
};

// 采购付款单: money paid to a supplier against its credit receipts.
class TfrmCgfk : public TfrmSettlement
{
    Q_OBJECT
public:
    explicit TfrmCgfk(QWidget *parent = nullptr);
    static QString HeaderQuery(const QString &where);
    static QString LinesQuery(qint64 headerId);
};
