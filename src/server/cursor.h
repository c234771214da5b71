// An open query of a session: the statement on its own reader connection, its field
// definitions, and the packets it hands out until the result is exhausted.
#pragma once

#include "server/sessiondb.h"
#include "wire/protocol.h"

#include <QList>

#include <memory>

namespace server {

// How much one packet may hold, whatever the client asked for.
struct PacketLimits
{
    int rows = 0;        // at most this many rows
    qint64 bytes = 0;    // no row is added once the reply has reached this size
    qint64 maxFrame = 0; // a reply larger than this cannot be sent at all
};

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

    // Writes the next rows, at least one and no more than the limits allow, as one CBOR array
    // into the frame; true when the result is exhausted. Throws RequestError when a row cannot
    // be read (the time limit among them) or alone takes more than a frame may hold.
    bool writePacket(wire::FrameBuilder &frame, const PacketLimits &limits);

    bool exhausted() const { return m_exhausted; }

    // The column holds stored passwords: it shows only whether one is set.
    void maskPassword(int column);

private:
    bool stepAhead(); // false when the result is exhausted
    void refineTypes();

    SessionDatabase &m_home;
    std::unique_ptr<sql::Database> m_reader;
    sqlite3_stmt *m_stmt;
    QList<wire::Field> m_fields;
    QList<wire::ValueType> m_types;
    QList<bool> m_masked;
    bool m_exhausted = false;
    bool m_rowReady = false; // the statement sits on a row not sent yet
    int m_unknownTypes = 0;
};

} // namespace server
