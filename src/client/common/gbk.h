// Byte lengths and cuts of text as the system has always counted them: in the GBK code
// page, two bytes per Chinese character, one per ASCII character.
#pragma once

#include <QByteArray>
#include <QString>

// A character GBK cannot encode becomes the full-width question mark "？" (two bytes).
QByteArray ToGbk(const QString &text);
QString FromGbk(const QByteArray &bytes);

// Bytes the text takes in GBK; characters GBK cannot encode count as two.
int GbkLength(const QString &text);

// Drops the last n GBK bytes; a character is dropped whole when the cut falls inside it.
QString GbkDropLast(const QString &text, int bytes);
