#include "server/accountstore.h"

namespace server {

void markForeignFields(QList<wire::Field> &fields, const QString &targetTable)
{
    if (targetTable.isEmpty())
        return;
    for (wire::Field &field : fields) {
        if (!field.table.isEmpty() && field.table.compare(targetTable, Qt::CaseInsensitive) != 0) {
            field.readOnly = true;
            field.key = false;
        }
    }
}

} // namespace server
