// The attribute column plan.
#include "client/common/attrcolumns.h"

QList<TAttrColumn> PlanAttrColumns(const QList<TGridColumnInfo> &columns,
                                   const QList<TAttrItem> &attributes)
{
    int anchor = 0;
    for (int i = 0; i < columns.size(); ++i) {
        const QString name = columns[i].FieldName.toUpper();
        if (columns[i].Visible &&
            (name == u"GG" || name == u"AGG" || name == u"CMC1" || name == u"MC"))
            anchor = i - 1;
    }
    QList<TAttrColumn> plan;
    if (anchor == 0) // no anchor, or an anchor in the second place
        return plan;
    for (int j = 0; j < attributes.size(); ++j) {
        TAttrColumn column;
        column.FieldName = attributes[j].FieldName;
        column.Caption = attributes[j].Caption;
        const QString name = column.FieldName.toUpper();
        if (name == u"SX4" || name == u"SX5" || name == u"SX6")
            column.DisplayFormat = QStringLiteral("0.00");
        const QChar last = name.isEmpty() ? QChar() : name.back();
        column.Width = last >= QLatin1Char('0') && last <= QLatin1Char('3') ? 80 : 40;
        column.Index = anchor + j + 2;
        plan.append(column);
    }
    return plan;
}
