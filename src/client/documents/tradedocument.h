// What the purchase and sales documents share beyond the typed document form: the partner
// (supplier or customer) typed by code or picked, the salesman list, the invoice type that rates
// new lines, the settlement fields, the return type of returns and the header look-ups, laid out
// row after row.
#pragma once

#include "client/documents/typeddj.h"

#include <memory>

class TDBButtonEdit;
class TInvoiceTypes;

enum class TPartner { None, Supplier, Customer };

// How a type sold or bought on credit books what the partner owes: at the final audit a
// credit document raises the partner's QMJE by its amount, un-auditing takes it back, refused
// once a settlement has paid some of it.
struct TCreditBooking
{
    const char *CreditField;  // "XSLX": 2 is on credit
    const char *PaidField;    // "YSJE": what settlements paid of it
    const char *PartnerTable; // "KH"
    const char *PartnerKey;   // "KHID"
    const char *SettledBy;    // "收款单", in the refusal
};

// A purchase or sales type: its tables and strings, partner and queries.
struct TTradeDocumentType
{
    TDocumentTables Tables;
    const char *ZbHelpFields;
    TPartner Partner;
    // The header query of the type; where starts with " where".
    QString (*HeaderSql)(const QString &where);
    // The lines of one document with the goods' code, name, unit and size.
    QString (*LinesSql)(qint64 headerId);
    // Deliveries and purchase receipts; nullptr for the others.
    const TCreditBooking *Credit = nullptr;
};

class TTradeDocument : public TfrmTypedDj
{
    Q_OBJECT
public:
    ~TTradeDocument() override;

    TDBButtonEdit *PartnerCode = nullptr;
    TDBEdit *PartnerName = nullptr;
    TDBComboBox *DBComboYWY = nullptr;
    TDBLookupComboBox *DBLookupCK = nullptr;
    // The money paid or received now with its payment method and account, where placed.
    TDBEdit *DBEditPaid = nullptr;
    TDBLookupComboBox *DBLookupSFKFS = nullptr;
    TDBLookupComboBox *DBLookupZH = nullptr;
    // Sales documents: the customer's particulars (TfrmKhXx), from the option menu.
    TAction *aKhXx = nullptr;

protected:
    TTradeDocument(const char *formName, const QString &caption, const TTradeDocumentType &type,
                   QWidget *parent);

    QString HeaderSql(const QString &where) const override;
    QString LinesSql(qint64 headerId) const override;
    // The help fields and the salesmen, then the typed form's show.
    void FormShow() override;
    void ZbOnNewRecord(TClientDataSet &DataSet) override;
    void ZbBeforePost(TClientDataSet &DataSet) override;
    void MxOnNewRecord(TClientDataSet &DataSet) override;
    QList<TGuardedStatement> BookkeepingStatements(int sign) const override;

    // The goods code, name, size, unit, quantity and price columns every type starts with.
    void AddTradeColumns(std::initializer_list<TColumnSpec> trailing);

    // --- Header layout, row after row -----------------------------------------------------------
    // Starts the next row of header controls.
    void NewHeaderRow() { ++m_row; }
    // A caption and its control at the end of the current row; the control spans cells.
    void PlaceHeader(const QString &caption, QWidget *control, int span = 1);
    // The warehouse CKID, chosen by name.
    void PlaceWarehouse();
    // The partner's code (its picker on the button and double click) and its name.
    void PlacePartner();
    // The salesman combo on YWY, filled on showing from SalesmanSql.
    void PlaceSalesman(const QString &caption = QStringLiteral("业务员"));
    // The invoice-type combo DBComboBox2 on FPLX; new lines take the type's tax rate.
    TDBLookupComboBox *PlaceInvoiceType();
    // The tax rate of the header's invoice type; 0 without one.
    double InvoiceTaxRate() const;
    // The amount paid or received now, the payment method and the account.
    void PlaceSettlement(const char *amountField, const QString &amountCaption,
                         const QString &accountCaption);
    // The return type chosen by its text aTHLX from types (THLX 1, 2 ...). A new return takes
    // the first type, the payment method the payment-method list stands on and no salesman;
    // saving stores the chosen text's code.
    TDBComboBox *PlaceReturnType(const QStringList &types);
    // The header both returns share: partner and warehouse; the return type from types and
    // the salesman; the refund in refundField with its payment method and account.
    TDBComboBox *PlaceReturnHeader(const QStringList &types, const char *refundField);
    // The remark on a row of its own, placed last.
    void PlaceRemark() { TfrmTypedDj::PlaceRemark(m_row + 1); }

    // The partner picker; its choice fills key, code and name.
    void PickPartner();
    // The header customer's particulars, modally; nothing without a customer.
    void ShowPartnerInfo();
    // The names the salesman combo offers: the employees by default.
    QString SalesmanSql;

private:
    QString partnerCaption() const;

    const TTradeDocumentType &m_type;
    int m_row = 0;
    std::unique_ptr<TInvoiceTypes> m_invoiceTypes;
    QStringList m_returnTypes;
};
