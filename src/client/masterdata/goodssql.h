// The SQL texts the goods list and the goods picker compose: the category of a tree node,
// the quick search, the user's category scope, the stock of one goods item per warehouse and
// the picker's line text. Every user text goes in quoted; a key that is no number too.
#pragma once

#include <QDate>
#include <QString>

class TClientDataSet;

namespace goods {

// A tree node's key as it goes into SQL: the number itself, anything else quoted.
QString KeyLiteral(const QString &key);

// " and (C.ItemType= k or C.ItemType In( select ItemType from Pub_ItemType where
// ParentCode=k))": the category and its direct children (not their children).
QString CategoryCondition(const QString &key);

// The quick search on goods aliased H, as one condition (the bare "or"s of the old text let
// a stopped or out-of-scope item through): code and barcode by prefix, mnemonic by upper-cased
// prefix, and the name by prefix, or, with nameContains, anywhere in it. Empty for an empty
// text.
QString SearchCondition(const QString &text, bool nameContains);

// Hides the goods of a category outside the user's scope from a query that left-joins the
// category source as C; goods without a known category stay visible. Empty when the scope
// is everything.
QString ScopeCondition(const QString &itemTypeFrom);

// The boolean literal of the dialect: "true"/"false" for kind 0, 1/0 otherwise.
QString BoolLiteral(int databaseKind, bool value);

// The signed stock movements of one goods item up to the date, per warehouse name of the
// user's warehouse source (aliased C).
QString StockQuery(int databaseKind, const QString &warehouseFrom, const QString &goodsId,
                   QDate upTo);

// The single-choice picker's line: ID|BH|PM|GG|DW|JJ|JJJ|JQJ|, each value followed by "|".
QString LineText(const TClientDataSet &goods);

} // namespace goods
