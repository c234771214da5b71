// What the purchase and sales documents share beyond the generic form: their header and lines
// datasets of the data module, the header controls laid out row by row on Panel3 and bound to
// the header on showing, the partner (supplier or customer) typed by code or picked, and the
// salesman list.
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
};

class TTradeDocument : public TfrmComDj
{
    Q_OBJECT
public:
    ~TTradeDocument() override;

    TDBButtonEdit *PartnerCode = nullptr;
    TDBEdit *PartnerName = nullptr;
    TDBComboBox *DBComboYWY = nullptr;

protected:
    TTradeDocument(const TTradeDocumentType &type, QWidget *parent);

    // The type's tables and configuration strings where the opener has set none; opens the
    // header when the opener has not, names the header fields after their labels,
    // binds Panel3's controls, the navigator and the grid; then the generic show.
    void FormShow() override;
    void MxOnNewRecord(TClientDataSet &DataSet) override;

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
    // The warehouse (or another key) chosen by name from a list of the data module.
    TDBLookupComboBox *HeaderLookupCombo(const char *name, const char *field,
                                         TData::TDataSetId list);
    // The partner's code (its picker on the button and double click) and its name, placed.
    void PlacePartner();
    // The salesman combo on YWY, filled on showing from the salesman query.
    TDBComboBox *PlaceSalesman(const QString &caption = QStringLiteral("业务员"));
    // The invoice-type combo DBComboBox2 on FPLX; new lines take the type's tax rate.
    TDBLookupComboBox *PlaceInvoiceType();
    // The tax rate of the header's invoice type; 0 without one.
    double InvoiceTaxRate() const;
    // The label the header checks give a field when no control's caption names it.
    void NameHeaderField(const char *field, const QString &label);

    // The partner picker; its choice fills key, code and name.
    void PickPartner();
    // Returns keep their type as text in the header (the user chooses it by name): the code
    // field takes the text's place in the list, counted from 1.
    void StoreTypeCode(const char *textField, const char *codeField, const QStringList &texts);
    // A new return's payment method: the one the payment-method list stands on.
    void TakeCurrentPaymentMethod(TClientDataSet &header);
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
};
