// Data-aware editors: each shows one field of a data source's current record and writes back
// what the user changes. Typing puts the dataset into edit state (through the source's
// AutoEdit); the value is written when the control is left, on Enter, or when the dataset
// posts. A value the field refuses is shown as an error and the focus stays.
#pragma once

#include "client/data/datasource.h"
#include "client/widgets/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

class QButtonGroup;
class QCalendarWidget;
class QLabel;

// What every data-aware editor has: the link to its field and the field's editing rules.
class TFieldControl
{
public:
    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *dataSource); // not owned
    const QString &DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &fieldName);
    TField *Field() const { return m_link.Field(); }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // The control can change its field now: linked, the field modifiable, not read-only.
    virtual bool CanModify() const;

    std::function<void(QWidget &Sender)> OnEnter;
    std::function<void(QWidget &Sender)> OnExit;
    std::function<void(QWidget &Sender)> OnChange;
    std::function<void(QWidget &Sender)> OnDblClick;

protected:
    explicit TFieldControl(QWidget *self);
    virtual ~TFieldControl();
    TFieldControl(const TFieldControl &) = delete;
    TFieldControl &operator=(const TFieldControl &) = delete;

    // Shows the field's value (or nothing while unlinked).
    virtual void LoadFromField() = 0;
    // Writes the control's pending value into the field.
    virtual void SaveToField() = 0;
    // The control became editable or read-only.
    virtual void UpdateReadOnly() {}

    // Puts the dataset into edit state before the user's change; false (with a beep) when
    // the field cannot be changed.
    bool StartEdit();
    // The user changed the value.
    void MarkModified();
    // Writes a pending change into the field; false when the field refused it (the error was
    // shown and the focus stays in the control).
    bool Commit();
    // Drops the pending change and shows the field again.
    void Revert();
    bool Loading() const { return m_loading; }
    bool PendingChange() const { return m_link.Modified(); }

    void FocusEntered();
    // Commits; false when the focus must stay.
    bool FocusLeaving();
    void FireChange();
    void FireDblClick();

    TFieldDataLink m_link;

private:
    void reload();

    QWidget *m_self;
    bool m_readOnly = false;
    bool m_loading = false;
};

// The line-edit editors (plain, button and date edits) share their field handling.
template<class LineEdit>
class TDBLineEdit
    : public LineEdit
    , public TFieldControl
{
public:
    explicit TDBLineEdit(QWidget *parent = nullptr);

protected:
    // The text of the field while the control is not edited (display text) and while it is
    // (edit text); and how edited text goes back into the field.
    virtual QString FieldText(bool editing) const;
    virtual void WriteText(const QString &text);

    void LoadFromField() override;
    void SaveToField() override;
    void UpdateReadOnly() override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

class TDBEdit : public TDBLineEdit<QLineEdit>
{
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr);
};

class TDBMemo
    : public QPlainTextEdit
    , public TFieldControl
{
    Q_OBJECT
public:
    explicit TDBMemo(QWidget *parent = nullptr);

protected:
    void LoadFromField() override;
    void SaveToField() override;
    void UpdateReadOnly() override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
};

// A check box on a boolean field, or on a text field holding ValueChecked / ValueUnchecked.
class TDBCheckBox
    : public QCheckBox
    , public TFieldControl
{
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget *parent = nullptr);
    TDBCheckBox(const QString &caption, QWidget *parent = nullptr);

    const QString &ValueChecked() const { return m_valueChecked; }
    void SetValueChecked(const QString &value);
    const QString &ValueUnchecked() const { return m_valueUnchecked; }
    void SetValueUnchecked(const QString &value);

protected:
    void LoadFromField() override;
    void SaveToField() override;
    void UpdateReadOnly() override;
    void nextCheckState() override;

private:
    QString m_valueChecked = QStringLiteral("True");
    QString m_valueUnchecked = QStringLiteral("False");
};

// A combo box whose text is the field's text: a fixed list (drop-down list) or free text with
// suggestions.
class TDBComboBox
    : public QComboBox
    , public TFieldControl
{
    Q_OBJECT
public:
    enum TStyle { csDropDown, csDropDownList };
    explicit TDBComboBox(QWidget *parent = nullptr);

    void SetItems(const QStringList &items);
    QStringList Items() const;
    TStyle Style() const { return isEditable() ? csDropDown : csDropDownList; }
    void SetStyle(TStyle style);

protected:
    void LoadFromField() override;
    void SaveToField() override;
    void UpdateReadOnly() override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showPopup() override;

private:
    void userChose(int index);
};

// Radio buttons of a field: Items are the captions, Values what the field stores (the
// captions when no values are given).
class TDBRadioGroup
    : public QGroupBox
    , public TFieldControl
{
    Q_OBJECT
public:
    explicit TDBRadioGroup(QWidget *parent = nullptr);
    TDBRadioGroup(const QString &caption, QWidget *parent = nullptr);

    void SetItems(const QStringList &items);
    const QStringList &Items() const { return m_items; }
    void SetValues(const QStringList &values);
    const QStringList &Values() const { return m_values; }
    void SetColumns(int columns);
    // -1 when the field's value is none of the values.
    int ItemIndex() const;
    void SetItemIndex(int index); // as a user choice: writes the field

protected:
    void LoadFromField() override;
    void SaveToField() override;
    void UpdateReadOnly() override;

private:
    void rebuild();
    QString valueAt(int index) const;

    QButtonGroup *m_group;
    int m_chosen = -1;
    QStringList m_items;
    QStringList m_values;
    int m_columns = 1;
};

// A button edit on a field; the button runs OnButtonClick (a picker that writes the field).
class TDBButtonEdit : public TDBLineEdit<TButtonEdit>
{
    Q_OBJECT
public:
    explicit TDBButtonEdit(QWidget *parent = nullptr);
};

// A date field typed as "yyyy-mm-dd" or picked from a drop-down calendar; empty text clears
// the field.
class TDBDateEdit : public TDBLineEdit<TButtonEdit>
{
    Q_OBJECT
public:
    explicit TDBDateEdit(QWidget *parent = nullptr);
    // Opens the calendar on the field's date (today when empty).
    void DropDown();
    QCalendarWidget *Calendar() const { return m_calendar; }
    // A date chosen in the calendar, as the user would.
    void Pick(QDate date);

protected:
    QString FieldText(bool editing) const override;
    void WriteText(const QString &text) override;

private:
    QFrame *m_popup;
    QCalendarWidget *m_calendar;
};

// A picture kept in a blob field (JPEG, PNG or bitmap bytes), scaled to fit.
class TDBImage
    : public QFrame
    , public TFieldControl
{
    Q_OBJECT
public:
    explicit TDBImage(QWidget *parent = nullptr);

    // Reads a picture file into the field; false (with the reason) when it cannot be read.
    bool LoadFromFile(const QString &fileName, QString *error = nullptr);
    bool SaveToFile(const QString &fileName) const;
    void ClearPicture();
    bool HasPicture() const { return !m_pixmap.isNull(); }
    // Keep the picture's proportions when it is scaled.
    void SetProportional(bool on);

protected:
    void LoadFromField() override;
    void SaveToField() override;
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPixmap m_pixmap;
    QByteArray m_pending;
    bool m_proportional = true;
};
