// Open queries of a session and the packets they hand out.
#include "server/cursor.h"

#include "server/passwordguard.h"
#include "server/requesterror.h"
#include "server/schema.h"
#include "server/storage.h"

namespace server {

Cursor::Cursor(SessionDatabase &home, std::unique_ptr<sql::Database> reader, sqlite3_stmt *stmt,
               QList<wire::Field> fields)
    : m_home(home)
    , m_reader(std::move(reader))
    , m_stmt(stmt)
    , m_fields(std::move(fields))
{
    m_types.reserve(m_fields.size());
    for (const wire::Field &field : m_fields) {
        m_types.append(field.type);
        if (field.type == wire::ValueType::Unknown)
            ++m_unknownTypes;
    }
}

void Cursor::maskPassword(int column)
{
    if (m_masked.isEmpty())
        m_masked.fill(false, m_fields.size());
    if (column >= 0 && column < m_masked.size())
        m_masked[column] = true;
}

Cursor::~Cursor()
{
    sqlite3_finalize(m_stmt);
    m_home.returnReader(std::move(m_reader));
}

bool Cursor::stepAhead()
{
    if (m_rowReady)
        return true;
    if (m_exhausted)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_DONE) {
        m_exhausted = true;
        return false;
    }
    if (rc != SQLITE_ROW)
        throwSqlError(m_reader->handle(), rc);
    m_rowReady = true;
    if (m_unknownTypes > 0)
        refineTypes();
    return true;
}

void Cursor::refineTypes()
{
    for (int c = 0; c < m_fields.size(); ++c) {
        if (m_types[c] != wire::ValueType::Unknown)
            continue;
        refineUnknownType(m_fields[c], m_stmt, c);
        if (m_fields[c].type != wire::ValueType::Unknown) {
            m_types[c] = m_fields[c].type;
            --m_unknownTypes;
        }
    }
}

void Cursor::peek()
{
    stepAhead();
}

bool Cursor::writePacket(wire::FrameBuilder &frame, const PacketLimits &limits)
{
    wire::CborWriter &writer = frame.writer();
    const int columns = int(m_fields.size());
    writer.startArray();
    // The statement always looks one row ahead, so the packet that holds the last row
    // already says that the result is exhausted.
    for (int written = 0; stepAhead(); ++written) {
        if (written > 0 && (written >= limits.rows || frame.size() >= limits.bytes))
            break;
        writer.startArray(quint64(columns));
        for (int c = 0; c < columns; ++c) {
            if (!m_masked.isEmpty() && m_masked[c]) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, c));
                const QByteArray shown =
                    PasswordGuard::masked(QString::fromUtf8(text ? text : "")).toUtf8();
                writer.appendTextString(shown.constData(), shown.size());
                continue;
            }
            writeWire(writer, m_stmt, c, m_types[c]);
        }
        writer.endArray();
        m_rowReady = false;
        if (frame.size() > limits.maxFrame)
            throw RequestError(wire::code::Limit,
                               QStringLiteral("a row of the result takes more than the %1 MiB "
                                              "a reply may hold: read its large columns apart")
                                   .arg(limits.maxFrame >> 20));
    }
    writer.endArray();
    return m_exhausted;
}

} // namespace server
