// Rows of the demo data: a prepared insert, the document model, and the writer that
// stores a document in its header and lines tables.
#pragma once

#include "sql/database.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace demodata::Internal {

struct Null
{
};

// One prepared INSERT; values are bound in column order and run() stores the row.
class Inserter
{
public:
    Inserter(sql::Database &db, const std::string &table, std::initializer_list<const char *> cols)
    {
        std::string names;
        std::string marks;
        for (const char *column : cols) {
            names += (names.empty() ? "" : ", ") + std::string(column);
            marks += marks.empty() ? "?" : ", ?";
        }
        m_columns = int(cols.size());
        m_statement =
            db.prepare("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")");
    }

    Inserter &operator<<(int value) { return *this << int64_t(value); }
    Inserter &operator<<(int64_t value)
    {
        m_statement.bind(m_next++, value);
        return *this;
    }
    Inserter &operator<<(double value)
    {
        m_statement.bind(m_next++, value);
        return *this;
    }
    Inserter &operator<<(bool value) { return *this << int64_t(value ? 1 : 0); }
    // Empty text is stored as NULL, as a field nobody filled in.
    Inserter &operator<<(std::string_view value)
    {
        if (value.empty())
            m_statement.bindNull(m_next++);
        else
            m_statement.bind(m_next++, value);
        return *this;
    }
    Inserter &operator<<(const std::string &value) { return *this << std::string_view(value); }
    Inserter &operator<<(const char *value) { return *this << std::string_view(value); }
    Inserter &operator<<(Null)
    {
        m_statement.bindNull(m_next++);
        return *this;
    }

    void run()
    {
        if (m_next != m_columns + 1)
            throw sql::Error("demo data: wrong number of values for an insert");
        m_statement.step();
        m_statement.reset();
        m_next = 1;
    }

private:
    sql::Statement m_statement;
    int m_columns = 0;
    int m_next = 1;
};

// The document kinds: number prefix, header and lines tables.
enum class Kind {
    Cgsq,
    Cgdd,
    Cgsh,
    Cgth,
    Xsdd,
    Xskd,
    Xsth,
    Xssk,
    Cgfk,
    Ll,
    Tl,
    Ckdb,
    Kcpd,
    Qtkcbd,
    Cpjc,
    Fykz,
    Qtsr,
};
constexpr int kKindCount = int(Kind::Qtsr) + 1;

struct KindInfo
{
    const char *prefix;
    const char *header;
    const char *lines;
    bool discountedLines; // the lines carry NZK, so their amount is SL x DJ x NZK
};

constexpr KindInfo kKinds[kKindCount] = {
    {"CQ", "CGSQZB", "CGSQ", false}, {"CD", "CGDDZB", "CGDD", true},
    {"CS", "CGSHZB", "CGSH", true},  {"CT", "CGTHZB", "CGTH", true},
    {"XD", "XSDDZB", "XSDD", true},  {"XS", "XSKDZB", "XSKD", true},
    {"XT", "XSTHZB", "XSTH", true},  {"XK", "XSSKZB", "XSSK", false},
    {"CK", "CGFKZB", "CGFK", false}, {"LL", "LLZB", "LL", false},
    {"TL", "TLZB", "TL", false},     {"DB", "CKDBZB", "CKDB", false},
    {"PD", "KCPDZB", "KCPD", false}, {"QB", "QTKCBDZB", "QTKCBD", false},
    {"CP", "CPJCZB", "CPJC", false}, {"KZ", "FYKZZB", "FYKZ", false},
    {"SR", "QTSRZB", "QTSR", false},
};

inline const KindInfo &info(Kind kind)
{
    return kKinds[int(kind)];
}

struct Line
{
    int hpid = 0;
    double sl = 0;
    double dj = 0;
    double nzk = 1;
    double nsl = 0;
    double cbdj = 0;
    double kcsl = 0;
    double je = 0;   // expense, income and settlement lines
    double paid = 0; // settlement lines: paid on the settled document before this one
    int ckid = 0;
    int srzclbid = 0;
    int ddid = 0;
    std::string srcno;
    int srcseq = 0;
    std::string zy;
};

struct Document
{
    Kind kind = Kind::Cgsq;
    int64_t id = 0;
    std::string djbh;
    std::string rq;
    std::string stamp; // yyyyMMddhhmmss of entry, the stem of the lines' RECID
    int uFlag = 0;
    double je = 0;
    std::string bz, czy, auditName, jsr, billType, srcBillNo, ywy, priceLevel, dbType, ph, jhrq;
    int ygid = 0, ckid = 0, bmid = 0, gysid = 0, khid = 0, cglx = 0, xslx = 0, thlx = 0, fplx = 0,
        sfkfsid = 0, zhid = 0, dccid = 0, drcid = 0, qtkcbdlxid = 0, crlx = 0, fklx = 0;
    double xfje = 0, yfje = 0, xsje = 0, ysje = 0, skqx = 0, nzk = 1, fkje = 0;
    bool zt = false;
    std::vector<Line> lines;
};

enum class Field;

// Writes documents into their header and lines tables. The columns come from the live
// schema, so a table stores every field the model has and keeps its defaults for the rest.
class DocumentWriter
{
public:
    explicit DocumentWriter(sql::Database &db);
    ~DocumentWriter();

    void write(const Document &doc);

private:
    struct Insert
    {
        sql::Statement statement;
        std::vector<Field> fields;
    };
    struct Tables
    {
        Insert header;
        Insert lines;
    };

    Insert prepare(const char *table);
    Tables &tablesFor(Kind kind);
    void bindLine(sql::Statement &s, int i, Field field, const Document &d, int hh, const Line &l);

    sql::Database &m_db;
    std::array<std::optional<Tables>, kKindCount> m_tables;
    std::string m_recid;
};

} // namespace demodata::Internal
