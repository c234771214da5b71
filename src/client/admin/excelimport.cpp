#include "client/admin/excelimport.h"

#include "client/common/gbk.h"
#include "client/common/sqltext.h"
#include "client/data/serveraccess.h"

#include <QDate>

#include <cmath>
#include <utility>

namespace {

struct TLookupTable
{
    const char *Table;
    const char *IdColumn;
    const char *NameColumn;
    const char *Where; // extra condition of the kind's rows
};

// The employee categories are rows of the project list under the fixed parent 9991.
constexpr TLookupTable LookupTables[TImportNames::KindCount] = {
    {"bm", "id", "mc", ""},
    {"pub_ItemType", "ItemType", "TypeName", ""},
    {"ck", "id", "mc", ""},
    {"zc_Project", "id", "name", " where pid=9991"},
};

QString latin(const char *text)
{
    return QString::fromLatin1(text);
}

// Numbers stored as text in the workbook ("1,200.50", " 3 ") are numbers all the same.
bool parseNumber(const QString &text, double *number)
{
    QString plain = text.trimmed();
    plain.remove(QLatin1Char(','));
    bool ok = false;
    *number = plain.toDouble(&ok);
    return ok;
}

} // namespace

void MapFieldsByHeading(QList<TImportField> &fields, const QStringList &headings)
{
    for (TImportField &field : fields) {
        const qsizetype column = headings.indexOf(field.Name);
        if (column >= 0)
            field.Column = int(column);
    }
}

TImportNames::Kind TImportNames::KindOfColumn(const QString &code)
{
    const QString upper = code.toUpper();
    if (upper == QLatin1String("BMID") || upper == QLatin1String("DEPART"))
        return Department;
    if (upper == QLatin1String("HPLBID"))
        return GoodsCategory;
    if (upper == QLatin1String("CKID"))
        return Warehouse;
    if (upper == QLatin1String("ITEMTYPE"))
        return EmployeeCategory;
    return KindCount;
}

QString TImportNames::LoadSQL(Kind kind)
{
    const TLookupTable &t = LookupTables[kind];
    return QStringLiteral("select %1,%2 from %3%4")
        .arg(latin(t.IdColumn), latin(t.NameColumn), latin(t.Table), latin(t.Where));
}

void TImportNames::Add(Kind kind, const QString &id, const QString &name)
{
    if (!m_ids[kind].contains(name))
        m_ids[kind].insert(name, id);
    bool ok = false;
    const qint64 number = id.toLongLong(&ok);
    if (ok && number >= m_nextId[kind])
        m_nextId[kind] = number + 1;
}

QString TImportNames::Resolve(Kind kind, const QString &name, QStringList *created)
{
    if (name.isEmpty())
        return QStringLiteral("1");
    const auto known = m_ids[kind].constFind(name);
    if (known != m_ids[kind].cend())
        return kind == EmployeeCategory ? QuotedStr(name) : *known;
    const QString id = QString::number(m_nextId[kind]++);
    m_ids[kind].insert(name, id);
    const TLookupTable &t = LookupTables[kind];
    if (kind == EmployeeCategory)
        *created << QStringLiteral(" insert into zc_Project(id,pid,name) values (") + id +
                        QStringLiteral(",9991,") + QuotedStr(name) + QLatin1Char(')');
    else
        *created << QStringLiteral(" insert into %1(%2,%3) values (")
                            .arg(latin(t.Table), latin(t.IdColumn), latin(t.NameColumn)) +
                        id + QLatin1Char(',') + QuotedStr(name) + QLatin1Char(')');
    // An employee's category is stored by name.
    return kind == EmployeeCategory ? QuotedStr(name) : id;
}

TImportBuilder::TImportBuilder(QString table, QList<TImportField> fields, bool withId,
                               TImportNames *names)
    : m_table(std::move(table))
    , m_fields(std::move(fields))
    , m_withId(withId)
    , m_names(names)
{
    QStringList columns;
    if (m_withId)
        columns << QStringLiteral("id");
    for (const TImportField &field : std::as_const(m_fields))
        if (field.Column >= 0)
            columns << field.Code;
    m_head = QStringLiteral(" Insert Into ") + m_table + QLatin1Char('(') +
             columns.join(QLatin1Char(',')) + QStringLiteral(") Values(");
}

bool TImportBuilder::ConvertValue(const QString &dataType, const QString &text, QString *value)
{
    double number = 0;
    if (dataType == QLatin1String("S")) {
        *value = text.isEmpty() ? QStringLiteral("Null") : QuotedStr(text);
        return true;
    }
    if (dataType == QLatin1String("F")) {
        if (text.trimmed().isEmpty()) {
            *value = QStringLiteral("0");
            return true;
        }
        if (!parseNumber(text, &number))
            return false;
        *value = QString::number(number, 'g', 17);
        return true;
    }
    // Any other type: a date, a number or a text, each written so that it stays what it is.
    if (text.isEmpty()) {
        *value = QStringLiteral("Null");
    } else if (parseNumber(text, &number)) {
        *value = QString::number(number, 'g', 17);
    } else if (const QDate date = QDate::fromString(text.left(10), Qt::ISODate); date.isValid()) {
        *value = QLatin1Char('#') + text + QLatin1Char('#');
    } else {
        *value = QuotedStr(text);
    }
    return true;
}

bool TImportBuilder::AddRow(const QStringList &cells, QString *error)
{
    const TImportField *key = m_fields.isEmpty() ? nullptr : &m_fields.first();
    if (!key || key->Column < 0 || cells.value(key->Column).trimmed().isEmpty())
        return true;
    // Every value is checked before a look-up creates a row, so that a refused row leaves
    // no category behind that no statement inserts.
    QStringList values;
    QList<int> lookups;
    for (const TImportField &field : std::as_const(m_fields)) {
        if (field.Column < 0)
            continue;
        const QString text = cells.value(field.Column).trimmed();
        const TImportNames::Kind kind = TImportNames::KindOfColumn(field.Code);
        const bool lookup =
            kind != TImportNames::KindCount &&
            !(kind == TImportNames::Warehouse && (text.isEmpty() || text == QLatin1String("0")));
        if (field.MaxBytes > 0 && !lookup && GbkLength(text) > field.MaxBytes) {
            *error = QStringLiteral("【%1】超过%2个字节：%3")
                         .arg(field.Name)
                         .arg(field.MaxBytes)
                         .arg(text);
            return false;
        }
        if (field.Required && text.isEmpty() && field.DataType != QLatin1String("F")) {
            *error = QStringLiteral("【%1】不能为空").arg(field.Name);
            return false;
        }
        QString value;
        if (lookup) {
            lookups << int(values.size());
            value = text;
        } else if (kind == TImportNames::Warehouse) {
            value = QStringLiteral("0"); // no warehouse; the column takes no null
        } else if (!ConvertValue(field.DataType, text, &value)) {
            *error = QStringLiteral("【%1】不是数字：%2").arg(field.Name, text);
            return false;
        }
        values << value;
    }
    int position = 0;
    for (const TImportField &field : std::as_const(m_fields)) {
        if (field.Column < 0)
            continue;
        if (lookups.contains(position))
            values[position] = m_names->Resolve(TImportNames::KindOfColumn(field.Code),
                                                values[position], &m_created);
        ++position;
    }
    if (m_withId) {
        TImportedGoods goods{m_counter + 1};
        int at = 0;
        for (const TImportField &field : std::as_const(m_fields)) {
            if (field.Column < 0)
                continue;
            const QString code = field.Code.toUpper();
            if (code == QLatin1String("INSL"))
                goods.Quantity = values[at].toDouble();
            else if (code == QLatin1String("JJ"))
                goods.Price = values[at].toDouble();
            else if (code == QLatin1String("CKID"))
                goods.Warehouse = values[at].toLongLong();
            ++at;
        }
        if (goods.Quantity > 0)
            m_stocked << goods;
        values.prepend(QString::number(m_counter + 1));
    }
    ++m_counter;
    m_inserts << m_head + values.join(QLatin1Char(',')) + QLatin1Char(')');
    return true;
}

QStringList JoinIntoParts(const QStringList &statements, int statementsPerPart)
{
    QStringList parts;
    for (qsizetype first = 0; first < statements.size(); first += statementsPerPart)
        parts << statements.mid(first, statementsPerPart).join(QStringLiteral(";\n"));
    return parts;
}

QStringList OpeningStockStatements(const QList<TImportedGoods> &goods, QDate date,
                                   qint64 firstSequence, int *used)
{
    QList<qint64> warehouses;
    QHash<qint64, QList<const TImportedGoods *>> lines;
    for (const TImportedGoods &row : goods) {
        const qint64 warehouse = row.Warehouse == 0 ? 1 : row.Warehouse;
        if (!lines.contains(warehouse))
            warehouses << warehouse;
        lines[warehouse] << &row;
    }
    const auto number = [](double value) {
        return QString::number(value, 'g', 17);
    };
    const QString rq = QLatin1Char('#') + date.toString(Qt::ISODate) + QLatin1Char('#');
    // Fresh goods carry no attribute values: texts null, numbers 0.
    const QString attrs = QStringLiteral("NULL,NULL,NULL,0,0,0");
    QStringList statements;
    qint64 sequence = firstSequence;
    for (const qint64 warehouse : std::as_const(warehouses)) {
        const QString billNo = BillNumber(QStringLiteral("PD"), date, sequence++);
        const QString id = QString::number(BillNoToID(billNo));
        const QString ck = QString::number(warehouse);
        long double total = 0;
        QStringList body;
        int lineNo = 0;
        for (const TImportedGoods *row : lines.value(warehouse)) {
            const QString hh = QString::number(++lineNo);
            const QString hp = QString::number(row->Id);
            const QString sl = number(row->Quantity);
            const QString dj = number(row->Price);
            total += (long double)row->Quantity * row->Price;
            body << QStringLiteral("insert into KCPD(RECID,ZBID,HH,RQ,CKID,HPID,SL,DJ,SX1,SX2,SX3,"
                                   "SX4,SX5,SX6) values (") +
                        QuotedStr(id + QLatin1Char('_') + hh) + QLatin1Char(',') + id +
                        QLatin1Char(',') + hh + QLatin1Char(',') + rq + QLatin1Char(',') + ck +
                        QLatin1Char(',') + hp + QLatin1Char(',') + sl + QLatin1Char(',') + dj +
                        QLatin1Char(',') + attrs + QLatin1Char(')');
            body << QStringLiteral("insert into inv_itemlist(RQ,BillType,Flag,DJBH,hpid,hh,sl,dj,"
                                   "cbdj,nzk,nsl,je,ckid,SX1,SX2,SX3,SX4,SX5,SX6) values (") +
                        rq + QStringLiteral(",'KCPD',1,") + QuotedStr(billNo) + QLatin1Char(',') +
                        hp + QLatin1Char(',') + hh + QLatin1Char(',') + sl + QLatin1Char(',') + dj +
                        QLatin1Char(',') + dj + QStringLiteral(",1,0,") +
                        number(row->Quantity * row->Price) + QLatin1Char(',') + ck +
                        QLatin1Char(',') + attrs + QLatin1Char(')');
        }
        const double je = std::round(double(total) * 100) / 100;
        statements << QStringLiteral("insert into KCPDZB(ID,DJBH,RQ,CKID,BillType,JE,uFlag,YGID,"
                                     "BZ) values (") +
                          id + QLatin1Char(',') + QuotedStr(billNo) + QLatin1Char(',') + rq +
                          QLatin1Char(',') + ck + QStringLiteral(",'KCPD',") + number(je) +
                          QStringLiteral(",1,1,'期初导入')");
        statements += body;
    }
    *used = int(sequence - firstSequence);
    return statements;
}
