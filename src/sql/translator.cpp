// The translator's pipeline (parse, alias joins, bind, lower, emit) and its cache.
#include "sql/translator.h"

#include "sql/binder.h"
#include "sql/emitter.h"
#include "sql/parser.h"
#include "sql/rewriter.h"
#include "sql/schema.h"
#include "sql/target.h"

#include <list>
#include <mutex>

namespace sql {

struct Translator::Private
{
    Private(std::unique_ptr<SchemaCatalog> schema, Engine engine)
        : catalog(std::move(schema))
        , engine(engine)
    {}

    std::shared_ptr<const Translation> translate(std::string_view text, Dialect dialect);
    void refreshSchema()
    {
        if (catalog->refreshIfChanged())
            clear();
    }
    void clear()
    {
        lru.clear();
        index.clear();
    }

    using Entry = std::pair<std::string, std::shared_ptr<const Translation>>;

    const std::unique_ptr<SchemaCatalog> catalog;
    const Engine engine;
    mutable std::mutex mutex;
    size_t capacity = 4096;
    bool optimize = true;
    std::list<Entry> lru; // most recently used first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index;
};

std::shared_ptr<const Translation> Translator::Private::translate(std::string_view text,
                                                                  Dialect dialect)
{
    Parser parser(text, dialect);
    StatementPtr statement = parser.parseStatement();
    rewriteAliasJoins(*statement);

    Binder binder(*catalog, dialect, text);
    binder.bind(*statement);

    const TableInfo *target = nullptr;
    if (statement->kind == StatementKind::Insert || statement->kind == StatementKind::Update)
        target = catalog->find(binder.table());
    LoweringOptions options;
    options.dialect = dialect;
    options.engine = engine;
    lowerStatement(*statement, options, text, target);
    if (optimize)
        optimizeQuery(*statement, *catalog);

    auto translation = std::make_shared<Translation>();
    translation->kind = statement->kind;
    translation->sql = SqlWriter(Target::of(engine).style()).statement(*statement);
    translation->table = binder.table();
    translation->references = binder.references();
    if (statement->kind == StatementKind::Select)
        translation->columns = statement->as<SelectStatement>().select->result;
    return translation;
}

Translator::Translator(sqlite3 *db, Engine engine)
    : d(std::make_unique<Private>(std::make_unique<SqliteSchema>(db), engine))
{}

Translator::Translator(std::unique_ptr<SchemaCatalog> schema, Engine engine)
    : d(std::make_unique<Private>(std::move(schema), engine))
{}

Translator::~Translator() = default;

Engine Translator::engine() const
{
    return d->engine;
}

std::shared_ptr<const Translation> Translator::translate(std::string_view text, Dialect dialect)
{
    std::lock_guard lock(d->mutex);
    d->refreshSchema();
    std::string key;
    key.reserve(text.size() + 1);
    key += dialect == Dialect::Jet ? 'J' : 'T';
    key += text;
    if (auto it = d->index.find(key); it != d->index.end()) {
        d->lru.splice(d->lru.begin(), d->lru, it->second);
        return it->second->second;
    }
    auto translation = d->translate(text, dialect);
    if (d->capacity == 0)
        return translation;
    d->lru.emplace_front(std::move(key), translation);
    d->index.emplace(d->lru.front().first, d->lru.begin());
    while (d->lru.size() > d->capacity) {
        d->index.erase(d->lru.back().first);
        d->lru.pop_back();
    }
    return translation;
}

std::shared_ptr<const Translation> Translator::translateUncached(std::string_view text,
                                                                 Dialect dialect)
{
    std::lock_guard lock(d->mutex);
    d->refreshSchema();
    return d->translate(text, dialect);
}

std::optional<TableInfo> Translator::table(std::string_view name)
{
    std::lock_guard lock(d->mutex);
    d->refreshSchema();
    const TableInfo *info = d->catalog->find(name);
    if (!info)
        return std::nullopt;
    return *info;
}

std::vector<std::string> Translator::tableNames()
{
    std::lock_guard lock(d->mutex);
    d->refreshSchema();
    return d->catalog->tableNames();
}

void Translator::clearCache()
{
    std::lock_guard lock(d->mutex);
    d->clear();
}

void Translator::setOptimize(bool on)
{
    std::lock_guard lock(d->mutex);
    if (d->optimize == on)
        return;
    d->optimize = on;
    d->clear();
}

size_t Translator::cacheSize() const
{
    std::lock_guard lock(d->mutex);
    return d->lru.size();
}

void Translator::setCacheCapacity(size_t entries)
{
    std::lock_guard lock(d->mutex);
    d->capacity = entries;
    while (d->lru.size() > d->capacity) {
        d->index.erase(d->lru.back().first);
        d->lru.pop_back();
    }
}

std::vector<std::string_view> splitStatementViews(std::string_view script, Dialect dialect)
{
    Parser parser(script, dialect);
    return parser.splitScript();
}

std::vector<std::string> splitStatements(std::string_view script, Dialect dialect)
{
    Parser parser(script, dialect);
    std::vector<std::string> statements;
    for (std::string_view statement : parser.splitScript())
        statements.emplace_back(statement);
    return statements;
}

} // namespace sql
