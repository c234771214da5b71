// An open query of a session: the statement on its own reader connection, its field
// definitions, and the packets it hands out until the result is exhausted.
#pragma once

#include "server/accountstore.h"
#include "server/sessiondb.h"
#include "wire/protocol.h"

#include <QList>

#include <memory>

namespace server {

class Cursor final : public QueryCursor
{
public:
    // Takes over the statement (prepared on reader) and gives the reader back to home when
    // it is destroyed.
    Cursor(SessionDatabase &home, std::unique_ptr<sql::Database> reader, sqlite3_stmt *stmt,
           QList<wire::Field> fields);
    ~Cursor() override;
    Cursor(const Cursor &) = delete;
    Cursor &operator=(const Cursor &) = delete;

    // Steps to the first row, so that columns without a declared type take the type of its
    // values before the field definitions go out.
    void peek();

    const QList<wire::Field> &fields() const override { return m_fields; }

    bool writePacket(wire::FrameBuilder &frame, const PacketLimits &limits) override;
    bool exhausted() const override { return m_exhausted; }

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
