// Data sources connect a dataset to the widgets and forms that follow it. A data source
// forwards the dataset's notifications to its data links (grids, editors, lookups) and to its
// own handlers OnDataChange, OnStateChange and OnUpdateData.
#pragma once

#include "client/data/dbtypes.h"

#include <QString>

#include <functional>
#include <vector>

class TDataLink;
class TDataSource;

using TDataChangeEvent = std::function<void(TDataSource &Sender, TField *Field)>;
using TNotifyEvent = std::function<void(TDataSource &Sender)>;

class TDataSource
{
public:
    TDataSource() = default;
    explicit TDataSource(TClientDataSet *dataSet);
    ~TDataSource();
    TDataSource(const TDataSource &) = delete;
    TDataSource &operator=(const TDataSource &) = delete;

    const QString &Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }

    TClientDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TClientDataSet *dataSet); // not owned
    // A disabled source shows its links an inactive dataset.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    // When on (the default), Edit() and editing controls put the dataset into dsEdit.
    bool AutoEdit() const { return m_autoEdit; }
    void SetAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }
    // The dataset's state as the links see it (dsInactive without an enabled dataset).
    TDataSetState State() const { return m_state; }
    // Puts the dataset into edit state when AutoEdit allows it and it is browsing.
    void Edit();
    bool IsLinkedTo(const TClientDataSet *dataSet) const { return m_dataSet == dataSet; }
    int DataLinkCount() const { return int(m_links.size()); }

    // Field is the changed field for a field change, nullptr for a change of the record, a
    // scroll, a refresh or a new layout.
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    // Post or CheckBrowseMode is about to store the record.
    TNotifyEvent OnUpdateData;

private:
    friend class TClientDataSet;
    friend class TClientDataSetPrivate;
    friend class TDataLink;

    void DataEvent(TDataEvent event, const TDataEventInfo &info);
    void UpdateState();
    void addLink(TDataLink *link);
    void removeLink(TDataLink *link);
    void notifyLinks(TDataEvent event, const TDataEventInfo &info);
    void dataSetDestroyed();

    QString m_name;
    TClientDataSet *m_dataSet = nullptr;
    bool m_enabled = true;
    bool m_autoEdit = true;
    TDataSetState m_state = dsInactive;
    std::vector<TDataLink *> m_links;
};

// Base of everything that follows a data source: grids, editors, lookup lists, navigators.
// Subclasses override the notifications they care about. DataEvent() receives every event
// first and dispatches to the others; an item model overrides it to use the row events.
class TDataLink
{
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink &) = delete;
    TDataLink &operator=(const TDataLink &) = delete;

    TDataSource *DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource *dataSource);
    TClientDataSet *DataSet() const;
    // The source has an enabled, open dataset.
    bool Active() const { return m_active; }
    // The dataset is editing or inserting (and the link is not read-only).
    bool Editing() const { return m_editing; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // Puts the dataset into edit state through the source (AutoEdit); true when editing.
    bool Edit();
    void UpdateRecord();

    virtual void DataEvent(TDataEvent event, const TDataEventInfo &info);

protected:
    virtual void ActiveChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
    virtual void RecordChanged(TField * /*field*/) {}
    virtual void EditingChanged() {}
    virtual void UpdateData() {}
    virtual void CheckBrowseMode() {}
    virtual void FocusControl(TField * /*field*/) {}

private:
    friend class TDataSource;
    void updateActive();
    void updateEditing();

    TDataSource *m_dataSource = nullptr;
    bool m_active = false;
    bool m_editing = false;
    bool m_readOnly = false;
    bool m_updating = false;
};

// The link of a control that shows one field: a line edit, a check box, a lookup combo.
class TFieldDataLink : public TDataLink
{
public:
    const QString &FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &fieldName);
    TField *Field() const { return m_field; } // nullptr while inactive or when missing
    // The control's text differs from the field: set by the control while the user types,
    // cleared after UpdateData or a reload.
    bool Modified() const { return m_modified; }
    void Modified(bool modified) { m_modified = modified; }
    void Reset(); // drop the control's pending text and reload it from the field
    bool CanModify() const;

    std::function<void()> OnDataChange; // show the field's value again
    std::function<void()> OnEditingChange;
    std::function<void()> OnUpdateData; // write the pending text into the field
    std::function<void()> OnActiveChange;
    std::function<void()> OnFocusControl;

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField *field) override;
    void EditingChanged() override;
    void UpdateData() override;
    void FocusControl(TField *field) override;

private:
    void updateField();
    QString m_fieldName;
    TField *m_field = nullptr;
    bool m_modified = false;
};
