// The operation-log lines of the document operations, each sent in the request that does the
// work: "审核单据 CG2026120001".
#pragma once

#include <QString>

enum class TDocOperation { Save, Audit, UnAudit, Delete };

QString DocumentLogText(TDocOperation operation, const QString &billNo);
QString DocumentLogSQL(TDocOperation operation, const QString &billNo);
