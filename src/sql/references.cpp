// Which tables and columns a statement names, worked out from the text alone: used to check
// the client's SQL corpus against a schema that may not exist yet.
#include "sql/parser.h"
#include "sql/rewriter.h"
#include "sql/walker.h"

#include <algorithm>

namespace sql {

namespace {

class ReferenceCollector : public Walker
{
public:
    std::vector<ColumnReference> references;

    void add(const std::string &table, const std::string &column)
    {
        ColumnReference reference{table, column};
        if (std::find(references.begin(), references.end(), reference) == references.end())
            references.push_back(std::move(reference));
    }

    // The statement's own table (UPDATE, DELETE) is the scope of its expressions.
    void pushTable(const std::string &table, const std::string &alias)
    {
        Frame frame;
        frame.names.push_back({alias.empty() ? table : alias, table});
        m_frames.push_back(std::move(frame));
    }

protected:
    // Each member of a query is a scope; a single member's ORDER BY belongs to it.
    bool visitSelect(SelectStmt &select) override
    {
        for (auto &member : select.members) {
            enter(*member);
            walkCoreParts(*member);
            if (select.members.size() == 1) {
                for (OrderItem &item : select.orderBy)
                    walkExpr(item.expr);
            }
            m_frames.pop_back();
        }
        return false;
    }

    void enter(SelectCore &core)
    {
        Frame frame;
        for (const SourcePtr &source : core.from)
            collect(*source, frame);
        m_frames.push_back(std::move(frame));
        for (const ResultColumn &column : core.columns) {
            if (column.expr->kind != ExprKind::Star)
                continue;
            const std::string &qualifier = column.expr->as<StarExpr>().table;
            for (const auto &[name, table] : m_frames.back().names) {
                if (!table.empty() && (qualifier.empty() || equalsIgnoreCase(name, qualifier)))
                    add(table, "*");
            }
        }
    }

    bool visitExpr(ExprPtr &expr) override
    {
        if (expr->kind != ExprKind::Column)
            return true;
        const auto &column = expr->as<ColumnExpr>();
        if (!column.table.empty()) {
            for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame) {
                for (const auto &[name, table] : frame->names) {
                    if (equalsIgnoreCase(name, column.table)) {
                        if (!table.empty())
                            add(table, column.column);
                        return true;
                    }
                }
            }
            return true;
        }
        if (m_frames.empty())
            return true;
        const Frame &frame = m_frames.back();
        if (frame.names.size() == 1 && !frame.names.front().second.empty())
            add(frame.names.front().second, column.column);
        else
            add(std::string(), column.column);
        return true;
    }

private:
    struct Frame
    {
        std::vector<std::pair<std::string, std::string>> names; // name in the query -> base table
    };

    static void collect(const TableSource &source, Frame &frame)
    {
        switch (source.kind) {
        case SourceKind::Table: {
            const auto &table = source.as<TableRef>();
            frame.names.push_back({source.alias.empty() ? table.name : source.alias, table.name});
            return;
        }
        case SourceKind::Subquery:
            frame.names.push_back({source.alias, std::string()});
            return;
        case SourceKind::Join:
            collect(*source.as<JoinRef>().left, frame);
            collect(*source.as<JoinRef>().right, frame);
            return;
        }
    }

    std::vector<Frame> m_frames;
};

} // namespace

std::vector<ColumnReference> referencedColumns(std::string_view text, Dialect dialect)
{
    StatementPtr statement = parseStatement(text, dialect);
    rewriteAliasJoins(*statement);
    ReferenceCollector collector;
    switch (statement->kind) {
    case StatementKind::Insert: {
        const auto &insert = statement->as<InsertStatement>();
        for (const std::string &column : insert.columns)
            collector.add(insert.table, column);
        if (insert.columns.empty())
            collector.add(insert.table, "*");
        break;
    }
    case StatementKind::Update: {
        const auto &update = statement->as<UpdateStatement>();
        for (const Assignment &assignment : update.assignments)
            collector.add(update.table, assignment.column);
        collector.pushTable(update.table, update.alias);
        break;
    }
    case StatementKind::Delete: {
        const auto &del = statement->as<DeleteStatement>();
        collector.add(del.table, "*");
        collector.pushTable(del.table, del.alias);
        break;
    }
    case StatementKind::CreateTable: {
        const auto &create = statement->as<CreateTableStatement>();
        for (const ColumnDef &column : create.columns)
            collector.add(create.table, column.name);
        break;
    }
    case StatementKind::DropTable:
        collector.add(statement->as<DropTableStatement>().table, "*");
        break;
    default:
        break;
    }
    collector.walkStatement(*statement);
    return collector.references;
}

} // namespace sql
