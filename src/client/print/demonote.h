// A sample delivery note with made-up goods: what a shop sees when it tries a template before
// it has documents, and what the print checks and timings run on.
#pragma once

#include "client/print/reportdata.h"

namespace print {

// A delivery note numbered "XK20261207-0001" with the given number of lines; every seventh
// line has no quantity yet.
TReportValues DemoDeliveryNote(int lines);

// Writes the sample note with 18 lines through the template to a PDF file; false with a
// message when the template cannot be read or the file cannot be written.
bool PrintDemoDeliveryNote(const QString &templateFile, const QString &pdfFile, QString *error);

} // namespace print
