// Opens the document a settlement line settles, read-only, in a window of its own.
#pragma once

#include <QString>

class TfrmComDj;

// The sales delivery (headerTable "XSKDZB") or purchase receipt ("CGSHZB") of id in its
// document form, in view mode and alone (no navigation); nullptr for another table.
TfrmComDj *OpenSettledDocument(const QString &headerTable, qint64 id);
