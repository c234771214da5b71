// The document lists: one record per list names its caption, the header and lines datasets it
// shares with the document form it opens, the type's physical tables and queries, the base it
// builds on and its own grid columns. One list class serves every record.
#pragma once

#include "client/data/centraldata.h"
#include "client/masterdata/editrows.h"

#include <QString>

#include <initializer_list>
#include <span>

class TfrmComDczb;

// The header query of a type; where starts with " where".
using THeaderQuery = QString (*)(const QString &where);
// The lines of one document of a type.
using TLinesQuery = QString (*)(qint64 headerId);

// What the lines of a type hold: goods, income and expense categories, or the documents a
// receipt or payment settles.
enum class TLineKind { Goods, Categories, Settlements };

struct TDocumentListType
{
    const char *ClassName; // the list's class as the menu names it ("TfrmSalOuntWork")
    const char *Caption;
    TData::TDataSetId Header;
    TData::TDataSetId Lines;
    const char *FormClass; // the document form's registered class
    const char *HeaderTable;
    const char *LinesTable;
    THeaderQuery HeaderQuery;
    TLinesQuery LinesQuery;
    bool WithFooter; // built on TfrmComDclbzb (footer row, btnList), else on TfrmComDczb
    // The header field the kind the list was opened for (SetBillType) restricts; nullptr
    // for a list of one kind.
    const char *KindField;
    TLineKind LineKind;
    // The type's own columns (partner, warehouse, decoded codes, the salesman where the type
    // has one) between the date and the amount.
    std::initializer_list<TColumnSpec> Columns;
};

std::span<const TDocumentListType> DocumentListTypes();
// The record of a list class, or nullptr.
const TDocumentListType *FindDocumentListType(const QString &className);

// Registers every list class with the window manager.
void RegisterDocumentLists();

// Opens the list of the class in the workspace (or brings it up) on the documents not fully
// audited, whatever their date; nullptr when the class is no document list.
TfrmComDczb *ShowPendingAudits(const QString &listClassName);
