// The statements of the two operations that empty an account set on purpose: the year-end
// carry-forward, which clears the year's business and writes the stock back as opening
// stocktakings, and the initialisation, which clears goods, business or both. Each runs as one
// request, so a failure anywhere leaves the account set as it was.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>

// A goods' balance in a warehouse for one combination of attribute values, as the stock
// snapshot gives it.
struct TStockBalance
{
    qint64 Goods = 0;
    qint64 Warehouse = 0;          // 0 when the ledger has none
    std::array<QVariant, 6> Attrs; // SX1..SX6; a null stays null
    double Quantity = 0;
    double Amount = 0;
};

struct TCarryForward
{
    QStringList ClearTables;       // emptied first, in this order
    QList<TStockBalance> Snapshot; // the stock before anything is emptied
    QDate OpeningDate;             // the day before the run: the new year's opening
    QString BillType = QStringLiteral("KCPD");
    bool PostLedger = true; // the opening lines go into the stock ledger too
    int AuditLevel = 1;     // the company's audit levels: the documents are fully audited
    QString Operator;       // who entered and audited them
};

// What the carry-forward writes, in order: the tables emptied; per warehouse, in order of first
// appearance in the snapshot, one stocktaking numbered PD from 1 in the opening month with a
// line per non-zero balance (negative ones too) and, when posting, its ledger row; the counter
// of those numbers. Warehouse 0 is written as warehouse 1, into warehouse 1's document.
QStringList CarryForwardStatements(const TCarryForward &plan);

// The class letters of FuncRight's clear list ("A|HP", "B|CGDDZB" ...): the tables of the
// classes asked for, in list order.
QStringList ClearTablesOf(const QStringList &clearList, const QString &classes);

// " delete from " each table.
QStringList ClearStatements(const QStringList &tables);
