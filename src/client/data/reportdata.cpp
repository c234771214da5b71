// The report data module.
#include "client/data/reportdata.h"

#include "client/data/centraldata.h"
#include "client/data/displaytexts.h"

namespace {

TDataBb *current = nullptr;

struct Twin
{
    const char *dataSet;
    const char *source; // MC, PM or YWY
};

// The calculated copies of the name column that the reports sort and group by.
const Twin Twins[] = {
    {"KhXsHz", "MC"},   {"DqXsHz", "MC"},  {"HplbXsHz", "MC"}, {"HpXsHz", "PM"},
    {"HpXsMlHz", "PM"}, {"YwyYjtj", "PM"}, {"YwyXsHz", "YWY"}, {"XsMsdj", "YWY"},
    {"YwyCgHz", "YWY"}, {"HpCwb", "YWY"},
};

struct ZeroField
{
    const char *dataSet;
    const char *field;
};

// Float columns of the detail reports that are mostly zero and read better empty.
const ZeroField ZeroFields[] = {
    {"XsMsdj", "ZKJE"},
    {"XsMsdj", "SE"},
    {"HpCwb", "ZKJE"},
    {"HpCwb", "SE"},
};

const char *twinSource(const QString &dataSet)
{
    for (const Twin &twin : Twins) {
        if (dataSet.compare(QLatin1String(twin.dataSet), Qt::CaseInsensitive) == 0)
            return twin.source;
    }
    return nullptr;
}

} // namespace

TDataBb::TDataBb(TData &data)
    : m_data(data)
{
    if (current)
        throw EDatabaseError(QStringLiteral("The report data module exists already"));
    current = this;
}

TDataBb::~TDataBb()
{
    m_entries.clear();
    if (current == this)
        current = nullptr;
}

TDataBb &DataBb()
{
    if (!current)
        throw EDatabaseError(QStringLiteral("The report data module does not exist"));
    return *current;
}

QString TDataBb::ProviderNameOf(const QString &dataSetName)
{
    if (dataSetName.compare(QLatin1String("HpCwb"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("pXsMsdj");
    if (dataSetName.compare(QLatin1String("ZlFxt"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("pFxt");
    return QLatin1Char('p') + dataSetName;
}

TClientDataSet *TDataBb::FindDataSet(const QString &name) const
{
    const auto found = m_entries.find(name.toUpper());
    return found != m_entries.end() ? found->second.dataSet.get() : nullptr;
}

TClientDataSet &TDataBb::DataSet(const QString &name)
{
    Entry &entry = m_entries[name.toUpper()];
    if (!entry.dataSet)
        entry.dataSet = createDataSet(name);
    return *entry.dataSet;
}

TDataSource &TDataBb::DataSource(const QString &dataSetName)
{
    TClientDataSet &dataSet = DataSet(dataSetName);
    Entry &entry = m_entries[dataSetName.toUpper()];
    if (!entry.dataSource) {
        entry.dataSource = std::make_unique<TDataSource>(&dataSet);
        entry.dataSource->SetName(QLatin1Char('s') + dataSet.Name());
    }
    return *entry.dataSource;
}

std::unique_ptr<TClientDataSet> TDataBb::createDataSet(const QString &name)
{
    auto dataSet = std::make_unique<TClientDataSet>(name);
    dataSet->SetRemoteServer(&m_data.CnBb());
    dataSet->SetProviderName(ProviderNameOf(name));
    if (const char *source = twinSource(name)) {
        const QString sourceName = QLatin1String(source);
        const QString twinName = QLatin1Char('c') + sourceName;
        dataSet->AddField(ftWideString, twinName, 0, fkCalculated);
        dataSet->OnCalcFields = [sourceName, twinName](TClientDataSet &ds) {
            const TField *from = ds.FindField(sourceName);
            if (from)
                ds.FieldByName(twinName)->SetAsString(from->AsString());
        };
    }
    dataSet->OnFieldsCreated = [name](TClientDataSet &ds) {
        for (const char *ywy : {"YWY", "cYWY"}) {
            if (TField *field = ds.FindField(QLatin1String(ywy)))
                field->OnGetText = YwyGetText;
        }
        if (TField *rate = ds.FindField(QStringLiteral("NSL")))
            rate->OnGetText = NSLGetText;
        for (const ZeroField &zero : ZeroFields) {
            if (name.compare(QLatin1String(zero.dataSet), Qt::CaseInsensitive) != 0)
                continue;
            TField *field = ds.FindField(QLatin1String(zero.field));
            if (field && IsNumericType(field->DataType()))
                field->OnGetText = ZeroToEmpty;
        }
    };
    return dataSet;
}
