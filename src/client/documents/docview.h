// The single-document view: one type's documents matching a where clause in its document
// form, read-only, without navigation and with its tool bar off, run modally; and
// OpenDocumentByType, which report windows call with a document's ID and the name their rows
// give its type.
#pragma once

#include "client/data/centraldata.h"
#include "client/documents/doclists.h"

#include <QString>

// How one type is viewed.
struct TDocumentView
{
    const char *FormClass; // the document form's registered class
    TData::TDataSetId Header;
    TData::TDataSetId Lines;
    THeaderQuery HeaderQuery;
    // The kind of a form that serves several ("KCTZ"): restricts the headers by BillType and
    // goes to the form; nullptr for none.
    const char *Kind;
};

// Shows the headers of the view's type that match where (" where ..."), ordered by number.
// A list that had the header dataset open gets it back as it was. Refused, false, while a
// document of the type is being entered: its unsaved changes stay.
bool ViewDocuments(const TDocumentView &view, const QString &where);

// Opens the document whose ID is key as the type the name gives ("销售出库", "库存调整" ...),
// or the settlement rows of a delivery or receipt ("销售收款过程", "采购付款过程") in a small
// read-only window. A key that is no positive integer or a name of no type: "不能打开此单据。"
// and false; false too when the view is refused.
bool OpenDocumentByType(const QString &key, const QString &typeName);

// Opens the document numbered number (the ledger's DJBH, "CS2025010001") as the type the name
// gives: its ID is looked up by number in the type's header table. A number no header of the
// type holds, or a type that has no header table: "不能打开此单据。" and false.
bool OpenDocumentByNumber(const QString &number, const QString &typeName);

// The names OpenDocumentByType knows.
QStringList DocumentTypeNames();
