// Helpers shared by the dataset tests: an event recorder and a small local lines dataset.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

// Readable QString values in assertion messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// Records the names of the dataset events in the order they fire.
struct EventLog
{
    QStringList events;

    void attach(TClientDataSet &ds)
    {
        auto record = [this](const char *name) {
            return [this, name](TClientDataSet &) {
                events << QString::fromLatin1(name);
            };
        };
        ds.BeforeOpen = record("BeforeOpen");
        ds.AfterOpen = record("AfterOpen");
        ds.BeforeClose = record("BeforeClose");
        ds.AfterClose = record("AfterClose");
        ds.BeforeInsert = record("BeforeInsert");
        ds.OnNewRecord = record("OnNewRecord");
        ds.AfterInsert = record("AfterInsert");
        ds.BeforeEdit = record("BeforeEdit");
        ds.AfterEdit = record("AfterEdit");
        ds.BeforePost = record("BeforePost");
        ds.AfterPost = record("AfterPost");
        ds.BeforeCancel = record("BeforeCancel");
        ds.AfterCancel = record("AfterCancel");
        ds.BeforeDelete = record("BeforeDelete");
        ds.AfterDelete = record("AfterDelete");
        ds.BeforeScroll = record("BeforeScroll");
        ds.AfterScroll = record("AfterScroll");
        ds.BeforeApplyUpdates = [this](TClientDataSet &, QVariant &) {
            events << QStringLiteral("BeforeApplyUpdates");
        };
        ds.AfterApplyUpdates = [this](TClientDataSet &, QVariant &) {
            events << QStringLiteral("AfterApplyUpdates");
        };
    }

    QString take()
    {
        const QString text = events.join(u' ');
        events.clear();
        return text;
    }
};

// Document lines: HH (line), BH (goods code, 10), PM (name, 20), SL, DJ, JE (amounts), RQ.
inline void createLines(TClientDataSet &ds)
{
    ds.SetName(QStringLiteral("Lines"));
    ds.FieldDefs().Add(QStringLiteral("HH"), ftInteger);
    ds.FieldDefs().Add(QStringLiteral("BH"), ftWideString, 10);
    ds.FieldDefs().Add(QStringLiteral("PM"), ftWideString, 20);
    ds.FieldDefs().Add(QStringLiteral("SL"), ftFloat);
    ds.FieldDefs().Add(QStringLiteral("DJ"), ftFloat);
    ds.FieldDefs().Add(QStringLiteral("JE"), ftFloat);
    ds.FieldDefs().Add(QStringLiteral("RQ"), ftDate);
    ds.CreateDataSet();
}

inline void addLine(TClientDataSet &ds, int hh, const QString &bh, const QString &pm, double sl,
                    double dj)
{
    ds.AppendRecord({hh, bh, pm, sl, dj, sl * dj, QDate(2024, 3, hh % 28 + 1)});
}

// Three lines: 1 A01 螺丝 10 x 2.5, 2 B02 螺母 4 x 1.25, 3 a03 垫圈 0 x 8.
inline void fillLines(TClientDataSet &ds)
{
    addLine(ds, 1, QStringLiteral("A01"), QStringLiteral("螺丝"), 10, 2.5);
    addLine(ds, 2, QStringLiteral("B02"), QStringLiteral("螺母"), 4, 1.25);
    addLine(ds, 3, QStringLiteral("a03"), QStringLiteral("垫圈"), 0, 8);
    ds.MergeChangeLog();
    ds.First();
}

// The column values of every visible row, in order, as text.
inline QStringList columnTexts(TClientDataSet &ds, const QString &field)
{
    QStringList texts;
    TField *f = ds.FieldByName(field);
    for (int row = 0; row < ds.RowCount(); ++row)
        texts << ds.RowValue(row, f).toString();
    return texts;
}
