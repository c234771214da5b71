// A table of a PostgreSQL account set as the write path needs it: the same TableSchema an
// SQLite account set gives for the same table.
#pragma once

#include "server/schema.h"

#include <QString>

namespace pg {
class Connection;
}

namespace server {

// The table of the session's temporary tables or current schema whose name matches without
// regard to case (PostgreSQL folds names to lower case; the client spells them as it likes).
// Columns are typed by the declared type an account set copied from SQLite keeps as each
// column's comment, else by their PostgreSQL type. Where PostgreSQL's rules differ from
// SQLite's, the schema says what PostgreSQL does: an identity key has a default, and every
// primary-key column is not null.
// Throws RequestError when there is no such table.
TableSchema loadPostgresTableSchema(pg::Connection &connection, const QString &table);

} // namespace server
