// What the generic document form does differently by document type: one row per type, found
// by the form's name (frmPurIn ...), instead of name tests scattered through the form.
#pragma once

#include <QString>

// How a typed goods code prices the line.
enum class TLinePricing {
    PurchasePrice, // DJ := JJ
    IssueCost,     // weighted average cost for goods costed that way
    SalesPrice,    // by the header's price level, cost CBDJ beside it
    StockCount,    // the book quantity KCSL beside the counted one
};

// Which goods the picker offers.
enum class TPickerGoods { PickerDefault, ProductsOnly, MaterialsOnly };

struct TDocumentKind
{
    const char *FormName;
    bool TakesSourceDocument; // Menu_Ref and its separator show
    bool HasBarcodeBar;       // PanelBottom shows
    bool HasBlankLines;       // a new document starts with 15 empty lines
    bool GoodsCodeHandler;    // the aBH column fills the line from the goods table
    bool SalesMargins;        // cCBJE and cLRJE beside cJE
    TLinePricing Pricing;
    TPickerGoods Picker;
    // The header's warehouse that the goods leave, checked for negative stock on saving when
    // the company asks for it; nullptr for documents that take nothing out.
    const char *NegativeStockField;
};

// The row of the form name (case-insensitive); a neutral row for names not in the table.
const TDocumentKind &DocumentKindOf(const QString &formName);
// The prefix of a header table ("CGSHZB" gives "CS"); empty for other tables.
QString BillPrefixOf(const QString &headerTable);
