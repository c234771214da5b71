// The deletion reference check: before a master-data record is deleted, a probe asks whether
// documents or other master data still refer to it.
#pragma once

#include <QString>

struct TReferenceProbe
{
    QString Sql;     // the probe parts joined with " union "; empty for a kind without one
    QString Message; // shown when the record is referenced
};

// The probe of a kind (HP, CUST, DQ, PUR, ITEMTYPE, DEPT, YHZ, QTKCBDLX, in any case) for
// the record's ID. DEPT and YHZ compare a text column, so their ID is quoted; the other kinds
// compare a key, and an ID that is no number is quoted too rather than written into the SQL.
TReferenceProbe ReferenceProbe(const QString &Kind, const QString &ID);

// True when the record is in use, after the kind's message captioned "资料删除失败". An
// empty ID shows "请选择网格内一条记录！" and aborts the calling operation (EAbort).
bool CheckReferenced(const QString &Kind, const QString &ID);
