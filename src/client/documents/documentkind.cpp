// The table of document types.
#include "client/documents/documentkind.h"

namespace {

using P = TLinePricing;
using G = TPickerGoods;

// clang-format off
const TDocumentKind Kinds[] = {
    // form           source barcode blank  code   margin pricing           picker
    {"frmCgsq",       false, true,  true,  true,  false, P::PurchasePrice, G::MaterialsOnly},
    {"frmCgdd",       true,  true,  true,  true,  false, P::PurchasePrice, G::PickerDefault},
    {"frmPurIn",      true,  true,  true,  true,  false, P::PurchasePrice, G::PickerDefault},
    {"frmPurOut",     true,  true,  true,  true,  false, P::PurchasePrice, G::PickerDefault},
    {"frmXsdd",       false, true,  true,  true,  false, P::PurchasePrice, G::ProductsOnly},
    {"frmSalOunt",    true,  true,  true,  true,  true,  P::SalesPrice,    G::ProductsOnly},
    {"frmSalIn",      true,  true,  true,  true,  false, P::SalesPrice,    G::ProductsOnly},
    {"frmStockLl",    true,  true,  true,  true,  false, P::IssueCost,     G::MaterialsOnly},
    {"frmStockTl",    true,  true,  true,  true,  false, P::PurchasePrice, G::MaterialsOnly},
    {"frmStockdb",    true,  true,  true,  true,  false, P::PurchasePrice, G::PickerDefault},
    {"Frmpd",         false, true,  true,  true,  false, P::StockCount,    G::PickerDefault},
    {"frmQtkcbd",     false, true,  true,  true,  false, P::PurchasePrice, G::PickerDefault},
    {"frmProductIn",  false, true,  true,  true,  false, P::PurchasePrice, G::ProductsOnly},
    {"frmFykz",       false, false, true,  false, false, P::PurchasePrice, G::MaterialsOnly},
    {"frmQtsr",       false, false, true,  false, false, P::PurchasePrice, G::MaterialsOnly},
    {"frmXssk",       true,  false, false, true,  false, P::PurchasePrice, G::MaterialsOnly},
    {"frmCgfk",       true,  false, false, true,  false, P::PurchasePrice, G::MaterialsOnly},
};
// clang-format on

const TDocumentKind Neutral = {
    "", false, true, true, true, false, P::PurchasePrice, G::MaterialsOnly};

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
