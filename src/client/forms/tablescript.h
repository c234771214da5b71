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

// How values are written.
enum class TScriptValues {
    // As a list's export shows them: text and dates trimmed and quoted, blob and memo fields
    // "null", anything else its trimmed text.
    Listed,
    // So that the restore gives back every value as it was: texts untrimmed, memos with their
    // text, blobs as unhex('hexadecimal digits'), numbers with every digit a double holds; in
    // Jet dates and times as #yyyy-mm-dd hh:nn:ss# and Yes/No as True or False, in T-SQL
    // dates as 'yyyy-mm-dd hh:nn:ss' and Yes/No as 1 or 0.
    ExactJet,
    ExactTSql
};

// The exact values of the dialect a DatabaseKind names.
TScriptValues ExactScriptValues(int databaseKind);

// A field's value in the script. Null values are "Null". A quote inside a text is doubled and
// a line break written as "' + char(13) + '" or "' + char(10) + '", so that the statement
// stays on one line and the restore joins the text again.
QString ScriptValue(const TField &field, TScriptValues values = TScriptValues::Listed);

// Appends "delete from " + table and, for every row of data, "insert into " + table + "(" +
// the field names + ") Values(" + the values + ") "; nothing for a table that is not
// scriptable.
void AppendTableScript(const QString &tableName, const TClientDataSet &data, QStringList &lines,
                       TScriptValues values = TScriptValues::Listed);

// Reads "select * from " + table on the central module's scratch dataset Tmp and appends its
// script; the server's errors propagate.
void AppendServerTableScript(const QString &tableName, QStringList &lines,
                             TScriptValues values = TScriptValues::Listed);

// Writes the lines to the file (UTF-8, one a line, CR LF) in one step: the file is whole or
// unchanged. False with the reason when it cannot be written.
bool SaveScriptLines(const QStringList &lines, const QString &fileName, QString *error = nullptr);

// Reads "select * from " + table on the central module's scratch dataset Tmp and writes the
// script to the file (UTF-8, one statement a line). False with the reason when the file
// cannot be written; the server's errors propagate.
bool WriteTableScript(const QString &tableName, const QString &fileName, QString *error = nullptr);
