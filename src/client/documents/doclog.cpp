#include "client/documents/doclog.h"

#include "client/data/applog.h"

QString DocumentLogText(TDocOperation operation, const QString &billNo)
{
    switch (operation) {
    case TDocOperation::Save:
        return QStringLiteral("保存单据 ") + billNo;
    case TDocOperation::Audit:
        return QStringLiteral("审核单据 ") + billNo;
    case TDocOperation::UnAudit:
        return QStringLiteral("消审单据 ") + billNo;
    case TDocOperation::Delete:
        return QStringLiteral("删除单据 ") + billNo;
    }
    return billNo;
}

QString DocumentLogSQL(TDocOperation operation, const QString &billNo)
{
    return AppLogInsertSQL(DocumentLogText(operation, billNo));
}
