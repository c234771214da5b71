// The "alias list, then join" form. In `from CGTH M, HP H, M inner join H on M.HPID=H.ID` the
// bare names M and H in the last item are the aliases declared before it, not tables; the FROM
// clause means CGTH M INNER JOIN HP H ON M.HPID=H.ID, with no cross product. Each join item
// attaches to the tree that already holds its left alias, so chains (Z-b, Z-y, y-c) and a left
// alias used twice build one tree.
#include "sql/rewriter.h"

#include "sql/tokenizer.h"
#include "sql/walker.h"

#include <algorithm>

namespace sql {

namespace {

struct JoinStep
{
    JoinType type;
    SourcePtr right;
    ExprPtr on;
    int position;
};

// Splits a left-deep join into its leftmost source and the steps that follow it.
void flatten(SourcePtr source, SourcePtr &leftmost, std::vector<JoinStep> &steps)
{
    if (source->kind != SourceKind::Join) {
        leftmost = std::move(source);
        return;
    }
    auto &join = source->as<JoinRef>();
    flatten(std::move(join.left), leftmost, steps);
    steps.push_back({join.type, std::move(join.right), std::move(join.on), join.position});
}

std::string declaredName(const TableSource &source)
{
    if (!source.alias.empty())
        return toLower(source.alias);
    if (source.kind == SourceKind::Table)
        return toLower(source.as<TableRef>().name);
    return {};
}

// A bare table name (no alias of its own) that names an alias declared in the list.
bool isAliasUse(const TableSource &source, const std::vector<std::string> &declared)
{
    if (source.kind != SourceKind::Table || !source.alias.empty())
        return false;
    const std::string name = toLower(source.as<TableRef>().name);
    return std::find(declared.begin(), declared.end(), name) != declared.end();
}

bool usesDeclaredAlias(const TableSource &source, const std::vector<std::string> &declared)
{
    if (source.kind == SourceKind::Join) {
        const auto &join = source.as<JoinRef>();
        return usesDeclaredAlias(*join.left, declared) || usesDeclaredAlias(*join.right, declared);
    }
    return isAliasUse(source, declared);
}

class AliasJoinRewriter : public Walker
{
protected:
    bool visitCore(SelectCore &core) override
    {
        rewrite(core.from);
        return true;
    }

private:
    void rewrite(std::vector<SourcePtr> &from)
    {
        if (from.size() < 2)
            return;
        std::vector<bool> isJoinItem(from.size());
        std::vector<std::string> declared; // aliases the comma list declares
        for (size_t i = 0; i < from.size(); ++i) {
            isJoinItem[i] = from[i]->kind == SourceKind::Join;
            if (!isJoinItem[i] && !from[i]->alias.empty())
                declared.push_back(toLower(from[i]->alias));
        }
        bool found = false;
        for (size_t i = 0; i < from.size(); ++i) {
            if (isJoinItem[i] && usesDeclaredAlias(*from[i], declared))
                found = true;
        }
        if (!found)
            return;

        std::vector<SourcePtr> items = std::move(from);
        from.clear();
        std::vector<SourcePtr> trees;
        std::vector<std::vector<std::string>> members; // aliases held by each tree

        // Takes the declaration an alias names out of the list (null when it is not declared,
        // or already taken).
        auto takeDeclaration = [&](const std::string &alias) -> SourcePtr {
            for (size_t i = 0; i < items.size(); ++i) {
                if (items[i] && !isJoinItem[i] && declaredName(*items[i]) == alias)
                    return std::move(items[i]);
            }
            return nullptr;
        };
        auto treeHolding = [&](const std::string &alias) -> int {
            for (size_t t = 0; t < members.size(); ++t) {
                if (std::find(members[t].begin(), members[t].end(), alias) != members[t].end())
                    return int(t);
            }
            return -1;
        };
        auto resolve = [&](SourcePtr source) -> SourcePtr {
            if (!isAliasUse(*source, declared))
                return source;
            const std::string alias = toLower(source->as<TableRef>().name);
            SourcePtr declaration = takeDeclaration(alias);
            if (!declaration)
                throw TranslateError("table alias " + source->as<TableRef>().name +
                                     " is joined more than once");
            return declaration;
        };

        for (size_t i = 0; i < items.size(); ++i) {
            if (!isJoinItem[i] || !usesDeclaredAlias(*items[i], declared))
                continue;
            SourcePtr leftmost;
            std::vector<JoinStep> steps;
            flatten(std::move(items[i]), leftmost, steps);

            std::string leftAlias = declaredName(*leftmost);
            int tree = leftAlias.empty() ? -1 : treeHolding(leftAlias);
            if (tree < 0) {
                trees.push_back(resolve(std::move(leftmost)));
                members.push_back({declaredName(*trees.back())});
                tree = int(trees.size()) - 1;
            }
            for (JoinStep &step : steps) {
                SourcePtr right = resolve(std::move(step.right));
                const std::string rightAlias = declaredName(*right);
                if (!rightAlias.empty() && treeHolding(rightAlias) >= 0)
                    throw TranslateError("table alias " + rightAlias + " is joined more than once");
                members[size_t(tree)].push_back(rightAlias);
                trees[size_t(tree)] =
                    std::make_unique<JoinRef>(step.type, std::move(trees[size_t(tree)]),
                                              std::move(right), std::move(step.on), step.position);
            }
        }
        for (SourcePtr &tree : trees)
            from.push_back(std::move(tree));
        for (SourcePtr &item : items) {
            if (item)
                from.push_back(std::move(item));
        }
    }
};

} // namespace

void rewriteAliasJoins(StatementNode &statement)
{
    AliasJoinRewriter rewriter;
    rewriter.walkStatement(statement);
}

} // namespace sql
