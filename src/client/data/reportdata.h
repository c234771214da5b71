// The report data module TDataBb: the report datasets, on the report connection CnBb of the
// central module. A report dataset is made the first time it is asked for, under any name
// (provider "p" + the name; HpCwb reads pXsMsdj and ZlFxt pFxt), and its rules are applied:
// a calculated twin of the name column for sorting and grouping (MC -> cMC, PM -> cPM,
// YWY -> cYWY), "其他" for an empty salesperson, rates with "%", and zero amounts left empty
// where the report would otherwise be a column of noughts.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"

#include <QString>

#include <map>
#include <memory>

class TData;

class TDataBb
{
public:
    // Becomes the report module of the run; its datasets use data's CnBb.
    explicit TDataBb(TData &data);
    ~TDataBb();
    TDataBb(const TDataBb &) = delete;
    TDataBb &operator=(const TDataBb &) = delete;

    TClientDataSet &DataSet(const QString &name);
    // "s" + the dataset's name.
    TDataSource &DataSource(const QString &dataSetName);
    TClientDataSet *FindDataSet(const QString &name) const;

    static QString ProviderNameOf(const QString &dataSetName);

private:
    struct Entry
    {
        std::unique_ptr<TClientDataSet> dataSet;
        std::unique_ptr<TDataSource> dataSource;
    };
    std::unique_ptr<TClientDataSet> createDataSet(const QString &name);

    TData &m_data;
    std::map<QString, Entry> m_entries; // by upper-cased name
};

// The report module of the run; EDatabaseError when none exists.
TDataBb &DataBb();
