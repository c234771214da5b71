// The lookup combo box.
#include "client/widgets/dblookupcombo.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/keychar.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QIcon dropArrowIcon()
{
    QPixmap pixmap(10, 10);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    const QPointF points[3] = {{1.5, 3}, {8.5, 3}, {5, 7}};
    painter.drawPolygon(points, 3);
    return QIcon(pixmap);
}

} // namespace

TDBLookupComboBox::TDBLookupComboBox(QWidget *parent)
    : QFrame(parent)
    , TFieldControl(this)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    // A combo is one line high wherever a layout puts it: grown with its row, the frame
    // would draw an empty box around the edit.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    m_edit = new QLineEdit(this);
    m_edit->setFrame(false);
    m_button = new QToolButton(this);
    m_button->setIcon(dropArrowIcon());
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setAutoRaise(true);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);
    setFocusPolicy(Qt::StrongFocus);

    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setFrameShape(QFrame::Box);
    auto *popupLayout = new QVBoxLayout(m_popup);
    popupLayout->setContentsMargins(1, 1, 1, 1);
    m_list = new TDBGrid(m_popup);
    m_list->SetOptions(dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection | dgTitles);
    m_list->SetReadOnly(true);
    m_list->setFrameShape(QFrame::NoFrame);
    popupLayout->addWidget(m_list);
    m_list->OnCellClick = [this](TDBGrid &, TColumn &) {
        CloseUp(true);
    };

    m_edit->installEventFilter(this);
    m_popup->installEventFilter(this);
    m_list->View()->installEventFilter(this);
    connect(m_button, &QToolButton::clicked, this, [this] {
        if (ListVisible())
            CloseUp(false);
        else
            DropDown();
    });
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (Loading())
            return;
        m_typed = true;
        if (m_style == csDropDownList)
            locateTyped(text);
    });
    m_edit->setReadOnly(true);
}

TDBLookupComboBox::~TDBLookupComboBox()
{
    m_list->SetDataSource(nullptr);
}

void TDBLookupComboBox::SetListSource(TDataSource *source)
{
    m_listSource = source;
    m_list->SetDataSource(source);
    buildListColumns();
    LoadFromField();
}

void TDBLookupComboBox::SetListDataSet(TClientDataSet *dataSet)
{
    if (!m_ownListSource)
        m_ownListSource = std::make_unique<TDataSource>();
    m_ownListSource->SetDataSet(dataSet);
    SetListSource(m_ownListSource.get());
}

TClientDataSet *TDBLookupComboBox::ListDataSet() const
{
    if (m_listSource && m_listSource->DataSet())
        return m_listSource->DataSet();
    TField *field = Field();
    if (field && field->FieldKind() == fkLookup)
        return field->LookupDataSet();
    return nullptr;
}

void TDBLookupComboBox::SetKeyField(const QString &fieldName)
{
    m_keyField = fieldName;
    LoadFromField();
}

void TDBLookupComboBox::SetListField(const QString &fieldNames)
{
    m_listField = fieldNames;
    buildListColumns();
    LoadFromField();
}

void TDBLookupComboBox::SetListFieldIndex(int index)
{
    m_listFieldIndex = qMax(0, index);
    LoadFromField();
}

void TDBLookupComboBox::SetListColumns(const QList<TLookupColumn> &columns)
{
    m_listColumns = columns;
    buildListColumns();
}

QStringList TDBLookupComboBox::listFieldNames() const
{
    QString names = m_listField;
    TField *field = Field();
    if (names.isEmpty() && field && field->FieldKind() == fkLookup)
        names = field->LookupResultField();
    QStringList list;
    for (const QString &name : names.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        list.append(name.trimmed());
    return list;
}

QString TDBLookupComboBox::listKeyField() const
{
    if (!m_keyField.isEmpty())
        return m_keyField;
    TField *field = Field();
    if (field && field->FieldKind() == fkLookup)
        return field->LookupKeyFields();
    return {};
}

QString TDBLookupComboBox::shownListField() const
{
    const QStringList names = listFieldNames();
    if (names.isEmpty())
        return listKeyField();
    return names.value(qMin(m_listFieldIndex, int(names.size()) - 1));
}

bool TDBLookupComboBox::CanModify() const
{
    TField *field = Field();
    if (!field || field->FieldKind() != fkLookup)
        return TFieldControl::CanModify();
    TField *target = targetField();
    return !ReadOnly() && m_link.Active() && !m_link.ReadOnly() && target && target->CanModify();
}

TField *TDBLookupComboBox::targetField() const
{
    TField *field = Field();
    if (field && field->FieldKind() == fkLookup && field->DataSet())
        return field->DataSet()->FindField(field->KeyFields());
    return field;
}

void TDBLookupComboBox::buildListColumns()
{
    if (!m_listColumns.isEmpty()) {
        SetLookupColumns(*m_list, m_listColumns);
        return;
    }
    QList<TLookupColumn> columns;
    for (const QString &name : listFieldNames())
        columns.append({name, QString(), 0});
    SetLookupColumns(*m_list, columns);
}

QVariant TDBLookupComboBox::KeyValue() const
{
    TField *field = targetField();
    return field && !field->IsNull() ? field->Value() : QVariant();
}

QString TDBLookupComboBox::DisplayTextOf(const QVariant &key) const
{
    TClientDataSet *list = ListDataSet();
    const QString keyField = listKeyField();
    const QString shown = shownListField();
    if (!list || !list->Active() || keyField.isEmpty() || shown.isEmpty() || !key.isValid())
        return {};
    const QVariant value = list->Lookup(keyField, key, shown);
    return value.isValid() && !value.isNull() ? value.toString() : QString();
}

QString TDBLookupComboBox::Text() const
{
    return m_edit->text();
}

void TDBLookupComboBox::LoadFromField()
{
    m_typed = false;
    const QVariant key = KeyValue();
    QString text = DisplayTextOf(key);
    if (text.isEmpty() && key.isValid() &&
        listKeyField().compare(shownListField(), Qt::CaseInsensitive) == 0)
        text = key.toString();
    if (text == m_edit->text())
        return;
    m_edit->setText(text);
    m_edit->setCursorPosition(0);
}

void TDBLookupComboBox::SaveToField()
{
    TField *field = targetField();
    if (!field)
        return;
    if (!m_pendingKey.isValid() || m_pendingKey.isNull())
        field->Clear();
    else
        field->SetValue(m_pendingKey);
}

void TDBLookupComboBox::UpdateReadOnly()
{
    const bool editable = CanModify();
    m_edit->setReadOnly(!editable);
    m_button->setEnabled(editable);
}

bool TDBLookupComboBox::SetKeyValue(const QVariant &key)
{
    if (!targetField() || !StartEdit())
        return false;
    m_pendingKey = key;
    MarkModified();
    const bool stored = Commit();
    LoadFromField();
    if (stored && OnCloseUp)
        Guarded([&] { OnCloseUp(*this); });
    return stored;
}

bool TDBLookupComboBox::SelectCurrent()
{
    TClientDataSet *list = ListDataSet();
    const QString keyField = listKeyField();
    if (!list || !list->Active() || list->IsEmpty() || keyField.isEmpty())
        return false;
    TField *key = list->FindField(keyField);
    if (!key)
        return false;
    return SetKeyValue(key->Value());
}

void TDBLookupComboBox::locateTyped(const QString &text)
{
    TClientDataSet *list = ListDataSet();
    const QString shown = shownListField();
    if (!list || !list->Active() || shown.isEmpty() || text.isEmpty())
        return;
    Guarded([&] { list->Locate(shown, text, loPartialKey | loCaseInsensitive); });
}

void TDBLookupComboBox::moveList(int distance)
{
    TClientDataSet *list = ListDataSet();
    if (!list || !list->Active())
        return;
    Guarded([&] { list->MoveBy(distance); });
}

bool TDBLookupComboBox::ListVisible() const
{
    return m_popup->isVisible();
}

void TDBLookupComboBox::DropDown()
{
    if (ListVisible())
        return;
    if (OnDropDown)
        Guarded([&] { OnDropDown(*this); });
    TClientDataSet *list = ListDataSet();
    if (list && list->Active() && !m_typed) {
        const QVariant key = KeyValue();
        if (key.isValid() && !listKeyField().isEmpty())
            Guarded([&] { list->Locate(listKeyField(), key); });
    }
    int width = 2 + m_list->View()->verticalScrollBar()->sizeHint().width();
    for (int i = 0; i < m_list->Columns().Count(); ++i)
        width += m_list->View()->columnWidth(i);
    width = qMax(width, this->width());
    if (m_dropDownWidth > 0)
        width = m_dropDownWidth;
    const int titles = (m_list->Options() & dgTitles) ? m_list->RowHeight() + 2 : 0;
    const int height = titles + m_dropDownRows * m_list->RowHeight() + 4;
    m_popup->resize(width, height);
    QPoint at = mapToGlobal(QPoint(0, this->height()));
    if (QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.y() + height > area.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - height);
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - width)));
    }
    m_popup->move(at);
    if (!m_typed)
        m_edit->selectAll(); // what is typed next replaces the shown text
    m_popup->show();
    m_list->setFocus();
}

void TDBLookupComboBox::CloseUp(bool accept)
{
    if (!ListVisible())
        return;
    m_popup->hide();
    m_edit->setFocus();
    if (accept)
        SelectCurrent();
}

bool TDBLookupComboBox::editKeyPress(QKeyEvent *event)
{
    if (OnKeyPress) {
        const QChar ch = KeyPressChar(event);
        if (!ch.isNull()) {
            QChar key = ch;
            Guarded([&] { OnKeyPress(*this, key); });
            if (key.isNull())
                return true;
        }
    }
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp: {
        if (!CanModify())
            return true;
        if (!ListVisible()) {
            DropDown();
            return true;
        }
        const int page = m_dropDownRows;
        const int distance = event->key() == Qt::Key_Down       ? 1
                             : event->key() == Qt::Key_Up       ? -1
                             : event->key() == Qt::Key_PageDown ? page
                                                                : -page;
        moveList(distance);
        return true;
    }
    case Qt::Key_F4:
        if (ListVisible())
            CloseUp(false);
        else if (CanModify())
            DropDown();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ListVisible() || m_typed) {
            CloseUp(false);
            SelectCurrent();
            return true;
        }
        return false;
    case Qt::Key_Escape:
        if (ListVisible()) {
            CloseUp(false);
            return true;
        }
        if (m_typed) {
            LoadFromField();
            return true;
        }
        return false;
    default:
        break;
    }
    const QString text = event->text();
    const bool changes = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                         (!text.isEmpty() && text.at(0).isPrint() &&
                          !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)));
    if (changes && !StartEdit())
        return true;
    // The first key typed replaces the shown text: it starts a search.
    if (changes && !m_typed)
        m_edit->selectAll();
    return false;
}

bool TDBLookupComboBox::popupKeyPress(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        moveList(event->key() == Qt::Key_Down       ? 1
                 : event->key() == Qt::Key_Up       ? -1
                 : event->key() == Qt::Key_PageDown ? m_dropDownRows
                                                    : -m_dropDownRows);
        return true;
    case Qt::Key_Tab:
        CloseUp(true);
        return true;
    default:
        // Everything else is typing for the edit underneath (Enter and Escape included, so
        // that a form's key handler sees them).
        QApplication::sendEvent(m_edit, event);
        return true;
    }
}

bool TDBLookupComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return editKeyPress(static_cast<QKeyEvent *>(event));
        case QEvent::KeyRelease:
            if (OnKeyUp) {
                auto *key = static_cast<QKeyEvent *>(event);
                Guarded([&] { OnKeyUp(*this, key->key(), key->modifiers()); });
            }
            return false;
        case QEvent::FocusIn:
            if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason &&
                static_cast<QFocusEvent *>(event)->reason() != Qt::ActiveWindowFocusReason)
                FocusEntered();
            return false;
        case QEvent::FocusOut: {
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
                ListVisible())
                return false;
            if (m_typed) {
                if (m_style == csDropDownList && !m_edit->text().isEmpty())
                    SelectCurrent();
                else
                    LoadFromField();
            }
            FocusLeaving();
            return false;
        }
        default:
            return false;
        }
    }
    if (watched == m_popup || watched == m_list->View()) {
        if (event->type() == QEvent::KeyPress)
            return popupKeyPress(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::KeyRelease) {
            QApplication::sendEvent(m_edit, event);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
