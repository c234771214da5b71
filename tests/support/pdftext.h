// Reading back what a program printed: the text of a PDF as pdftotext (poppler-utils, which
// the build's package list installs) extracts it.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace vztest {

// Whether pdftotext can be run; the print tests fail rather than skip without it, since the
// PDF's text is what they check.
inline bool havePdfText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// The text of the PDF file; options such as "-layout" go before the file. Empty when the
// file cannot be read.
inline QString pdfText(const QString &pdf, QStringList options = {})
{
    options << pdf << QStringLiteral("-");
    QProcess process;
    process.start(QStringLiteral("pdftotext"), options);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace vztest
