// Expressions over the fields of a dataset's current record: the Filter text and the
// aggregate expressions of grid footers. Parsed once into a tree; evaluated per record through
// the fields, so calculated and lookup fields take part like the others.
#pragma once

#include "client/data/dbtypes.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace DataInternal {

struct Value
{
    enum Type : uint8_t { Null, Number, Text, Boolean, DateTime };
    Type type = Null;
    bool integer = false; // a Number that came from an integer field or COUNT
    double number = 0;    // Number, DateTime (days since 1899-12-30), Boolean (0 or 1)
    QString text;

    static Value fromNumber(double n, bool isInteger = false)
    {
        Value v;
        v.type = Number;
        v.number = n;
        v.integer = isInteger;
        return v;
    }
    static Value fromText(const QString &s)
    {
        Value v;
        v.type = Text;
        v.text = s;
        return v;
    }
    static Value fromBoolean(bool b)
    {
        Value v;
        v.type = Boolean;
        v.number = b ? 1 : 0;
        return v;
    }
    static Value fromDateTime(double days)
    {
        Value v;
        v.type = DateTime;
        v.number = days;
        return v;
    }
    bool isTrue() const { return type == Boolean ? number != 0 : (type == Number && number != 0); }
    QVariant toVariant() const;
};

struct Node;

class Expression
{
public:
    // Raises EDatabaseError for text that does not parse or names a missing field.
    static std::shared_ptr<Expression> parse(const QString &text, const TClientDataSet &dataSet,
                                             bool aggregate);
    ~Expression();

    void setOptions(TFilterOptions options)
    {
        m_caseInsensitive = options.testFlag(foCaseInsensitive);
        m_partialCompare = !options.testFlag(foNoPartialCompare);
        m_fastPaths = !options.testFlag(foGeneralEvaluator);
    }

    // Evaluates on the dataset's current record (whatever the fields read).
    Value evaluate() const;
    bool accepts() const;
    // Every record this filter accepts the older one accepts too, as the shapes of the two
    // prove: the same ANDs and ORs of prefix LIKEs on the same stored text columns, each
    // pattern narrowing the older one (a code typed one character further). Only data read
    // from the records takes part, so a view the older filter made holds every record this
    // one accepts.
    bool narrows(const Expression &older) const;

    // For aggregate expressions: forEach calls its argument once per record with the fields
    // reading that record.
    QVariant
    evaluateAggregate(const std::function<void(const std::function<void()> &visit)> &forEach) const;

private:
    Expression() = default;
    Value eval(const Node &node) const;
    // eval(node).isTrue() without making values where a condition is only tested.
    bool test(const Node &node) const;
    // A LIKE answered from the stored bytes: 1 or 0, or -1 when the general matcher must.
    int prefixLike(const Node &node) const;
    bool likeMatch(const QString &value, const QString &pattern) const;
    int compareValues(const Value &a, const Value &b, bool &comparable) const;

    std::unique_ptr<Node> m_root;
    std::vector<Node *> m_aggregates;
    bool m_caseInsensitive = false;
    bool m_partialCompare = true;
    bool m_fastPaths = true;
};

} // namespace DataInternal
