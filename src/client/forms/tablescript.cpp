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

QString ScriptValue(const TField &field)
{
    const TFieldType type = field.DataType();
    if (IsBlobType(type))
        return QStringLiteral("null");
    if (field.IsNull())
        return QStringLiteral("Null");
    switch (type) {
    case ftString:
    case ftWideString:
    case ftDate:
    case ftTime:
    case ftDateTime: {
        QString quoted = QuotedStr(field.AsString().trimmed());
        quoted.replace(QLatin1Char('\r'), QLatin1String("' + char(13) + '"));
        quoted.replace(QLatin1Char('\n'), QLatin1String("' + char(10) + '"));
        return quoted;
    }
    default:
        return field.AsString().trimmed();
    }
}

void AppendTableScript(const QString &tableName, const TClientDataSet &data, QStringList &lines)
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
            values << ScriptValue(*field);
        lines << head + QStringLiteral("Values(") + values.join(QLatin1Char(',')) +
                     QStringLiteral(") ");
    }
}

bool WriteTableScript(const QString &tableName, const QString &fileName, QString *error)
{
    QStringList lines;
    if (IsScriptableTable(tableName)) {
        TClientDataSet &tmp = Data().Tmp();
        tmp.Close();
        tmp.SetCommandText(QStringLiteral("select * from ") + tableName);
        tmp.Open();
        AppendTableScript(tableName, tmp, lines);
        tmp.Close();
    }
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
