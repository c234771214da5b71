// The one order of field values that every view of a dataset uses: the grid's grouping and
// sorting, the tree's siblings, the reconcile dialog's "changed" test.
#pragma once

#include <QVariant>

enum class TTextOrder {
    CodePoint, // stable and fast: grouping, sorting by title
    Locale     // as the user's locale sorts words: captions of a tree
};

// Nulls first; numbers (booleans included) by value, dates and date-times by value, anything
// else, or two values of different kinds, by their texts. -1, 0 or 1.
int CompareValues(const QVariant &a, const QVariant &b,
                  TTextOrder textOrder = TTextOrder::CodePoint);

inline bool SameValue(const QVariant &a, const QVariant &b)
{
    return CompareValues(a, b) == 0;
}
