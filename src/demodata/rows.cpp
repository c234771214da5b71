// The writer of demo documents; see rows.h.
#include "demodata/rows.h"

#include <QByteArray>

namespace demodata::Internal {

// The columns the writer knows how to fill; a table stores those of them it has.
enum class Field {
    ID,
    DJBH,
    RQ,
    JE,
    BZ,
    CZY,
    uFlag,
    AuditName,
    YGID,
    JSR,
    BillType,
    SrcBillNo,
    CKID,
    YWY,
    BMID,
    GYSID,
    KHID,
    CGLX,
    XSLX,
    THLX,
    FPLX,
    SFKFSID,
    ZHID,
    XFJE,
    YFJE,
    XSJE,
    YSJE,
    SKQX,
    PriceLevel,
    NZK,
    DCCID,
    DRCID,
    DBType,
    QTKCBDLXID,
    CRLX,
    JHRQ,
    ZT,
    FKLX,
    PH,
    FKJE,
    ZBID,
    HH,
    HPID,
    SL,
    DJ,
    NSL,
    CBDJ,
    KCSL,
    SRZCLBID,
    ZY,
    DDID,
    SRCNO,
    SRCSEQ,
    RECID,
};

namespace {

constexpr std::pair<const char *, Field> kFieldNames[] = {
    {"ID", Field::ID},
    {"DJBH", Field::DJBH},
    {"RQ", Field::RQ},
    {"JE", Field::JE},
    {"BZ", Field::BZ},
    {"CZY", Field::CZY},
    {"UFLAG", Field::uFlag},
    {"AUDITNAME", Field::AuditName},
    {"YGID", Field::YGID},
    {"JSR", Field::JSR},
    {"BILLTYPE", Field::BillType},
    {"SRCBILLNO", Field::SrcBillNo},
    {"CKID", Field::CKID},
    {"YWY", Field::YWY},
    {"BMID", Field::BMID},
    {"GYSID", Field::GYSID},
    {"KHID", Field::KHID},
    {"CGLX", Field::CGLX},
    {"XSLX", Field::XSLX},
    {"THLX", Field::THLX},
    {"FPLX", Field::FPLX},
    {"SFKFSID", Field::SFKFSID},
    {"ZHID", Field::ZHID},
    {"XFJE", Field::XFJE},
    {"YFJE", Field::YFJE},
    {"XSJE", Field::XSJE},
    {"YSJE", Field::YSJE},
    {"SKQX", Field::SKQX},
    {"PRICELEVEL", Field::PriceLevel},
    {"NZK", Field::NZK},
    {"DCCID", Field::DCCID},
    {"DRCID", Field::DRCID},
    {"DBTYPE", Field::DBType},
    {"QTKCBDLXID", Field::QTKCBDLXID},
    {"CRLX", Field::CRLX},
    {"JHRQ", Field::JHRQ},
    {"ZT", Field::ZT},
    {"FKLX", Field::FKLX},
    {"PH", Field::PH},
    {"FKJE", Field::FKJE},
    {"ZBID", Field::ZBID},
    {"HH", Field::HH},
    {"HPID", Field::HPID},
    {"SL", Field::SL},
    {"DJ", Field::DJ},
    {"NSL", Field::NSL},
    {"CBDJ", Field::CBDJ},
    {"KCSL", Field::KCSL},
    {"SRZCLBID", Field::SRZCLBID},
    {"ZY", Field::ZY},
    {"DDID", Field::DDID},
    {"SRCNO", Field::SRCNO},
    {"SRCSEQ", Field::SRCSEQ},
    {"RECID", Field::RECID},
};

std::optional<Field> fieldNamed(const std::string &column)
{
    const QByteArray upper = QByteArray::fromStdString(column).toUpper();
    for (const auto &[name, field] : kFieldNames) {
        if (upper == name)
            return field;
    }
    return std::nullopt;
}

void bindText(sql::Statement &s, int index, const std::string &text)
{
    if (text.empty())
        s.bindNull(index);
    else
        s.bind(index, std::string_view(text));
}

void bindHeader(sql::Statement &s, int i, Field field, const Document &d)
{
    switch (field) {
    case Field::ID:
        return s.bind(i, d.id);
    case Field::DJBH:
        return s.bind(i, std::string_view(d.djbh));
    case Field::RQ:
        return s.bind(i, std::string_view(d.rq));
    case Field::JE:
        return s.bind(i, d.je);
    case Field::BZ:
        return bindText(s, i, d.bz);
    case Field::CZY:
        return bindText(s, i, d.czy);
    case Field::uFlag:
        return s.bind(i, int64_t(d.uFlag));
    case Field::AuditName:
        return bindText(s, i, d.auditName);
    case Field::YGID:
        return s.bind(i, int64_t(d.ygid));
    case Field::JSR:
        return bindText(s, i, d.jsr);
    case Field::BillType:
        return bindText(s, i, d.billType);
    case Field::SrcBillNo:
        return bindText(s, i, d.srcBillNo);
    case Field::CKID:
        return s.bind(i, int64_t(d.ckid));
    case Field::YWY:
        return bindText(s, i, d.ywy);
    case Field::BMID:
        return s.bind(i, int64_t(d.bmid));
    case Field::GYSID:
        return s.bind(i, int64_t(d.gysid));
    case Field::KHID:
        return s.bind(i, int64_t(d.khid));
    case Field::CGLX:
        return s.bind(i, int64_t(d.cglx));
    case Field::XSLX:
        return s.bind(i, int64_t(d.xslx));
    case Field::THLX:
        return s.bind(i, int64_t(d.thlx));
    case Field::FPLX:
        return s.bind(i, int64_t(d.fplx));
    case Field::SFKFSID:
        return s.bind(i, int64_t(d.sfkfsid));
    case Field::ZHID:
        return s.bind(i, int64_t(d.zhid));
    case Field::XFJE:
        return s.bind(i, d.xfje);
    case Field::YFJE:
        return s.bind(i, d.yfje);
    case Field::XSJE:
        return s.bind(i, d.xsje);
    case Field::YSJE:
        return s.bind(i, d.ysje);
    case Field::SKQX:
        return s.bind(i, d.skqx);
    case Field::PriceLevel:
        return bindText(s, i, d.priceLevel);
    case Field::NZK:
        return s.bind(i, d.nzk);
    case Field::DCCID:
        return s.bind(i, int64_t(d.dccid));
    case Field::DRCID:
        return s.bind(i, int64_t(d.drcid));
    case Field::DBType:
        return bindText(s, i, d.dbType);
    case Field::QTKCBDLXID:
        return s.bind(i, int64_t(d.qtkcbdlxid));
    case Field::CRLX:
        return s.bind(i, int64_t(d.crlx));
    case Field::JHRQ:
        return bindText(s, i, d.jhrq);
    case Field::ZT:
        return s.bind(i, int64_t(d.zt ? 1 : 0));
    case Field::FKLX:
        return s.bind(i, int64_t(d.fklx));
    case Field::PH:
        return bindText(s, i, d.ph);
    case Field::FKJE:
        return s.bind(i, d.fkje);
    default:
        throw sql::Error("demo data: a header table has a line column");
    }
}

} // namespace

DocumentWriter::DocumentWriter(sql::Database &db)
    : m_db(db)
{}

DocumentWriter::~DocumentWriter() = default;

void DocumentWriter::write(const Document &doc)
{
    Tables &tables = tablesFor(doc.kind);
    int index = 1;
    for (const Field field : tables.header.fields)
        bindHeader(tables.header.statement, index++, field, doc);
    tables.header.statement.step();
    tables.header.statement.reset();

    for (size_t i = 0; i < doc.lines.size(); ++i) {
        index = 1;
        for (const Field field : tables.lines.fields)
            bindLine(tables.lines.statement, index++, field, doc, int(i) + 1, doc.lines[i]);
        tables.lines.statement.step();
        tables.lines.statement.reset();
    }
}

DocumentWriter::Insert DocumentWriter::prepare(const char *table)
{
    Insert insert;
    std::string names;
    std::string marks;
    sql::Statement columns = m_db.prepare(std::string("PRAGMA table_info(") + table + ")");
    while (columns.step()) {
        const std::string name = columns.columnText(1);
        const std::optional<Field> field = fieldNamed(name);
        if (!field)
            continue;
        insert.fields.push_back(*field);
        names += (names.empty() ? "" : ", ") + name;
        marks += marks.empty() ? "?" : ", ?";
    }
    insert.statement = m_db.prepare(std::string("INSERT INTO ") + table + " (" + names +
                                    ") VALUES (" + marks + ")");
    return insert;
}

DocumentWriter::Tables &DocumentWriter::tablesFor(Kind kind)
{
    std::optional<Tables> &tables = m_tables[size_t(kind)];
    if (!tables)
        tables = Tables{prepare(info(kind).header), prepare(info(kind).lines)};
    return *tables;
}

void DocumentWriter::bindLine(sql::Statement &s, int i, Field field, const Document &d, int hh,
                              const Line &l)
{
    switch (field) {
    case Field::ZBID:
        return s.bind(i, d.id);
    case Field::HH:
        return s.bind(i, int64_t(hh));
    case Field::RQ:
        return s.bind(i, std::string_view(d.rq));
    case Field::DJBH:
        return s.bind(i, std::string_view(d.djbh));
    case Field::HPID:
        return s.bind(i, int64_t(l.hpid));
    case Field::SL:
        return s.bind(i, l.sl);
    case Field::DJ:
        return s.bind(i, l.dj);
    case Field::NZK:
        return s.bind(i, l.nzk);
    case Field::NSL:
        return s.bind(i, l.nsl);
    case Field::CBDJ:
        return s.bind(i, l.cbdj);
    case Field::KCSL:
        return s.bind(i, l.kcsl);
    case Field::CKID:
        return s.bind(i, int64_t(l.ckid));
    case Field::DCCID:
        return s.bind(i, int64_t(d.dccid));
    case Field::DRCID:
        return s.bind(i, int64_t(d.drcid));
    case Field::CRLX:
        return s.bind(i, int64_t(d.crlx));
    case Field::SRZCLBID:
        return s.bind(i, int64_t(l.srzclbid));
    case Field::ZY:
        return bindText(s, i, l.zy);
    case Field::JE:
        return s.bind(i, l.je);
    case Field::DDID:
        return s.bind(i, int64_t(l.ddid));
    case Field::YSJE:
    case Field::YFJE:
        return s.bind(i, l.paid);
    case Field::FKJE:
        return s.bind(i, 0.0);
    case Field::SRCNO:
        return bindText(s, i, l.srcno);
    case Field::SRCSEQ:
        return s.bind(i, int64_t(l.srcseq));
    case Field::RECID:
        m_recid = d.stamp + '_' + std::to_string(hh);
        return s.bind(i, std::string_view(m_recid));
    default:
        throw sql::Error("demo data: a lines table has a header column");
    }
}

} // namespace demodata::Internal
