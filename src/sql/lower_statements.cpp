// Lowering of statements: canonical values written into date and Yes/No columns, work tables
// created in the storage conventions, and the entry point of the pass.
#include "sql/datetime.h"
#include "sql/emitter.h"
#include "sql/functions.h"
#include "sql/lowering.h"
#include "sql/tokenizer.h"
#include "sql/types.h"

namespace sql {

namespace lowering {

// A value written into a date or Yes/No column is stored in canonical form.
void Lowerer::coerceForColumn(ExprPtr &value, const ColumnInfo &column, const std::string &table)
{
    // SQLite converts by the column's affinity; an engine with strict types needs the cast.
    if (m_target.nativeDates() && !isLiteral(*value, LiteralKind::Null)) {
        if ((column.type == ValueType::Integer || column.type == ValueType::Float) &&
            value->type == ValueType::Text) {
            value = castTo(std::move(value), m_target.castType(column.type), column.type);
            return;
        }
        if (column.type == ValueType::Text && value->type != ValueType::Text &&
            value->type != ValueType::Unknown) {
            value = textArgument(std::move(value));
            return;
        }
    }
    const std::string where = " for " + table + "." + column.name;
    if (isTemporal(column.type)) {
        if (isLiteral(*value, LiteralKind::Null))
            return;
        // A date column read back is canonical already; a computed date (now() at midnight)
        // may not be.
        if (isTemporal(value->type) && (m_target.nativeDates() || value->kind == ExprKind::Column ||
                                        isLiteral(*value, LiteralKind::String)))
            return;
        if (isLiteral(*value, LiteralKind::String)) {
            auto &literal = value->as<LiteralExpr>();
            if (literal.text.empty()) {
                value =
                    typed(std::make_unique<LiteralExpr>(LiteralKind::Null, "NULL"), column.type);
                return;
            }
            auto canonical = canonicalDateTime(literal.text);
            if (!canonical)
                fail("invalid date '" + literal.text + "'" + where, value->position);
            literal.text = *canonical;
            literal.type = column.type;
            return;
        }
        if (auto number = numericLiteral(*value)) {
            auto text = dateTimeFromSerial(*number);
            if (!text)
                fail("the number " + value->toSql() + " is not a date" + where, value->position);
            value = stringLiteral(*text, column.type);
            return;
        }
        value = call("vz_datetime", list(std::move(value)), column.type);
        return;
    }
    if (column.type == ValueType::Boolean) {
        if (isLiteral(*value, LiteralKind::Null)) {
            value = m_target.booleanLiteral(false);
            return;
        }
        if (isLiteral(*value, LiteralKind::Boolean)) {
            value = m_target.booleanLiteral(value->as<LiteralExpr>().text != "0");
            return;
        }
        if (auto number = numericLiteral(*value)) {
            value = m_target.booleanLiteral(*number != 0);
            return;
        }
        if (isLiteral(*value, LiteralKind::String)) {
            const std::string text = toLower(value->as<LiteralExpr>().text);
            int truth = -1;
            for (const char *t : {"true", "yes", "on", "-1", "1"}) {
                if (text == t)
                    truth = 1;
            }
            for (const char *f : {"false", "no", "off", "0"}) {
                if (text == f)
                    truth = 0;
            }
            if (truth < 0)
                fail("'" + value->as<LiteralExpr>().text + "' is not a Yes/No value" + where,
                     value->position);
            value = m_target.booleanLiteral(truth == 1);
            return;
        }
        if (value->type == ValueType::Boolean)
            return;
        auto c = std::make_unique<CaseExpr>();
        c->whens.push_back({m_target.condition(std::move(value)), m_target.booleanLiteral(true)});
        c->elseResult = m_target.booleanLiteral(false);
        value = typed(std::move(c), ValueType::Boolean);
    }
}

void Lowerer::coerceSelectForColumns(SelectStmt &select,
                                     const std::vector<const ColumnInfo *> &columns,
                                     const std::string &table)
{
    forEachMemberColumn(select, [&](SelectCore &, ResultColumn &column, size_t result) {
        if (result < columns.size() && columns[result])
            coerceForColumn(column.expr, *columns[result], table);
    });
}

void Lowerer::lowerCreateTable(CreateTableStatement &create)
{
    for (ColumnDef &column : create.columns) {
        const DeclaredType declared = mapDeclaredType(column.type.toSql());
        const bool integerKey = column.primaryKey && declared.type == ValueType::Integer;
        // The type the column has where the account set lives in SQLite, which decides its
        // size and whether its numbers are REAL; another engine keeps it beside its own.
        const std::string sqliteType =
            Target::of(Engine::Sqlite).columnType(declared, column.type, integerKey).toSql();
        column.type = m_target.columnType(declared, column.type, integerKey);
        if (m_target.engine() != Engine::Sqlite && column.type.toSql() != sqliteType)
            column.declared = sqliteType;
        if (declared.type == ValueType::Text)
            column.collation = m_target.columnCollation();
        // Jet's Yes/No fields are never Null and start as No.
        if (declared.type == ValueType::Boolean) {
            column.notNull = true;
            auto number = column.defaultValue ? numericLiteral(*column.defaultValue) : std::nullopt;
            if (!column.defaultValue || number)
                column.defaultValue = m_target.booleanLiteral(number && *number != 0);
        }
    }
}

// The engine's spelling of Jet's & once each chain is one call.
class AmpersandSpelling : public Walker
{
public:
    explicit AmpersandSpelling(const Target &target)
        : m_target(target)
    {}

protected:
    void leaveExpr(ExprPtr &expr) override
    {
        if (expr->kind == ExprKind::Function && expr->as<FunctionExpr>().lowered &&
            expr->as<FunctionExpr>().name == "vz_amp")
            expr = m_target.ampersand(std::move(expr->as<FunctionExpr>().args));
    }

private:
    const Target &m_target;
};

void Lowerer::lower(StatementNode &statement, const TableInfo *target)
{
    walkStatement(statement);
    if (m_target.engine() != Engine::Sqlite) {
        AmpersandSpelling spelling(m_target);
        spelling.walkStatement(statement);
    }
    switch (statement.kind) {
    case StatementKind::Insert: {
        auto &insert = statement.as<InsertStatement>();
        if (!target)
            return;
        std::vector<const ColumnInfo *> columns;
        if (insert.columns.empty()) {
            for (const ColumnInfo &column : target->columns)
                columns.push_back(&column);
        } else {
            for (const std::string &name : insert.columns)
                columns.push_back(target->column(name));
        }
        for (ExprList &row : insert.rows) {
            for (size_t i = 0; i < row.size() && i < columns.size(); ++i) {
                if (columns[i])
                    coerceForColumn(row[i], *columns[i], target->name);
            }
        }
        if (insert.select)
            coerceSelectForColumns(*insert.select, columns, target->name);
        return;
    }
    case StatementKind::Update: {
        if (!target)
            return;
        for (Assignment &assignment : statement.as<UpdateStatement>().assignments) {
            if (const ColumnInfo *column = target->column(assignment.column))
                coerceForColumn(assignment.value, *column, target->name);
        }
        return;
    }
    case StatementKind::CreateTable:
        lowerCreateTable(statement.as<CreateTableStatement>());
        return;
    default:
        return;
    }
}

} // namespace lowering

void lowerStatement(StatementNode &statement, const LoweringOptions &options, std::string_view text,
                    const TableInfo *target)
{
    lowering::Lowerer lowerer(options, text);
    lowerer.lower(statement, target);
}

} // namespace sql
