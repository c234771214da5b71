// The table-to-SQL writer.
#include "client/forms/tablescript.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"

#include <QSaveFile>

bool IsScriptableTable(const QString &tableName)
{
    return !tableName.contains(QLatin1String("MSys")) &&
           !tableName.contains(QLatin1String("vi_")) && tableName != QLatin1String("QY3") &&
           tableName != QLatin1String("QY1");
}

namespace {

// A text quoted for one script line.
QString quotedLine(const QString &text)
{
    QString quoted = QuotedStr(text);
    quoted.replace(QLatin1Char('\r'), QLatin1String("' + char(13) + '"));
    quoted.replace(QLatin1Char('\n'), QLatin1String("' + char(10) + '"));
    return quoted;
}

QString exactValue(const TField &field, bool jet)
{
    const QString dateQuote = jet ? QStringLiteral("'#'") : QStringLiteral("''");
    switch (field.DataType()) {
    case ftString:
    case ftWideString:
    case ftMemo:
    case ftWideMemo:
        return quotedLine(field.AsString());
    case ftBlob:
    case ftGraphic:
        return QStringLiteral("unhex('") + QString::fromLatin1(field.AsBytes().toHex()) +
               QStringLiteral("')");
    case ftDate:
        return field.AsDateTime().toString(dateQuote + QStringLiteral("yyyy-MM-dd") + dateQuote);
    case ftTime:
        return field.AsDateTime().toString(dateQuote + QStringLiteral("HH:mm:ss") + dateQuote);
    case ftDateTime:
        return field.AsDateTime().toString(dateQuote + QStringLiteral("yyyy-MM-dd HH:mm:ss") +
                                           dateQuote);
    case ftBoolean:
        if (!jet)
            return field.AsBoolean() ? QStringLiteral("1") : QStringLiteral("0");
        return field.AsBoolean() ? QStringLiteral("True") : QStringLiteral("False");
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return QString::number(field.AsFloat(), 'g', QLocale::FloatingPointShortest);
    default:
        return field.Value().toString();
    }
}

QString listedValue(const TField &field)
{
    switch (field.DataType()) {
    case ftString:
    case ftWideString:
    case ftDate:
    case ftTime:
    case ftDateTime:
        return quotedLine(field.AsString().trimmed());
    default:
        return field.AsString().trimmed();
    }
}

} // namespace

QString ScriptValue(const TField &field, TScriptValues values)
{
    if (values == TScriptValues::Listed && IsBlobType(field.DataType()))
        return QStringLiteral("null");
    if (field.IsNull())
        return QStringLiteral("Null");
    return values == TScriptValues::Listed ? listedValue(field)
                                           : exactValue(field, values == TScriptValues::ExactJet);
}

TScriptValues ExactScriptValues(int databaseKind)
{
    return databaseKind == 1 ? TScriptValues::ExactTSql : TScriptValues::ExactJet;
}

void AppendTableScript(const QString &tableName, const TClientDataSet &data, QStringList &lines,
                       TScriptValues valueRule)
{
    if (!IsScriptableTable(tableName))
        return;
    lines << QStringLiteral("delete from ") + tableName;
    QStringList names;
    QList<const TField *> fields;
    for (int i = 0; i < data.FieldCount(); ++i) {
        const TField *field = data.Fields(i);
        if (field->FieldKind() != fkData)
            continue;
        names << field->FieldName();
        fields << field;
    }
    const QString head = QStringLiteral("insert into ") + tableName + QLatin1Char('(') +
                         names.join(QLatin1Char(',')) + QStringLiteral(") ");
    QStringList values;
    for (int row = 0; row < data.RowCount(); ++row) {
        const TClientDataSet::TRowScope scope(data, row);
        values.clear();
        for (const TField *field : fields)
            values << ScriptValue(*field, valueRule);
        lines << head + QStringLiteral("Values(") + values.join(QLatin1Char(',')) +
                     QStringLiteral(") ");
    }
}

void AppendServerTableScript(const QString &tableName, QStringList &lines, TScriptValues values)
{
    if (!IsScriptableTable(tableName))
        return;
    TClientDataSet &tmp = Data().Tmp();
    const int packetRecords = tmp.PacketRecords();
    tmp.Close();
    tmp.SetPacketRecords(-1); // every row, however long the table
    tmp.SetCommandText(QStringLiteral("select * from ") + tableName);
    try {
        tmp.Open();
        AppendTableScript(tableName, tmp, lines, values);
    } catch (...) {
        tmp.Close();
        tmp.SetPacketRecords(packetRecords);
        throw;
    }
    tmp.Close();
    tmp.SetPacketRecords(packetRecords);
}

bool SaveScriptLines(const QStringList &lines, const QString &fileName, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    for (const QString &line : lines)
        file.write((line + QLatin1String("\r\n")).toUtf8());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool WriteTableScript(const QString &tableName, const QString &fileName, QString *error)
{
    QStringList lines;
    AppendServerTableScript(tableName, lines);
    return SaveScriptLines(lines, fileName, error);
}
