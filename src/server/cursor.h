// An open query of a session: the statement on its own reader connection, its field
// definitions, and the packets it hands out until the result is exhausted.
#pragma once

#include "server/sessiondb.h"
#include "wire/protocol.h"

#include <QList>

#include <memory>

namespace server {

// Packets stop growing past this size even when the client asked for more rows.
constexpr qsizetype MaxPacketBytes = 16 * 1024 * 1024;

class Cursor
{
public:
    // Takes over the statement (prepared on reader) and gives the reader back to home when
    // it is destroyed.
    Cursor(SessionDatabase &home, std::unique_ptr<sql::Database> reader, sqlite3_stmt *stmt,
           QList<wire::Field> fields);
    ~Cursor();
    Cursor(const Cursor &) = delete;
    Cursor &operator=(const Cursor &) = delete;

    // Steps to the first row, so that columns without a declared type take the type of its
    // values before the field definitions go out.
    void peek();

    const QList<wire::Field> &fields() const { return m_fields; }

    // Writes the next rows (at most maxRows, or no limit when maxRows <= 0) as one CBOR
    // array into the frame; true when the result is exhausted. Throws RequestError when a
    // row cannot be read (the time limit among them).
    bool writePacket(wire::FrameBuilder &frame, int maxRows);

    bool exhausted() const { return m_exhausted; }

private:
    bool stepAhead(); // false when the result is exhausted
    void refineTypes();

    SessionDatabase &m_home;
    std::unique_ptr<sql::Database> m_reader;
    sqlite3_stmt *m_stmt;
    QList<wire::Field> m_fields;
    QList<wire::ValueType> m_types;
    bool m_exhausted = false;
    bool m_rowReady = false; // the statement sits on a row not sent yet
    int m_unknownTypes = 0;
};

} // namespace server
