// Data sources and data links: the dataset's notifications on their way to widgets and forms.
#include "client/data/datasource.h"

#include "client/data/clientdataset.h"
#include "client/data/clientdataset_p.h"

#include <algorithm>

// --- TDataSource -----------------------------------------------------------------------------

TDataSource::TDataSource(TClientDataSet *dataSet)
{
    SetDataSet(dataSet);
}

TDataSource::~TDataSource()
{
    // Whoever installed the handlers may already be gone: a dying source tells nobody.
    OnDataChange = nullptr;
    OnStateChange = nullptr;
    OnUpdateData = nullptr;
    for (TDataLink *link : std::vector<TDataLink *>(m_links))
        link->SetDataSource(nullptr);
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TClientDataSet *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet) {
        auto &sources = m_dataSet->d->dataSources;
        sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
    }
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->d->dataSources.push_back(this);
    // A new dataset is a new layout for everyone who follows the source.
    const TDataSetState before = m_state;
    UpdateState();
    if (before != dsInactive && m_state != dsInactive)
        DataEvent(deLayoutChange, {});
}

void TDataSource::dataSetDestroyed()
{
    m_dataSet = nullptr;
    UpdateState();
}

void TDataSource::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    UpdateState();
}

void TDataSource::Edit()
{
    if (m_autoEdit && m_state == dsBrowse && m_dataSet)
        m_dataSet->Edit();
}

void TDataSource::UpdateState()
{
    const TDataSetState newState = m_enabled && m_dataSet ? m_dataSet->State() : dsInactive;
    if (newState == m_state)
        return;
    m_state = newState;
    notifyLinks(deUpdateState, {});
    if (OnStateChange) {
        TNotifyEvent handler = OnStateChange;
        handler(*this);
    }
}

void TDataSource::DataEvent(TDataEvent event, const TDataEventInfo &info)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (m_state == dsInactive)
        return;
    notifyLinks(event, info);
    switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
    case deRowsInserted:
    case deRowsRemoved:
    case deRowMoved:
        if (OnDataChange) {
            TDataChangeEvent handler = OnDataChange;
            handler(*this, event == deFieldChange ? info.Field : nullptr);
        }
        break;
    case deUpdateRecord:
        if (OnUpdateData) {
            TNotifyEvent handler = OnUpdateData;
            handler(*this);
        }
        break;
    default:
        break;
    }
}

void TDataSource::notifyLinks(TDataEvent event, const TDataEventInfo &info)
{
    // A link may leave the source while it is told.
    const std::vector<TDataLink *> links = m_links;
    for (TDataLink *link : links) {
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            link->DataEvent(event, info);
    }
}

void TDataSource::addLink(TDataLink *link)
{
    m_links.push_back(link);
}

void TDataSource::removeLink(TDataLink *link)
{
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
}

// --- TDataLink -------------------------------------------------------------------------------

TDataLink::~TDataLink()
{
    if (m_dataSource)
        m_dataSource->removeLink(this);
}

void TDataLink::SetDataSource(TDataSource *dataSource)
{
    if (m_dataSource == dataSource)
        return;
    if (m_dataSource)
        m_dataSource->removeLink(this);
    m_dataSource = dataSource;
    if (m_dataSource)
        m_dataSource->addLink(this);
    updateActive();
    updateEditing();
}

TClientDataSet *TDataLink::DataSet() const
{
    return m_dataSource ? m_dataSource->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool readOnly)
{
    if (m_readOnly == readOnly)
        return;
    m_readOnly = readOnly;
    updateEditing();
}

bool TDataLink::Edit()
{
    if (!m_readOnly && m_dataSource)
        m_dataSource->Edit();
    return m_editing;
}

void TDataLink::UpdateRecord()
{
    m_updating = true;
    try {
        UpdateData();
    } catch (...) {
        m_updating = false;
        throw;
    }
    m_updating = false;
}

void TDataLink::updateActive()
{
    const bool active = m_dataSource && m_dataSource->State() != dsInactive;
    if (active != m_active) {
        m_active = active;
        ActiveChanged();
    }
}

void TDataLink::updateEditing()
{
    const bool editing = m_dataSource && !m_readOnly &&
                         (m_dataSource->State() == dsEdit || m_dataSource->State() == dsInsert);
    if (editing != m_editing) {
        m_editing = editing;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent event, const TDataEventInfo &info)
{
    switch (event) {
    case deUpdateState:
        updateActive();
        updateEditing();
        break;
    case deFieldChange:
        if (!m_updating)
            RecordChanged(info.Field);
        break;
    case deRecordChange:
        if (!m_updating)
            RecordChanged(nullptr);
        break;
    case deDataSetChange:
    case deRowsInserted:
    case deRowsRemoved:
    case deRowMoved:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(info.Distance);
        break;
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(info.Field);
        break;
    }
}

// --- TFieldDataLink --------------------------------------------------------------------------

void TFieldDataLink::SetFieldName(const QString &fieldName)
{
    if (m_fieldName == fieldName)
        return;
    m_fieldName = fieldName;
    updateField();
}

void TFieldDataLink::updateField()
{
    TClientDataSet *dataSet = DataSet();
    TField *field =
        Active() && dataSet && !m_fieldName.isEmpty() ? dataSet->FindField(m_fieldName) : nullptr;
    if (field != m_field) {
        m_field = field;
        Reset();
    }
}

void TFieldDataLink::Reset()
{
    m_modified = false;
    if (OnDataChange)
        OnDataChange();
}

bool TFieldDataLink::CanModify() const
{
    return !ReadOnly() && m_field && m_field->CanModify();
}

void TFieldDataLink::ActiveChanged()
{
    updateField();
    if (OnActiveChange)
        OnActiveChange();
}

void TFieldDataLink::LayoutChanged()
{
    updateField();
}

void TFieldDataLink::RecordChanged(TField *field)
{
    if (field == nullptr || field == m_field)
        Reset();
}

void TFieldDataLink::EditingChanged()
{
    if (OnEditingChange)
        OnEditingChange();
}

void TFieldDataLink::UpdateData()
{
    if (m_modified) {
        if (OnUpdateData)
            OnUpdateData();
        m_modified = false;
    }
}

void TFieldDataLink::FocusControl(TField *field)
{
    if (field && field == m_field && OnFocusControl)
        OnFocusControl();
}
