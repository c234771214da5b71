// Data-aware editors.
#include "client/widgets/dbcontrols.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QFile>
#include <QFocusEvent>
#include <QGridLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Keys that change the text of an edit (and so need the dataset in edit state first).
bool changesText(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::DeleteEndOfWord) ||
        event->matches(QKeySequence::DeleteStartOfWord))
        return true;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

// Characters a numeric field can hold, as typed.
bool numericCharacter(QChar c)
{
    return c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('.') ||
           c == QLatin1Char(',') || c == QLatin1Char('e') || c == QLatin1Char('E');
}

bool windowChange(QFocusEvent *event)
{
    return event->reason() == Qt::ActiveWindowFocusReason ||
           event->reason() == Qt::PopupFocusReason;
}

} // namespace

// --- TFieldControl --------------------------------------------------------------------------

TFieldControl::TFieldControl(QWidget *self)
    : m_self(self)
{
    m_link.OnDataChange = [this] {
        reload();
    };
    m_link.OnActiveChange = [this] {
        reload();
        UpdateReadOnly();
    };
    m_link.OnEditingChange = [this] {
        UpdateReadOnly();
    };
    m_link.OnUpdateData = [this] {
        SaveToField();
    };
    m_link.OnFocusControl = [this] {
        m_self->setFocus();
    };
}

TFieldControl::~TFieldControl()
{
    m_link.OnDataChange = nullptr;
    m_link.OnActiveChange = nullptr;
    m_link.OnEditingChange = nullptr;
    m_link.OnUpdateData = nullptr;
    m_link.OnFocusControl = nullptr;
    m_link.SetDataSource(nullptr);
}

void TFieldControl::SetDataSource(TDataSource *dataSource)
{
    m_link.SetDataSource(dataSource);
    reload();
    UpdateReadOnly();
}

void TFieldControl::SetDataField(const QString &fieldName)
{
    m_link.SetFieldName(fieldName);
    reload();
    UpdateReadOnly();
}

void TFieldControl::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    UpdateReadOnly();
}

bool TFieldControl::CanModify() const
{
    return !m_readOnly && m_link.Active() && m_link.Field() && m_link.CanModify();
}

bool TFieldControl::StartEdit()
{
    if (!CanModify()) {
        QApplication::beep();
        return false;
    }
    if (m_link.Editing())
        return true;
    bool editing = false;
    Guarded([&] { editing = m_link.Edit(); });
    if (!editing)
        QApplication::beep();
    return editing;
}

void TFieldControl::MarkModified()
{
    m_link.Modified(true);
}

bool TFieldControl::Commit()
{
    if (!m_link.Modified() || !m_link.Field())
        return true;
    const bool stored = Guarded([&] {
        SaveToField();
        m_link.Modified(false);
    });
    if (!stored)
        m_self->setFocus();
    return stored;
}

void TFieldControl::Revert()
{
    m_link.Reset();
    reload();
}

void TFieldControl::reload()
{
    m_loading = true;
    LoadFromField();
    m_loading = false;
}

void TFieldControl::FocusEntered()
{
    if (OnEnter)
        Guarded([&] { OnEnter(*m_self); });
}

bool TFieldControl::FocusLeaving()
{
    if (!Commit())
        return false;
    if (OnExit)
        Guarded([&] { OnExit(*m_self); });
    return true;
}

void TFieldControl::FireChange()
{
    if (OnChange)
        Guarded([&] { OnChange(*m_self); });
}

void TFieldControl::FireDblClick()
{
    if (OnDblClick)
        Guarded([&] { OnDblClick(*m_self); });
}

// --- TDBLineEdit ----------------------------------------------------------------------------

template<class LineEdit>
TDBLineEdit<LineEdit>::TDBLineEdit(QWidget *parent)
    : LineEdit(parent)
    , TFieldControl(this)
{
    QObject::connect(this, &QLineEdit::textEdited, this, [this] {
        if (!Loading())
            MarkModified();
    });
    QObject::connect(this, &QLineEdit::textChanged, this, [this] { FireChange(); });
    QObject::connect(this, &QLineEdit::returnPressed, this, [this] { Commit(); });
    this->setReadOnly(true);
}

template<class LineEdit>
QString TDBLineEdit<LineEdit>::FieldText(bool editing) const
{
    TField *field = Field();
    if (!field)
        return {};
    return editing ? field->Text() : field->DisplayText();
}

template<class LineEdit>
void TDBLineEdit<LineEdit>::WriteText(const QString &text)
{
    Field()->SetText(text);
}

template<class LineEdit>
void TDBLineEdit<LineEdit>::LoadFromField()
{
    const bool editing = this->hasFocus() && CanModify();
    const QString text = FieldText(editing);
    // The same text stays untouched, so a selection the user made survives a reload (the
    // dataset entering edit state reloads every control).
    if (text == this->text())
        return;
    this->setText(text);
    if (!this->hasFocus())
        this->setCursorPosition(0);
}

template<class LineEdit>
void TDBLineEdit<LineEdit>::SaveToField()
{
    if (Field())
        WriteText(this->text());
}

template<class LineEdit>
void TDBLineEdit<LineEdit>::UpdateReadOnly()
{
    // Setting either property again would reset the text and lose the user's selection.
    if (this->isReadOnly() == CanModify())
        this->setReadOnly(!CanModify());
    TField *field = Field();
    const int maxLength =
        field && IsStringType(field->DataType()) && !field->IsBlob() && field->Size() > 0
            ? field->Size()
            : 32767;
    if (this->maxLength() != maxLength)
        this->setMaxLength(maxLength);
}

template<class LineEdit>
void TDBLineEdit<LineEdit>::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && PendingChange()) {
        Revert();
        this->selectAll();
        event->accept();
        return;
    }
    if (changesText(event)) {
        TField *field = Field();
        const QString text = event->text();
        if (field && field->IsNumeric() && !text.isEmpty() && text.at(0).isPrint() &&
            !numericCharacter(text.at(0))) {
            QApplication::beep();
            event->accept();
            return;
        }
        if (!StartEdit()) {
            event->accept();
            return;
        }
    }
    LineEdit::keyPressEvent(event);
}

template<class LineEdit>
void TDBLineEdit<LineEdit>::focusInEvent(QFocusEvent *event)
{
    LineEdit::focusInEvent(event);
    if (windowChange(event))
        return;
    if (!PendingChange() && CanModify()) {
        const QString text = FieldText(true);
        if (text != this->text())
            this->setText(text);
    }
    FocusEntered();
}

template<class LineEdit>
void TDBLineEdit<LineEdit>::focusOutEvent(QFocusEvent *event)
{
    LineEdit::focusOutEvent(event);
    if (windowChange(event))
        return;
    if (!FocusLeaving())
        return;
    this->setText(FieldText(false));
    this->setCursorPosition(0);
}

template<class LineEdit>
void TDBLineEdit<LineEdit>::mouseDoubleClickEvent(QMouseEvent *event)
{
    LineEdit::mouseDoubleClickEvent(event);
    FireDblClick();
}

template class TDBLineEdit<QLineEdit>;
template class TDBLineEdit<TButtonEdit>;

TDBEdit::TDBEdit(QWidget *parent)
    : TDBLineEdit<QLineEdit>(parent)
{}

TDBButtonEdit::TDBButtonEdit(QWidget *parent)
    : TDBLineEdit<TButtonEdit>(parent)
{}

// --- TDBDateEdit ----------------------------------------------------------------------------

TDBDateEdit::TDBDateEdit(QWidget *parent)
    : TDBLineEdit<TButtonEdit>(parent)
{
    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setFrameShape(QFrame::Box);
    auto *layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(1, 1, 1, 1);
    m_calendar = new QCalendarWidget(m_popup);
    m_calendar->setGridVisible(true);
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    layout->addWidget(m_calendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, &TDBDateEdit::Pick);
    connect(m_calendar, &QCalendarWidget::activated, this, &TDBDateEdit::Pick);
    OnButtonClick = [this](TButtonEdit &) {
        DropDown();
    };
}

QString TDBDateEdit::FieldText(bool editing) const
{
    Q_UNUSED(editing);
    TField *field = Field();
    if (!field || field->IsNull())
        return {};
    return FormatDateTime(ShortDateFormat, field->AsDate());
}

void TDBDateEdit::WriteText(const QString &text)
{
    if (text.trimmed().isEmpty())
        Field()->Clear();
    else
        Field()->SetText(text.trimmed());
}

void TDBDateEdit::DropDown()
{
    if (!CanModify()) {
        QApplication::beep();
        return;
    }
    QDate date;
    if (!TryStrToDate(text(), date))
        date = QDate::currentDate();
    m_calendar->setSelectedDate(date);
    m_popup->adjustSize();
    m_popup->move(mapToGlobal(QPoint(0, height())));
    m_popup->show();
    m_calendar->setFocus();
}

void TDBDateEdit::Pick(QDate date)
{
    m_popup->hide();
    if (!date.isValid() || !StartEdit())
        return;
    setText(FormatDateTime(ShortDateFormat, date));
    MarkModified();
    Commit();
}

// --- TDBMemo --------------------------------------------------------------------------------

TDBMemo::TDBMemo(QWidget *parent)
    : QPlainTextEdit(parent)
    , TFieldControl(this)
{
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!Loading()) {
            MarkModified();
            FireChange();
        }
    });
    setReadOnly(true);
}

void TDBMemo::LoadFromField()
{
    TField *field = Field();
    setPlainText(field ? field->AsString() : QString());
}

void TDBMemo::SaveToField()
{
    if (Field())
        Field()->SetAsString(toPlainText());
}

void TDBMemo::UpdateReadOnly()
{
    setReadOnly(!CanModify());
}

void TDBMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (PendingChange()) {
            Revert();
            event->accept();
        } else {
            event->ignore();
        }
        return;
    }
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if ((changesText(event) || newLine) && !StartEdit()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TDBMemo::insertFromMimeData(const QMimeData *source)
{
    if (StartEdit())
        QPlainTextEdit::insertFromMimeData(source);
}

void TDBMemo::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    if (!windowChange(event))
        FocusEntered();
}

void TDBMemo::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (!windowChange(event))
        FocusLeaving();
}

// --- TDBCheckBox ----------------------------------------------------------------------------

TDBCheckBox::TDBCheckBox(QWidget *parent)
    : QCheckBox(parent)
    , TFieldControl(this)
{}

TDBCheckBox::TDBCheckBox(const QString &caption, QWidget *parent)
    : TDBCheckBox(parent)
{
    setText(caption);
}

void TDBCheckBox::SetValueChecked(const QString &value)
{
    m_valueChecked = value;
    LoadFromField();
}

void TDBCheckBox::SetValueUnchecked(const QString &value)
{
    m_valueUnchecked = value;
    LoadFromField();
}

void TDBCheckBox::LoadFromField()
{
    TField *field = Field();
    bool checked = false;
    if (field && !field->IsNull()) {
        if (field->DataType() == ftBoolean) {
            checked = field->AsBoolean();
        } else {
            const QString text = field->Text();
            for (const QString &value : m_valueChecked.split(QLatin1Char(';'))) {
                if (value.compare(text, Qt::CaseInsensitive) == 0)
                    checked = true;
            }
        }
    }
    setChecked(checked);
}

void TDBCheckBox::SaveToField()
{
    TField *field = Field();
    if (!field)
        return;
    if (field->DataType() == ftBoolean)
        field->SetAsBoolean(isChecked());
    else
        field->SetText(
            (isChecked() ? m_valueChecked : m_valueUnchecked).section(QLatin1Char(';'), 0, 0));
}

void TDBCheckBox::UpdateReadOnly()
{
    setFocusPolicy(CanModify() ? Qt::StrongFocus : Qt::ClickFocus);
}

void TDBCheckBox::nextCheckState()
{
    if (!StartEdit())
        return;
    QCheckBox::nextCheckState();
    MarkModified();
    if (Commit())
        FireChange();
}

// --- TDBComboBox ----------------------------------------------------------------------------

TDBComboBox::TDBComboBox(QWidget *parent)
    : QComboBox(parent)
    , TFieldControl(this)
{
    SetStyle(csDropDown);
    connect(this, qOverload<int>(&QComboBox::activated), this, &TDBComboBox::userChose);
}

void TDBComboBox::SetItems(const QStringList &items)
{
    clear();
    addItems(items);
    LoadFromField();
}

QStringList TDBComboBox::Items() const
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items.append(itemText(i));
    return items;
}

void TDBComboBox::SetStyle(TStyle style)
{
    setEditable(style == csDropDown);
    if (isEditable()) {
        setInsertPolicy(QComboBox::NoInsert);
        connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
            if (!Loading())
                MarkModified();
        });
        connect(lineEdit(), &QLineEdit::returnPressed, this, [this] { Commit(); });
    }
    LoadFromField();
}

void TDBComboBox::LoadFromField()
{
    TField *field = Field();
    const QString text = field ? field->Text() : QString();
    if (isEditable())
        setEditText(text);
    else
        setCurrentIndex(findText(text));
}

void TDBComboBox::SaveToField()
{
    if (Field())
        Field()->SetText(currentText());
}

void TDBComboBox::UpdateReadOnly()
{
    if (isEditable())
        lineEdit()->setReadOnly(!CanModify());
}

void TDBComboBox::userChose(int index)
{
    if (Loading())
        return;
    const QString chosen = index >= 0 ? itemText(index) : currentText();
    if (!StartEdit()) {
        LoadFromField();
        return;
    }
    // Entering edit state reloads every control from the field, this one too: the choice that
    // started the edit is put back.
    if (isEditable())
        setEditText(chosen);
    else
        setCurrentIndex(findText(chosen));
    MarkModified();
    if (Commit())
        FireChange();
}

void TDBComboBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && PendingChange()) {
        Revert();
        event->accept();
        return;
    }
    const bool moves =
        !isEditable() && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                          event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown ||
                          event->key() == Qt::Key_Home || event->key() == Qt::Key_End);
    if ((moves || changesText(event)) && !StartEdit()) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TDBComboBox::showPopup()
{
    if (!CanModify()) {
        QApplication::beep();
        return;
    }
    QComboBox::showPopup();
}

void TDBComboBox::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    if (!windowChange(event))
        FocusEntered();
}

void TDBComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    if (!windowChange(event))
        FocusLeaving();
}

// --- TDBRadioGroup --------------------------------------------------------------------------

TDBRadioGroup::TDBRadioGroup(QWidget *parent)
    : QGroupBox(parent)
    , TFieldControl(this)
    , m_group(new QButtonGroup(this))
{
    new QGridLayout(this);
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        if (!StartEdit()) {
            LoadFromField();
            return;
        }
        m_chosen = id;
        MarkModified();
        if (Commit())
            FireChange();
    });
}

TDBRadioGroup::TDBRadioGroup(const QString &caption, QWidget *parent)
    : TDBRadioGroup(parent)
{
    setTitle(caption);
}

void TDBRadioGroup::SetItems(const QStringList &items)
{
    m_items = items;
    rebuild();
}

void TDBRadioGroup::SetValues(const QStringList &values)
{
    m_values = values;
    LoadFromField();
}

void TDBRadioGroup::SetColumns(int columns)
{
    m_columns = qMax(1, columns);
    rebuild();
}

QString TDBRadioGroup::valueAt(int index) const
{
    if (index < 0)
        return {};
    return index < m_values.size() ? m_values[index] : m_items.value(index);
}

void TDBRadioGroup::rebuild()
{
    for (QAbstractButton *button : m_group->buttons()) {
        m_group->removeButton(button);
        delete button;
    }
    auto *grid = static_cast<QGridLayout *>(layout());
    const int rows = (int(m_items.size()) + m_columns - 1) / m_columns;
    for (int i = 0; i < m_items.size(); ++i) {
        auto *button = new QRadioButton(m_items[i], this);
        m_group->addButton(button, i);
        grid->addWidget(button, rows > 0 ? i % rows : 0, rows > 0 ? i / rows : 0);
    }
    LoadFromField();
}

int TDBRadioGroup::ItemIndex() const
{
    return m_group->checkedId();
}

void TDBRadioGroup::SetItemIndex(int index)
{
    if (index < 0 || index >= m_items.size() || !StartEdit())
        return;
    m_chosen = index;
    if (QAbstractButton *button = m_group->button(index))
        button->setChecked(true);
    MarkModified();
    if (Commit())
        FireChange();
}

void TDBRadioGroup::LoadFromField()
{
    TField *field = Field();
    const QString text = field && !field->IsNull() ? field->Text() : QString();
    int found = -1;
    for (int i = 0; i < m_items.size() && field && !field->IsNull(); ++i) {
        if (valueAt(i).compare(text, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    m_chosen = found;
    m_group->setExclusive(false);
    for (QAbstractButton *button : m_group->buttons())
        button->setChecked(m_group->id(button) == found);
    m_group->setExclusive(true);
}

void TDBRadioGroup::SaveToField()
{
    if (Field() && m_chosen >= 0)
        Field()->SetText(valueAt(m_chosen));
}

void TDBRadioGroup::UpdateReadOnly()
{
    for (QAbstractButton *button : m_group->buttons())
        button->setFocusPolicy(CanModify() ? Qt::StrongFocus : Qt::ClickFocus);
}

// --- TDBImage -------------------------------------------------------------------------------

TDBImage::TDBImage(QWidget *parent)
    : QFrame(parent)
    , TFieldControl(this)
{
    setFrameShape(QFrame::Box);
    setMinimumSize(48, 48);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

bool TDBImage::LoadFromFile(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    QPixmap probe;
    if (!probe.loadFromData(bytes)) {
        if (error)
            *error = QStringLiteral("不是可识别的图片文件");
        return false;
    }
    if (!StartEdit()) {
        if (error)
            *error = QStringLiteral("图片不能修改");
        return false;
    }
    m_pending = bytes;
    MarkModified();
    return Commit();
}

bool TDBImage::SaveToFile(const QString &fileName) const
{
    TField *field = Field();
    if (!field || field->IsNull())
        return false;
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(field->AsBytes()) >= 0;
}

void TDBImage::ClearPicture()
{
    if (!StartEdit())
        return;
    m_pending.clear();
    MarkModified();
    Commit();
}

void TDBImage::SetProportional(bool on)
{
    m_proportional = on;
    update();
}

void TDBImage::LoadFromField()
{
    TField *field = Field();
    m_pixmap = QPixmap();
    if (field && !field->IsNull())
        m_pixmap.loadFromData(field->AsBytes());
    update();
}

void TDBImage::SaveToField()
{
    TField *field = Field();
    if (!field)
        return;
    if (m_pending.isEmpty())
        field->Clear();
    else
        field->SetAsBytes(m_pending);
}

void TDBImage::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_pixmap.isNull())
        return;
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(2, 2, -2, -2);
    const QSize size =
        m_proportional ? m_pixmap.size().scaled(area.size(), Qt::KeepAspectRatio) : area.size();
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, m_pixmap);
}

void TDBImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    QFrame::mouseDoubleClickEvent(event);
    FireDblClick();
}
