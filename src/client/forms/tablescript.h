// A table as an SQL script: "delete from" the table and one "insert into" line per row, so
// that the script restore (one statement a line) puts the rows back. The list forms' "导出为SQL
// 文本" and the data backup as SQL text write it.
#pragma once

#include <QString>
#include <QStringList>

class TClientDataSet;
class TField;

// False for the tables a script never holds: names containing "MSys" or "vi_", and "QY1" and
// "QY3".
bool IsScriptableTable(const QString &tableName);

// A field's value in the script: text and dates trimmed and quoted (quotes doubled, line
// breaks written as char(13) and char(10) so the statement stays on one line), blob and memo
// fields "null", null values "Null", anything else its trimmed text.
QString ScriptValue(const TField &field);

// Appends "delete from " + table and, for every row of data, "insert into " + table + "(" +
// the field names + ") Values(" + the values + ") "; nothing for a table that is not
// scriptable.
void AppendTableScript(const QString &tableName, const TClientDataSet &data, QStringList &lines);

// Reads "select * from " + table on the central module's scratch dataset Tmp and writes the
// script to the file (UTF-8, one statement a line). False with the reason when the file
// cannot be written; the server's errors propagate.
bool WriteTableScript(const QString &tableName, const QString &fileName, QString *error = nullptr);
