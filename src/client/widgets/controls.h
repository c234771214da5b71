// Plain controls the forms are built from: panels that take a colour, button edits (an edit
// with a picker button), the numeric edit, date pickers and the date range pair.
#pragma once

#include <QDate>
#include <QDateEdit>
#include <QFrame>
#include <QLineEdit>

#include <functional>

class QCheckBox;
class QLabel;

// Keeps backspace, "-", "." and the digits; any other key becomes no key and the speaker
// beeps. Returns whether the key was kept.
bool KeyFilterNumeric(QChar &key);

// A panel: a frame that paints its colour, as the forms' panels and the root form's styling
// expect.
class TPanel : public QFrame
{
    Q_OBJECT
public:
    enum TBevel { bvNone, bvRaised, bvLowered };

    explicit TPanel(QWidget *parent = nullptr);

    QColor Color() const { return m_color; }
    void SetColor(const QColor &color);
    void SetBevel(TBevel bevel);

private:
    QColor m_color;
};

// An edit with a button at its right end: the button (and Ctrl+Enter) runs OnButtonClick.
// Report conditions keep a key beside the text (the ids behind the names shown).
class TButtonEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TButtonEdit(QWidget *parent = nullptr);

    QColor Color() const;
    void SetColor(const QColor &color);
    const QString &Key() const { return m_key; }
    void SetKey(const QString &key) { m_key = key; }
    void SetButtonVisible(bool visible);
    bool ButtonVisible() const;
    // Runs the button as if clicked.
    void ButtonClick();

    std::function<void(TButtonEdit &Sender)> OnButtonClick;
    std::function<void(TButtonEdit &Sender)> OnDblClick;

Q_SIGNALS:
    void buttonClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QAction *m_button;
    QString m_key;
};

// An edit for numbers: keys go through KeyFilterNumeric.
class TNumericEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TNumericEdit(QWidget *parent = nullptr);
    double Value() const; // 0 when the text is not a number
    void SetValue(double value, const QString &format = QStringLiteral("0.##"));

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// A date picker showing "yyyy-mm-dd" with a drop-down calendar.
class TDateTimePicker : public QDateEdit
{
    Q_OBJECT
public:
    explicit TDateTimePicker(QWidget *parent = nullptr);
    QDate Date() const { return date(); }
    void SetDate(QDate value) { setDate(value); }
};

// The from-to pair of dates the reports and single-table forms use: "日期：" from "至" to,
// optionally switched by a check box.
class TDateRangeEdit : public QWidget
{
    Q_OBJECT
public:
    explicit TDateRangeEdit(QWidget *parent = nullptr);

    QDate From() const;
    QDate To() const;
    void SetRange(QDate from, QDate to);
    TDateTimePicker *FromPicker() const { return m_from; }
    TDateTimePicker *ToPicker() const { return m_to; }

    void SetCaption(const QString &caption);
    // With the check box shown, the range applies only while it is ticked.
    void SetCheckable(bool checkable);
    bool Checked() const;
    void SetChecked(bool checked);

    std::function<void(TDateRangeEdit &Sender)> OnChange;

Q_SIGNALS:
    void rangeChanged();

private:
    QCheckBox *m_check;
    QLabel *m_caption;
    TDateTimePicker *m_from;
    TDateTimePicker *m_to;
};
