// The lookup combo box: a field of one dataset (a key such as CKID, or a code such as aBH)
// chosen from the records of a list dataset, shown by a list field and dropped down as a
// small grid of list columns. Typing searches the list (or lets a form filter it); Enter or a
// click writes the chosen record's key into the field.
//
// A lookup field (fkLookup) may be bound instead: its lookup dataset, key fields and result
// field then define the list, and the choice is written into its key field.
#pragma once

#include "client/widgets/dbcontrols.h"
#include "client/widgets/lookupcolumn.h"

#include <QFrame>
#include <QList>
#include <QVariant>

#include <functional>
#include <memory>

class QLineEdit;
class QToolButton;
class TClientDataSet;
class TDBGrid;

class TDBLookupComboBox
    : public QFrame
    , public TFieldControl
{
    Q_OBJECT
public:
    enum TStyle {
        csDropDown,     // the text is free while typing; a form may filter the list by it
        csDropDownList, // typing locates the list record whose list field starts with it
    };

    explicit TDBLookupComboBox(QWidget *parent = nullptr);
    ~TDBLookupComboBox() override;

    TDataSource *ListSource() const { return m_listSource; }
    void SetListSource(TDataSource *source); // not owned
    // Binds the list to a dataset through a source of the combo's own.
    void SetListDataSet(TClientDataSet *dataSet);
    TClientDataSet *ListDataSet() const;
    const QString &KeyField() const { return m_keyField; }
    void SetKeyField(const QString &fieldName);
    // "BH;PM;GG": the list's columns when no list columns are given.
    const QString &ListField() const { return m_listField; }
    void SetListField(const QString &fieldNames);
    // Which list field the edit shows.
    int ListFieldIndex() const { return m_listFieldIndex; }
    void SetListFieldIndex(int index);
    const QList<TLookupColumn> &ListColumns() const { return m_listColumns; }
    void SetListColumns(const QList<TLookupColumn> &columns);
    int DropDownRows() const { return m_dropDownRows; }
    void SetDropDownRows(int rows) { m_dropDownRows = qMax(1, rows); }
    int DropDownWidth() const { return m_dropDownWidth; }
    void SetDropDownWidth(int width) { m_dropDownWidth = width; }
    TStyle Style() const { return m_style; }
    void SetStyle(TStyle style) { m_style = style; }

    // The key the field holds (through the lookup field's key field when bound to one).
    QVariant KeyValue() const;
    // Writes a key into the field, as a choice of the user.
    bool SetKeyValue(const QVariant &key);
    // Chooses the list's current record.
    bool SelectCurrent();
    // The list text of a key, empty when the list has no such record.
    QString DisplayTextOf(const QVariant &key) const;

    QString Text() const;
    QLineEdit *Edit() const { return m_edit; }
    TDBGrid *List() const { return m_list; }

    void DropDown();
    void CloseUp(bool accept);
    bool ListVisible() const;

    // Bound to a lookup field, the combo changes that field's key field.
    bool CanModify() const override;

    // Keys typed into the box (Enter '\r', Escape '\x1b'); a null Key swallows the key.
    std::function<void(TDBLookupComboBox &Sender, QChar &Key)> OnKeyPress;
    std::function<void(TDBLookupComboBox &Sender, int Key, Qt::KeyboardModifiers Shift)> OnKeyUp;
    std::function<void(TDBLookupComboBox &Sender)> OnDropDown;
    // After a record was chosen.
    std::function<void(TDBLookupComboBox &Sender)> OnCloseUp;

protected:
    void LoadFromField() override;
    void SaveToField() override;
    void UpdateReadOnly() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TField *targetField() const;
    QString listKeyField() const;
    QString shownListField() const;
    QStringList listFieldNames() const;
    void buildListColumns();
    bool editKeyPress(QKeyEvent *event);
    bool popupKeyPress(QKeyEvent *event);
    void locateTyped(const QString &text);
    void moveList(int distance);

    QLineEdit *m_edit;
    QToolButton *m_button;
    QFrame *m_popup;
    TDBGrid *m_list;
    std::unique_ptr<TDataSource> m_ownListSource;
    TDataSource *m_listSource = nullptr;
    QString m_keyField;
    QString m_listField;
    int m_listFieldIndex = 0;
    QList<TLookupColumn> m_listColumns;
    int m_dropDownRows = 8;
    int m_dropDownWidth = 0;
    TStyle m_style = csDropDownList;
    QVariant m_pendingKey;
    bool m_typed = false;
};
