// The table of document types.
#include "client/documents/documentkind.h"

namespace {

using P = TLinePricing;
using G = TPickerGoods;

// clang-format off
const TDocumentKind Kinds[] = {
    // form           source barcode blank  code   margin pricing           picker
    {"frmCgsq",       false, true,  true,  true,  false, P::PurchasePrice, G::MaterialsOnly, nullptr},
    {"frmCgdd",       true,  true,  true,  true,  false, P::PurchasePrice, G::PickerDefault, nullptr},
    {"frmPurIn",      true,  true,  true,  true,  false, P::PurchasePrice, G::PickerDefault, nullptr},
    {"frmPurOut",     true,  true,  true,  true,  false, P::PurchasePrice, G::PickerDefault, nullptr},
    {"frmXsdd",       false, true,  true,  true,  false, P::PurchasePrice, G::ProductsOnly, nullptr},
    {"frmSalOunt",    true,  true,  true,  true,  true,  P::SalesPrice,    G::ProductsOnly, "CKID"},
    {"frmSalIn",      true,  true,  true,  true,  false, P::SalesPrice,    G::ProductsOnly, nullptr},
    {"frmStockLl",    true,  true,  true,  true,  false, P::IssueCost,     G::MaterialsOnly, "CKID"},
    {"frmStockTl",    true,  true,  true,  true,  false, P::PurchasePrice, G::MaterialsOnly, nullptr},
    {"frmStockdb",    true,  true,  true,  true,  false, P::PurchasePrice, G::PickerDefault, "DCCID"},
    {"Frmpd",         false, true,  true,  true,  false, P::StockCount,    G::PickerDefault, nullptr},
    {"frmQtkcbd",     false, true,  true,  true,  false, P::PurchasePrice, G::PickerDefault, nullptr},
    {"frmProductIn",  false, true,  true,  true,  false, P::PurchasePrice, G::ProductsOnly, nullptr},
    {"frmFykz",       false, false, true,  false, false, P::PurchasePrice, G::MaterialsOnly, nullptr},
    {"frmQtsr",       false, false, true,  false, false, P::PurchasePrice, G::MaterialsOnly, nullptr},
    {"frmXssk",       true,  false, false, true,  false, P::PurchasePrice, G::MaterialsOnly, nullptr},
    {"frmCgfk",       true,  false, false, true,  false, P::PurchasePrice, G::MaterialsOnly, nullptr},
};
// clang-format on

const TDocumentKind Neutral = {
    "", false, true, true, true, false, P::PurchasePrice, G::MaterialsOnly, nullptr};

struct TablePrefix
{
    const char *table;
    const char *prefix;
};

const TablePrefix Prefixes[] = {
    {"CGSQZB", "CQ"}, {"CGDDZB", "CD"}, {"CGSHZB", "CS"}, {"CGTHZB", "CT"}, {"XSDDZB", "XD"},
    {"XSKDZB", "XS"}, {"XSTHZB", "XT"}, {"XSSKZB", "XK"}, {"CGFKZB", "CK"}, {"LLZB", "LL"},
    {"TLZB", "TL"},   {"KCPDZB", "PD"}, {"CPJCZB", "CP"}, {"CKDBZB", "DB"}, {"QTKCBDZB", "QB"},
    {"FYKZZB", "KZ"}, {"QTSRZB", "SR"},
};

} // namespace

const TDocumentKind &DocumentKindOf(const QString &formName)
{
    for (const TDocumentKind &kind : Kinds)
        if (formName.compare(QLatin1String(kind.FormName), Qt::CaseInsensitive) == 0)
            return kind;
    return Neutral;
}

QString BillPrefixOf(const QString &headerTable)
{
    const QString table = headerTable.trimmed().toUpper();
    for (const TablePrefix &row : Prefixes)
        if (table == QLatin1String(row.table))
            return QLatin1String(row.prefix);
    return {};
}
