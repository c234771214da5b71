// Filter and aggregate expressions: tokenizer, recursive-descent parser and evaluator.
#include "client/data/expression.h"

#include "client/data/clientdataset.h"
#include "client/data/clientdataset_p.h"
#include "client/data/formats.h"
#include "client/data/prefixpattern.h"

#include <QDateTime>

#include <cmath>

namespace DataInternal {

QVariant Value::toVariant() const
{
    switch (type) {
    case Null:
        return QVariant();
    case Number:
        return integer ? QVariant(qint64(number)) : QVariant(number);
    case Text:
        return text;
    case Boolean:
        return number != 0;
    case DateTime:
        return FloatToDateTime(number);
    }
    return QVariant();
}

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Add, Sub, Mul, Div, And, Or };

struct Node
{
    enum Kind { Constant, FieldRef, Negate, Not, Binary, Like, IsNull, In, Function, Aggregate };
    Kind kind = Constant;
    Op op = Op::Eq;
    bool negated = false; // NOT LIKE, IS NOT NULL, NOT IN
    Value constant;
    TField *field = nullptr;
    QString name; // function or aggregate name, upper case
    std::vector<std::unique_ptr<Node>> children;
    int height = 1; // levels from here to the deepest leaf
    // LIKE of a stored text column against a constant prefix pattern: matched on the bytes
    // of the field's column, read straight from its dataset.
    std::optional<PrefixPattern> prefix;
    const TField *prefixField = nullptr;
    const TClientDataSetPrivate *prefixData = nullptr;
    // Aggregate state, filled by evaluateAggregate.
    mutable Value result;
    mutable double sum = 0;
    mutable qint64 count = 0;
    mutable Value extreme;
};

namespace {

// Far beyond any filter a user writes or a form builds, and far from the end of the stack for
// the parser and the recursive evaluation.
constexpr int MaxDepth = 256;
constexpr int MaxNodes = 100000;

struct Token
{
    enum Type { End, Identifier, Number, String, Symbol };
    Type type = End;
    QString text;
    double number = 0;
    bool integer = false;
    qsizetype position = 0;
};

class Parser
{
public:
    Parser(const QString &text, const TClientDataSet &dataSet, bool aggregate,
           std::vector<Node *> &aggregates)
        : m_text(text)
        , m_dataSet(dataSet)
        , m_allowAggregates(aggregate)
        , m_aggregates(aggregates)
    {
        advance();
    }

    std::unique_ptr<Node> parseAll()
    {
        auto node = parseOr();
        if (m_token.type != Token::End)
            fail(QStringLiteral("unexpected '%1'").arg(m_token.text));
        return node;
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        // The position tells where; a text of pages would bury the reason.
        constexpr qsizetype Shown = 100;
        const QString text =
            m_text.size() > Shown ? m_text.left(Shown) + QStringLiteral("...") : m_text;
        throw EDatabaseError(QStringLiteral("Invalid expression \"%1\": %2 at position %3")
                                 .arg(text, what)
                                 .arg(m_token.position + 1));
    }

    // Every node is finished here, so that the bounds on the tree cover them all; a chain of
    // operators such as a + b + c grows one level with each operator.
    std::unique_ptr<Node> finished(std::unique_ptr<Node> node)
    {
        for (const auto &child : node->children)
            node->height = std::max(node->height, child->height + 1);
        if (node->height > MaxDepth)
            fail(QStringLiteral("expression too complex: nested deeper than %1 levels")
                     .arg(MaxDepth));
        if (++m_nodes > MaxNodes)
            fail(QStringLiteral("expression too complex: more than %1 nodes").arg(MaxNodes));
        return node;
    }

    // Parses what sits within parentheses, after NOT or a sign, or in a function's arguments.
    template<class Parse>
    std::unique_ptr<Node> nested(Parse parse)
    {
        if (++m_nesting > MaxDepth)
            fail(QStringLiteral("expression too complex: nested deeper than %1 levels")
                     .arg(MaxDepth));
        auto node = parse();
        --m_nesting;
        return node;
    }

    void advance()
    {
        const QString &s = m_text;
        qsizetype i = m_pos;
        while (i < s.size() && s[i].isSpace())
            ++i;
        m_token = Token();
        m_token.position = i;
        if (i >= s.size()) {
            m_pos = i;
            return;
        }
        const QChar c = s[i];
        if (c == u'\'') {
            QString value;
            ++i;
            for (;;) {
                if (i >= s.size())
                    fail(QStringLiteral("unterminated text"));
                if (s[i] == u'\'') {
                    if (i + 1 < s.size() && s[i + 1] == u'\'') {
                        value.append(u'\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value.append(s[i++]);
            }
            m_token.type = Token::String;
            m_token.text = value;
        } else if (c == u'[' || c == u'"') {
            const QChar close = c == u'[' ? u']' : u'"';
            const qsizetype end = s.indexOf(close, i + 1);
            if (end < 0)
                fail(QStringLiteral("unterminated name"));
            m_token.type = Token::Identifier;
            m_token.text = s.mid(i + 1, end - i - 1);
            i = end + 1;
            m_quotedName = true;
        } else if (c.isDigit() || (c == u'.' && i + 1 < s.size() && s[i + 1].isDigit())) {
            qsizetype j = i;
            bool integer = true;
            while (j < s.size() && s[j].isDigit())
                ++j;
            if (j < s.size() && s[j] == u'.') {
                integer = false;
                ++j;
                while (j < s.size() && s[j].isDigit())
                    ++j;
            }
            if (j < s.size() && (s[j] == u'e' || s[j] == u'E')) {
                qsizetype k = j + 1;
                if (k < s.size() && (s[k] == u'+' || s[k] == u'-'))
                    ++k;
                if (k < s.size() && s[k].isDigit()) {
                    integer = false;
                    j = k;
                    while (j < s.size() && s[j].isDigit())
                        ++j;
                }
            }
            m_token.type = Token::Number;
            m_token.text = s.mid(i, j - i);
            m_token.number = StrToFloat(m_token.text);
            m_token.integer = integer;
            i = j;
        } else if (c.isLetter() || c == u'_' || c.unicode() >= 0x80) {
            qsizetype j = i;
            while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == u'_' || s[j] == u'.' ||
                                    s[j].unicode() >= 0x80))
                ++j;
            m_token.type = Token::Identifier;
            m_token.text = s.mid(i, j - i);
            i = j;
            m_quotedName = false;
        } else {
            static const char *const twoChar[] = {"<>", "<=", ">=", "!="};
            m_token.type = Token::Symbol;
            for (const char *op : twoChar) {
                if (i + 1 < s.size() && s[i] == QLatin1Char(op[0]) &&
                    s[i + 1] == QLatin1Char(op[1])) {
                    m_token.text = QString::fromLatin1(op, 2);
                    break;
                }
            }
            if (m_token.text.isEmpty()) {
                if (!QStringView(u"=<>+-*/(),").contains(c))
                    fail(QStringLiteral("unexpected '%1'").arg(c));
                m_token.text = c;
            }
            i += m_token.text.size();
        }
        m_pos = i;
    }

    bool isKeyword(const char *word) const
    {
        return m_token.type == Token::Identifier && !m_quotedName &&
               m_token.text.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(const char *symbol) const
    {
        return m_token.type == Token::Symbol && m_token.text == QLatin1StringView(symbol);
    }
    void expectSymbol(const char *symbol)
    {
        if (!isSymbol(symbol))
            fail(QStringLiteral("'%1' expected").arg(QLatin1StringView(symbol)));
        advance();
    }

    std::unique_ptr<Node> binary(Op op, std::unique_ptr<Node> a, std::unique_ptr<Node> b)
    {
        auto node = std::make_unique<Node>();
        node->kind = Node::Binary;
        node->op = op;
        node->children.push_back(std::move(a));
        node->children.push_back(std::move(b));
        return finished(std::move(node));
    }

    std::unique_ptr<Node> parseOr()
    {
        auto left = parseAnd();
        while (isKeyword("OR")) {
            advance();
            left = binary(Op::Or, std::move(left), parseAnd());
        }
        return left;
    }

    std::unique_ptr<Node> parseAnd()
    {
        auto left = parseNot();
        while (isKeyword("AND")) {
            advance();
            left = binary(Op::And, std::move(left), parseNot());
        }
        return left;
    }

    std::unique_ptr<Node> parseNot()
    {
        if (isKeyword("NOT")) {
            advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::Not;
            node->children.push_back(nested([&] { return parseNot(); }));
            return finished(std::move(node));
        }
        return parseComparison();
    }

    std::unique_ptr<Node> parseComparison()
    {
        auto left = parseAdditive();
        static const struct
        {
            const char *symbol;
            Op op;
        } comparisons[] = {{"=", Op::Eq}, {"<>", Op::Ne}, {"!=", Op::Ne}, {"<", Op::Lt},
                           {">", Op::Gt}, {"<=", Op::Le}, {">=", Op::Ge}};
        for (const auto &c : comparisons) {
            if (isSymbol(c.symbol)) {
                advance();
                return binary(c.op, std::move(left), parseAdditive());
            }
        }
        bool negated = false;
        if (isKeyword("NOT")) {
            negated = true;
            advance();
            if (!isKeyword("LIKE") && !isKeyword("IN"))
                fail(QStringLiteral("LIKE or IN expected"));
        }
        if (isKeyword("LIKE")) {
            advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::Like;
            node->negated = negated;
            node->children.push_back(std::move(left));
            node->children.push_back(parseAdditive());
            return finished(std::move(node));
        }
        if (isKeyword("IN")) {
            advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::In;
            node->negated = negated;
            node->children.push_back(std::move(left));
            expectSymbol("(");
            node->children.push_back(parseAdditive());
            while (isSymbol(",")) {
                advance();
                node->children.push_back(parseAdditive());
            }
            expectSymbol(")");
            return finished(std::move(node));
        }
        if (isKeyword("IS")) {
            advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::IsNull;
            if (isKeyword("NOT")) {
                node->negated = true;
                advance();
            }
            if (!isKeyword("NULL"))
                fail(QStringLiteral("NULL expected"));
            advance();
            node->children.push_back(std::move(left));
            return finished(std::move(node));
        }
        return left;
    }

    std::unique_ptr<Node> parseAdditive()
    {
        auto left = parseMultiplicative();
        while (isSymbol("+") || isSymbol("-")) {
            const Op op = isSymbol("+") ? Op::Add : Op::Sub;
            advance();
            left = binary(op, std::move(left), parseMultiplicative());
        }
        return left;
    }

    std::unique_ptr<Node> parseMultiplicative()
    {
        auto left = parseUnary();
        while (isSymbol("*") || isSymbol("/")) {
            const Op op = isSymbol("*") ? Op::Mul : Op::Div;
            advance();
            left = binary(op, std::move(left), parseUnary());
        }
        return left;
    }

    std::unique_ptr<Node> parseUnary()
    {
        if (isSymbol("-")) {
            advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::Negate;
            node->children.push_back(nested([&] { return parseUnary(); }));
            return finished(std::move(node));
        }
        if (isSymbol("+")) {
            advance();
            return nested([&] { return parseUnary(); });
        }
        return parsePrimary();
    }

    std::unique_ptr<Node> parsePrimary()
    {
        auto node = std::make_unique<Node>();
        if (m_token.type == Token::Number) {
            node->constant = Value::fromNumber(m_token.number, m_token.integer);
            advance();
            return finished(std::move(node));
        }
        if (m_token.type == Token::String) {
            node->constant = Value::fromText(m_token.text);
            advance();
            return finished(std::move(node));
        }
        if (isSymbol("(")) {
            advance();
            auto inner = nested([&] { return parseOr(); });
            expectSymbol(")");
            return inner;
        }
        if (m_token.type != Token::Identifier)
            fail(m_token.type == Token::End ? QStringLiteral("unexpected end")
                                            : QStringLiteral("unexpected '%1'").arg(m_token.text));
        if (isKeyword("TRUE") || isKeyword("FALSE")) {
            node->constant = Value::fromBoolean(isKeyword("TRUE"));
            advance();
            return finished(std::move(node));
        }
        if (isKeyword("NULL")) {
            advance();
            return finished(std::move(node));
        }
        const QString name = m_token.text;
        const bool quoted = m_quotedName;
        advance();
        if (!quoted && isSymbol("("))
            return parseCall(name.toUpper());
        node->kind = Node::FieldRef;
        node->field = m_dataSet.FindField(name);
        if (!node->field)
            fail(QStringLiteral("field '%1' not found").arg(name));
        return finished(std::move(node));
    }

    std::unique_ptr<Node> parseCall(const QString &name)
    {
        static const QStringList aggregates = {QStringLiteral("SUM"), QStringLiteral("COUNT"),
                                               QStringLiteral("MIN"), QStringLiteral("MAX"),
                                               QStringLiteral("AVG")};
        static const QStringList functions = {
            QStringLiteral("UPPER"),    QStringLiteral("LOWER"),     QStringLiteral("TRIM"),
            QStringLiteral("TRIMLEFT"), QStringLiteral("TRIMRIGHT"), QStringLiteral("SUBSTRING"),
            QStringLiteral("YEAR"),     QStringLiteral("MONTH"),     QStringLiteral("DAY"),
            QStringLiteral("HOUR"),     QStringLiteral("MINUTE"),    QStringLiteral("SECOND"),
            QStringLiteral("DATE"),     QStringLiteral("GETDATE")};
        auto node = std::make_unique<Node>();
        node->name = name;
        advance(); // "("
        if (aggregates.contains(name)) {
            if (!m_allowAggregates)
                fail(QStringLiteral("aggregate %1 not allowed here").arg(name));
            if (m_inAggregate)
                fail(QStringLiteral("nested aggregate"));
            node->kind = Node::Aggregate;
            if (name == u"COUNT" && isSymbol("*")) {
                advance();
            } else {
                m_inAggregate = true;
                node->children.push_back(nested([&] { return parseOr(); }));
                m_inAggregate = false;
            }
            expectSymbol(")");
            auto aggregate = finished(std::move(node));
            m_aggregates.push_back(aggregate.get());
            return aggregate;
        }
        if (!functions.contains(name))
            fail(QStringLiteral("unknown function %1").arg(name));
        node->kind = Node::Function;
        if (!isSymbol(")")) {
            node->children.push_back(nested([&] { return parseOr(); }));
            while (isSymbol(",")) {
                advance();
                node->children.push_back(nested([&] { return parseOr(); }));
            }
        }
        expectSymbol(")");
        return finished(std::move(node));
    }

    const QString &m_text;
    const TClientDataSet &m_dataSet;
    bool m_allowAggregates;
    std::vector<Node *> &m_aggregates;
    qsizetype m_pos = 0;
    Token m_token;
    bool m_quotedName = false;
    bool m_inAggregate = false;
    int m_nesting = 0;
    int m_nodes = 0;
};

Value fieldValue(const TField &field)
{
    if (field.IsNull())
        return Value();
    switch (field.DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
    case ftLargeint:
        return Value::fromNumber(double(field.AsLargeInt()), true);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return Value::fromNumber(field.AsFloat());
    case ftBoolean:
        return Value::fromBoolean(field.AsBoolean());
    case ftDate:
    case ftTime:
    case ftDateTime:
        return Value::fromDateTime(field.AsFloat());
    default:
        return Value::fromText(field.AsString());
    }
}

// Gives the LIKE nodes that compare a stored text column with a constant prefix pattern
// their byte matcher. The types kept in text columns are the ones fieldValue reads as text.
void compilePrefixPatterns(Node &node)
{
    for (const auto &child : node.children)
        compilePrefixPatterns(*child);
    if (node.kind != Node::Like)
        return;
    const Node &value = *node.children[0];
    const Node &pattern = *node.children[1];
    if (value.kind == Node::FieldRef && TClientDataSetPrivate::storesText(*value.field) &&
        pattern.kind == Node::Constant && pattern.constant.type == Value::Text) {
        node.prefix = PrefixPattern::compile(pattern.constant.text);
        node.prefixField = value.field;
        node.prefixData = TClientDataSetPrivate::of(*value.field);
    }
}

QString asText(const Value &v)
{
    switch (v.type) {
    case Value::Text:
        return v.text;
    case Value::Number:
        return FloatToStr(v.number);
    case Value::Boolean:
        return v.number != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case Value::DateTime:
        return FormatDateTime(u"c", FloatToDateTime(v.number));
    case Value::Null:
        break;
    }
    return QString();
}

// A number from a value, parsing text; false when it has none.
bool asNumber(const Value &v, double &out)
{
    switch (v.type) {
    case Value::Number:
    case Value::Boolean:
    case Value::DateTime:
        out = v.number;
        return true;
    case Value::Text: {
        QDateTime dt;
        if (TryStrToFloat(v.text, out))
            return true;
        if (TryStrToDateTime(v.text, dt)) {
            out = DateTimeToFloat(dt);
            return true;
        }
        return false;
    }
    case Value::Null:
        break;
    }
    return false;
}

} // namespace

Expression::~Expression() = default;

std::shared_ptr<Expression> Expression::parse(const QString &text, const TClientDataSet &dataSet,
                                              bool aggregate)
{
    std::shared_ptr<Expression> expression(new Expression);
    Parser parser(text, dataSet, aggregate, expression->m_aggregates);
    expression->m_root = parser.parseAll();
    compilePrefixPatterns(*expression->m_root);
    if (aggregate && expression->m_aggregates.empty())
        throw EDatabaseError(
            QStringLiteral("Invalid expression \"%1\": an aggregate function is required")
                .arg(text));
    return expression;
}

Value Expression::evaluate() const
{
    return eval(*m_root);
}

bool Expression::accepts() const
{
    return test(*m_root);
}

bool Expression::test(const Node &node) const
{
    switch (node.kind) {
    case Node::Binary:
        if (node.op == Op::Or)
            return test(*node.children[0]) || test(*node.children[1]);
        if (node.op == Op::And)
            return test(*node.children[0]) && test(*node.children[1]);
        break;
    case Node::Not:
        return !test(*node.children[0]);
    case Node::Like:
        if (const int match = prefixLike(node); match >= 0)
            return match != 0;
        break;
    default:
        break;
    }
    return eval(node).isTrue();
}

namespace {

bool narrowsNode(const Node &node, const Node &older)
{
    if (node.kind != older.kind)
        return false;
    if (node.kind == Node::Binary) {
        return (node.op == Op::Or || node.op == Op::And) && node.op == older.op &&
               narrowsNode(*node.children[0], *older.children[0]) &&
               narrowsNode(*node.children[1], *older.children[1]);
    }
    return node.kind == Node::Like && !node.negated && !older.negated && node.prefix &&
           older.prefix && node.children[0]->field == older.children[0]->field &&
           node.prefix->narrows(*older.prefix);
}

} // namespace

bool Expression::narrows(const Expression &older) const
{
    return m_fastPaths && older.m_fastPaths && m_caseInsensitive == older.m_caseInsensitive &&
           m_aggregates.empty() && narrowsNode(*m_root, *older.m_root);
}

int Expression::prefixLike(const Node &node) const
{
    if (!node.prefix || !m_fastPaths)
        return -1;
    std::string_view bytes;
    if (!node.prefixData->storedText(*node.prefixField, bytes))
        return node.negated ? 1 : 0; // null
    switch (node.prefix->match(bytes, m_caseInsensitive)) {
    case PrefixPattern::Match::Yes:
        return node.negated ? 0 : 1;
    case PrefixPattern::Match::No:
        return node.negated ? 1 : 0;
    case PrefixPattern::Match::Unknown:
        break;
    }
    return -1;
}

int Expression::compareValues(const Value &a, const Value &b, bool &comparable) const
{
    comparable = true;
    if (a.type == Value::Text && b.type == Value::Text) {
        return QString::compare(a.text, b.text,
                                m_caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    }
    if (a.type == Value::Boolean || b.type == Value::Boolean) {
        const Value &other = a.type == Value::Boolean ? b : a;
        if (other.type == Value::Text) {
            const bool text = other.text.compare(u"true", Qt::CaseInsensitive) == 0 ||
                              other.text.compare(u"T", Qt::CaseInsensitive) == 0;
            const bool boolean = (a.type == Value::Boolean ? a : b).number != 0;
            const int c = int(boolean) - int(text);
            return a.type == Value::Boolean ? c : -c;
        }
    }
    double x = 0, y = 0;
    if (asNumber(a, x) && asNumber(b, y))
        return x < y ? -1 : (x > y ? 1 : 0);
    // A number against text that is no number: compare the texts.
    return QString::compare(asText(a), asText(b),
                            m_caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

bool Expression::likeMatch(const QString &value, const QString &pattern) const
{
    const Qt::CaseSensitivity cs = m_caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    // Iterative wildcard match with backtracking to the last '%'.
    qsizetype v = 0, p = 0, starP = -1, starV = 0;
    auto equal = [&](QChar a, QChar b) {
        return cs == Qt::CaseSensitive ? a == b : a.toCaseFolded() == b.toCaseFolded();
    };
    while (v < value.size()) {
        if (p < pattern.size() && (pattern[p] == u'%' || pattern[p] == u'*')) {
            starP = p++;
            starV = v;
        } else if (p < pattern.size() && (pattern[p] == u'_' || equal(pattern[p], value[v]))) {
            ++p;
            ++v;
        } else if (starP >= 0) {
            p = starP + 1;
            v = ++starV;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && (pattern[p] == u'%' || pattern[p] == u'*'))
        ++p;
    return p == pattern.size();
}

Value Expression::eval(const Node &node) const
{
    switch (node.kind) {
    case Node::Constant:
        return node.constant;
    case Node::FieldRef:
        return fieldValue(*node.field);
    case Node::Aggregate:
        return node.result;
    case Node::Negate: {
        Value v = eval(*node.children[0]);
        double n = 0;
        if (!asNumber(v, n))
            return Value();
        return Value::fromNumber(-n, v.integer);
    }
    case Node::Not: {
        const Value v = eval(*node.children[0]);
        return Value::fromBoolean(!v.isTrue());
    }
    case Node::IsNull: {
        const bool null = eval(*node.children[0]).type == Value::Null;
        return Value::fromBoolean(null != node.negated);
    }
    case Node::Like: {
        if (const int match = prefixLike(node); match >= 0)
            return Value::fromBoolean(match != 0);
        const Value v = eval(*node.children[0]);
        const Value pattern = eval(*node.children[1]);
        if (v.type == Value::Null || pattern.type == Value::Null)
            return Value::fromBoolean(node.negated);
        return Value::fromBoolean(likeMatch(asText(v), asText(pattern)) != node.negated);
    }
    case Node::In: {
        const Value v = eval(*node.children[0]);
        if (v.type == Value::Null)
            return Value::fromBoolean(node.negated);
        for (size_t i = 1; i < node.children.size(); ++i) {
            const Value candidate = eval(*node.children[i]);
            bool comparable = false;
            if (candidate.type != Value::Null && compareValues(v, candidate, comparable) == 0 &&
                comparable)
                return Value::fromBoolean(!node.negated);
        }
        return Value::fromBoolean(node.negated);
    }
    case Node::Binary:
        break;
    case Node::Function: {
        std::vector<Value> args;
        for (const auto &child : node.children)
            args.push_back(eval(*child));
        const QString &f = node.name;
        if (f == u"GETDATE")
            return Value::fromDateTime(DateTimeToFloat(QDateTime::currentDateTime()));
        if (args.empty() || args[0].type == Value::Null)
            return Value();
        if (f == u"UPPER")
            return Value::fromText(asText(args[0]).toUpper());
        if (f == u"LOWER")
            return Value::fromText(asText(args[0]).toLower());
        if (f == u"TRIM")
            return Value::fromText(asText(args[0]).trimmed());
        if (f == u"TRIMLEFT") {
            const QString s = asText(args[0]);
            qsizetype i = 0;
            while (i < s.size() && s[i].isSpace())
                ++i;
            return Value::fromText(s.mid(i));
        }
        if (f == u"TRIMRIGHT") {
            QString s = asText(args[0]);
            while (!s.isEmpty() && s.back().isSpace())
                s.chop(1);
            return Value::fromText(s);
        }
        if (f == u"SUBSTRING") {
            double from = 1, length = -1;
            if (args.size() > 1 && !asNumber(args[1], from))
                return Value();
            if (args.size() > 2 && !asNumber(args[2], length))
                return Value();
            return Value::fromText(asText(args[0]).mid(qsizetype(from) - 1, qsizetype(length)));
        }
        double n = 0;
        if (!asNumber(args[0], n))
            return Value();
        const QDateTime dt = FloatToDateTime(n);
        if (f == u"YEAR")
            return Value::fromNumber(dt.date().year(), true);
        if (f == u"MONTH")
            return Value::fromNumber(dt.date().month(), true);
        if (f == u"DAY")
            return Value::fromNumber(dt.date().day(), true);
        if (f == u"HOUR")
            return Value::fromNumber(dt.time().hour(), true);
        if (f == u"MINUTE")
            return Value::fromNumber(dt.time().minute(), true);
        if (f == u"SECOND")
            return Value::fromNumber(dt.time().second(), true);
        if (f == u"DATE")
            return Value::fromDateTime(std::trunc(n));
        return Value();
    }
    }

    // Binary operators.
    if (node.op == Op::And) {
        if (!eval(*node.children[0]).isTrue())
            return Value::fromBoolean(false);
        return Value::fromBoolean(eval(*node.children[1]).isTrue());
    }
    if (node.op == Op::Or) {
        if (eval(*node.children[0]).isTrue())
            return Value::fromBoolean(true);
        return Value::fromBoolean(eval(*node.children[1]).isTrue());
    }
    const Value a = eval(*node.children[0]);
    const Value b = eval(*node.children[1]);
    switch (node.op) {
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: {
        if (a.type == Value::Null || b.type == Value::Null)
            return Value::fromBoolean(false);
        // 'abc*' compared with "=" matches as a prefix.
        if ((node.op == Op::Eq || node.op == Op::Ne) && m_partialCompare && b.type == Value::Text &&
            b.text.endsWith(u'*') && a.type == Value::Text) {
            const bool match =
                a.text.startsWith(QStringView(b.text).chopped(1),
                                  m_caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
            return Value::fromBoolean(match == (node.op == Op::Eq));
        }
        bool comparable = false;
        const int c = compareValues(a, b, comparable);
        switch (node.op) {
        case Op::Eq:
            return Value::fromBoolean(c == 0);
        case Op::Ne:
            return Value::fromBoolean(c != 0);
        case Op::Lt:
            return Value::fromBoolean(c < 0);
        case Op::Gt:
            return Value::fromBoolean(c > 0);
        case Op::Le:
            return Value::fromBoolean(c <= 0);
        default:
            return Value::fromBoolean(c >= 0);
        }
    }
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div: {
        if (a.type == Value::Null || b.type == Value::Null)
            return Value();
        if (node.op == Op::Add && (a.type == Value::Text || b.type == Value::Text)) {
            double x = 0, y = 0;
            if (!(a.type == Value::Text && b.type == Value::Text) && asNumber(a, x) &&
                asNumber(b, y))
                return Value::fromNumber(x + y);
            return Value::fromText(asText(a) + asText(b));
        }
        double x = 0, y = 0;
        if (!asNumber(a, x) || !asNumber(b, y))
            return Value();
        const bool integer = a.integer && b.integer;
        const bool dateResult = (a.type == Value::DateTime) != (b.type == Value::DateTime) &&
                                (node.op == Op::Add || node.op == Op::Sub);
        double r = 0;
        switch (node.op) {
        case Op::Add:
            r = x + y;
            break;
        case Op::Sub:
            r = x - y;
            break;
        case Op::Mul:
            r = x * y;
            break;
        default:
            if (y == 0)
                return Value();
            return Value::fromNumber(x / y);
        }
        return dateResult ? Value::fromDateTime(r) : Value::fromNumber(r, integer);
    }
    default:
        break;
    }
    return Value();
}

QVariant Expression::evaluateAggregate(
    const std::function<void(const std::function<void()> &visit)> &forEach) const
{
    for (Node *agg : m_aggregates) {
        agg->sum = 0;
        agg->count = 0;
        agg->extreme = Value();
    }
    forEach([this] {
        for (Node *agg : m_aggregates) {
            if (agg->children.empty()) { // COUNT(*)
                ++agg->count;
                continue;
            }
            const Value v = eval(*agg->children[0]);
            if (v.type == Value::Null)
                continue;
            ++agg->count;
            if (agg->name == u"MIN" || agg->name == u"MAX") {
                bool comparable = false;
                const int c = agg->extreme.type == Value::Null
                                  ? 0
                                  : compareValues(v, agg->extreme, comparable);
                if (agg->extreme.type == Value::Null || (agg->name == u"MIN" ? c < 0 : c > 0))
                    agg->extreme = v;
            } else if (agg->name != u"COUNT") {
                double n = 0;
                if (asNumber(v, n))
                    agg->sum += n;
            }
        }
    });
    for (Node *agg : m_aggregates) {
        if (agg->name == u"COUNT")
            agg->result = Value::fromNumber(double(agg->count), true);
        else if (agg->count == 0)
            agg->result = Value();
        else if (agg->name == u"SUM")
            agg->result = Value::fromNumber(agg->sum);
        else if (agg->name == u"AVG")
            agg->result = Value::fromNumber(agg->sum / double(agg->count));
        else
            agg->result = agg->extreme;
    }
    return eval(*m_root).toVariant();
}

} // namespace DataInternal
