// What the purchase and sales documents share beyond the generic form: their tables, strings and
// queries in one row per type, the header controls laid out row by row on Panel3 and bound to
// the header on showing, the partner (supplier or customer) typed by code or picked, the
// salesman list, the invoice type that rates new lines, the settlement fields and the return
// type of returns.
#pragma once

#include "client/data/centraldata.h"
#include "client/documents/comdj.h"

#include <memory>
#include <utility>
#include <vector>

class QGridLayout;
class TDBButtonEdit;
class TDBComboBox;
class TDBEdit;
class TDBLookupComboBox;
class TInvoiceTypes;

enum class TPartner { None, Supplier, Customer };

// The tables, configuration strings, datasets and queries of a purchase or sales type.
struct TTradeDocumentType
{
    const char *HeaderTable;
    const char *LinesTable;
    const char *ObjectName;
    const char *LinkFields;
    const char *ZbMustFields;
    const char *ZbHelpFields;
    TData::TDataSetId Header;
    TData::TDataSetId Lines;
    TPartner Partner;
    // The header query of the type; where starts with " where".
    QString (*HeaderSql)(const QString &where);
    // The lines of one document with the goods' code, name, unit and size.
    QString (*LinesSql)(qint64 headerId);
};

class TTradeDocument : public TfrmComDj
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
    TDBEdit *DBEditBZ = nullptr;

protected:
    TTradeDocument(const TTradeDocumentType &type, QWidget *parent);

    // The type's tables and configuration strings where the opener has set none; opens the
    // header when the opener has not, names the header fields after their labels,
    // binds Panel3's controls, the navigator and the grid; then the generic show.
    void FormShow() override;
    void ZbOnNewRecord(TClientDataSet &DataSet) override;
    void ZbBeforePost(TClientDataSet &DataSet) override;
    void MxOnNewRecord(TClientDataSet &DataSet) override;
    // The type's lines query for the current header, then the generic loading.
    void IniRecord() override;

    // The goods code, name, size and unit, quantity and price columns every type starts with.
    void AddGoodsColumns();

    // --- Header layout ------------------------------------------------------------------------
    // Starts the next row of header controls.
    void NewHeaderRow();
    // A label and its control at the end of the current row; the control spans columns.
    void PlaceHeader(const QString &caption, QWidget *control, int span = 1);
    // A data-aware control of the header on Panel3.
    template<class Control>
    Control *HeaderControl(const char *name, const char *field)
    {
        auto *control = new Control(Panel3);
        bindName(control, name, field);
        return control;
    }
    // A key of the header (warehouse, department ...) chosen by name from a list of the data
    // module.
    TDBLookupComboBox *HeaderLookupCombo(const char *name, const char *field,
                                         TData::TDataSetId list);
    // The warehouse CKID, chosen by name.
    void PlaceWarehouse();
    // The partner's code (its picker on the button and double click) and its name, placed.
    void PlacePartner();
    // The salesman combo on YWY, filled on showing from the salesman query.
    TDBComboBox *PlaceSalesman(const QString &caption = QStringLiteral("业务员"));
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
    // The remark, spanning the rest of its row.
    void PlaceRemark(int span);
    // The label the header checks give a field when no control's caption names it.
    void NameHeaderField(const char *field, const QString &label);

    // The partner picker; its choice fills key, code and name.
    void PickPartner();
    // The names the salesman combo offers: the employees by default.
    QString SalesmanSql;

private:
    void bindName(QWidget *control, const char *name, const char *field);

    const TTradeDocumentType &m_type;
    QGridLayout *m_grid;
    int m_row = 0;
    int m_column = 0;
    std::vector<TData::TDataSetId> m_lists;
    std::vector<std::pair<QString, QString>> m_labels;
    std::unique_ptr<TInvoiceTypes> m_invoiceTypes;
    QStringList m_returnTypes;
};
