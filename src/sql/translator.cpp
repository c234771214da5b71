#include "sql/translator.h"

namespace sql {

Translator::Translator(sqlite3 *db)
    : m_db(db)
{}

Translator::~Translator() = default;

// Placeholder until the translator lands: passes the text through untouched.
std::shared_ptr<const Translation> Translator::translate(std::string_view text, Dialect)
{
    auto translation = std::make_shared<Translation>();
    translation->sql = std::string(text);
    return translation;
}

void registerExtensions(sqlite3 *) {}

} // namespace sql
