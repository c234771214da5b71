// What the final audit of a document writes into the stock ledger Inv_Itemlist, and what its
// un-audit removes: one statement per movement, composed from the document's prefix.
#pragma once

#include <QString>
#include <QStringList>

namespace posting {

// The prefixes whose documents are posted at the final audit.
bool IsPostedPrefix(const QString &prefix);

struct TPostingRequest
{
    QString Prefix;          // "CS", "XS", ...: the document number's first two characters
    QString BillNo;          // the document number
    QStringList Attributes;  // the enabled goods attribute columns ("SX1", ...)
    QString TransferType;    // DB: the header's DBType
    QString AdjustmentType;  // PD: the header's BillType
    bool CountSheet = false; // PD: the form is the count sheet (counted minus book quantity)
    int DatabaseKind = 0;
};

// The statements that post the document; empty for a prefix that is not posted.
QStringList PostingStatements(const TPostingRequest &request);
// " Delete from Inv_Itemlist where DJBH='...'".
QString UnpostStatement(const QString &billNo);
// The reference quantity of an issue line's source batch moved by sign × quantity.
QString RefQuantityStatement(int sign, double quantity, const QString &sourceNo, int sourceLine);

} // namespace posting
