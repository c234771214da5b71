// Server access routines over the central data module.
#include "client/data/serveraccess.h"

#include "client/common/sqltext.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"

namespace {

// Opens a query on a pool member for its first row only: the rest of a large result is
// never sent.
void openFirstRow(TClientDataSet &dataSet, const QString &sql)
{
    dataSet.SetPacketRecords(1);
    dataSet.SetCommandText(sql);
    dataSet.Open();
}

bool isTextField(const TField &field)
{
    return IsStringType(field.DataType()) && !IsBlobType(field.DataType());
}

bool isNumberField(const TField &field)
{
    return IsNumericType(field.DataType()) || field.DataType() == ftBoolean;
}

} // namespace

bool RunSQL(TClientDataSet &dataSet, const QString &sql, bool isQuery)
{
    try {
        dataSet.Close();
        dataSet.SetCommandText(sql);
        if (isQuery)
            dataSet.Open();
        else
            dataSet.Execute();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

TClientDataSet &GetFreeTmpDataSet()
{
    return Data().GetFreeTmpDataSet();
}

TTmpDataSet::TTmpDataSet()
    : m_dataSet(Data().HoldTmpDataSet())
{}

TTmpDataSet::~TTmpDataSet()
{
    try {
        m_dataSet.Close();
    } catch (...) {
        // a handler that refuses to close cannot keep a pool member
    }
    Data().ReleaseTmpDataSet(m_dataSet);
}

std::unique_ptr<TClientDataSet> NewScratchDataSet(const TClientDataSet &dataSet)
{
    auto scratch = std::make_unique<TClientDataSet>();
    scratch->SetRemoteServer(dataSet.RemoteServer());
    scratch->SetProviderName(QStringLiteral("pTmp"));
    return scratch;
}

bool ExecSQL(const QString &sql)
{
    try {
        TTmpDataSet tmp;
        tmp->SetCommandText(sql);
        tmp->Execute();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool ExecSQLScript(const QStringList &statements)
{
    return statements.isEmpty() || ExecSQL(statements.join(QStringLiteral(";\n")));
}

QVariant QueryValue(const QString &sql)
{
    TTmpDataSet tmp;
    openFirstRow(*tmp, sql);
    if (tmp->FieldCount() == 0)
        return {};
    const TField &field = *tmp->Fields(0);
    if (!tmp->IsEmpty())
        return field.Value();
    if (isTextField(field))
        return QString();
    if (isNumberField(field))
        return 0;
    return {};
}

bool HasRows(const QString &sql)
{
    TTmpDataSet tmp;
    openFirstRow(*tmp, sql);
    return !tmp->IsEmpty();
}

bool SQLToFields(const QString &sql, TClientDataSet &dataSet, const QString &fieldNames,
                 bool clearIfEmpty)
{
    TTmpDataSet tmp;
    openFirstRow(*tmp, sql);
    const QStringList names = fieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const bool found = !tmp->IsEmpty();
    if (!found && !clearIfEmpty)
        return false;
    if (dataSet.State() != dsEdit && dataSet.State() != dsInsert)
        dataSet.Edit();
    for (int k = 0; k < names.size(); ++k) {
        TField *field = dataSet.FieldByName(names[k].trimmed());
        if (found) {
            if (k >= tmp->FieldCount())
                break;
            field->SetValue(tmp->Fields(k)->Value());
        } else if (IsNumericType(field->DataType())) {
            field->SetAsFloat(0);
        } else if (isTextField(*field)) {
            field->SetAsString(QString());
        }
    }
    return found;
}

void FillListFromQuery(QStringList &list, const QString &sql, TClientDataSet &dataSet)
{
    list.clear();
    dataSet.Close();
    dataSet.SetCommandText(sql);
    dataSet.Open();
    while (!dataSet.AllRecordsFetched())
        dataSet.GetNextPacket();
    if (dataSet.FieldCount() > 0) {
        const TField *field = dataSet.Fields(0);
        list.reserve(dataSet.RowCount());
        for (int row = 0; row < dataSet.RowCount(); ++row) {
            const TClientDataSet::TRowScope scope(dataSet, row);
            list.append(field->AsString());
        }
    }
    dataSet.Close();
}

void SetMoneyFormats(TClientDataSet &dataSet)
{
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        TField *field = dataSet.Fields(i);
        const TFieldType type = field->DataType();
        if (type != ftFloat && type != ftCurrency && type != ftBCD)
            continue;
        const QString name = field->FieldName().toUpper();
        if (name.contains(u"DJ") || name.contains(u"PRICE") || name.contains(u"JE")) {
            field->SetEditFormat(QStringLiteral("0.00"));
            field->SetDisplayFormat(QStringLiteral("￥,") + QStringLiteral("0.00"));
        }
    }
}

QString BillCounterName(const QString &prefix, QDate date)
{
    return prefix + date.toString(QStringLiteral("yyyyMM"));
}

QString BillNumber(const QString &prefix, QDate date, qint64 sequence)
{
    return BillCounterName(prefix, date) +
           QStringLiteral("%1").arg(sequence, 4, 10, QLatin1Char('0'));
}

TDrawnBillNo DrawBillNo(const QString &prefix, QDate date)
{
    const QString key = QuotedStr(BillCounterName(prefix, date));
    TTmpDataSet tmp;
    tmp->SetCommandText(QStringLiteral("Select MaxNo from MaxBillNo where TableName=") + key);
    tmp->Open();
    TDrawnBillNo drawn;
    int sequence = 1;
    if (tmp->IsEmpty()) {
        // The first of the month leaves 2 for the next; a clerk inserting it first wins.
        drawn.CounterSql = QStringLiteral("INSERT into MaxBillNo(TableName,MaxNo) VALUES (") + key +
                           QStringLiteral(",2)");
    } else {
        const int stored = tmp->Fields(0)->AsInteger();
        sequence = std::max(1, stored);
        drawn.CounterSql = QStringLiteral("update MaxBillNo set MaxNo = ") +
                           QString::number(sequence + 1) + QStringLiteral(" where TableName = ") +
                           key + QStringLiteral(" and MaxNo = ") + QString::number(stored);
    }
    drawn.BillNo = BillNumber(prefix, date, sequence);
    return drawn;
}

QString GetNewBillNo(const QString &prefix, QDate date)
{
    const QString key = QuotedStr(BillCounterName(prefix, date));
    TAtomicRequest request;
    // A new month's row starts at 1 and the first number taken leaves it at 2, as a drawn one
    // does; a counter below 1 gives 1 too.
    request.Execute(QStringLiteral("insert into MaxBillNo(TableName,MaxNo) select ") + key +
                    QStringLiteral(", 1 where not exists (select 1 from MaxBillNo where "
                                   "TableName = ") +
                    key + QLatin1Char(')'));
    request.Execute(QStringLiteral("update MaxBillNo set MaxNo = (case when MaxNo < 1 then 1 "
                                   "else MaxNo end) + 1 where TableName = ") +
                        key,
                    1);
    request.Query(QStringLiteral("select MaxNo from MaxBillNo where TableName = ") + key);
    const TAtomicResult result = request.Send();
    if (!result.Ok)
        throw EDatabaseError(result.Message);
    const QVariantList row = result.Rows.value(2).value(0).toList();
    const qint64 sequence = row.value(0).toLongLong() - 1;
    if (row.isEmpty() || sequence < 1)
        throw EDatabaseError(QStringLiteral("the document counter %1 could not be read back")
                                 .arg(BillCounterName(prefix, date)));
    return BillNumber(prefix, date, sequence);
}

qint64 BillNoToID(const QString &billNo)
{
    qsizetype first = 0;
    while (first < billNo.size() && !billNo[first].isDigit())
        ++first;
    bool ok = false;
    const qint64 id = billNo.mid(first).toLongLong(&ok);
    return ok ? id : 0;
}
