// The floating look-up box over a grid cell.
#include "client/widgets/lookupbox.h"

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/keychar.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

TDBLookupBox::TDBLookupBox(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::Box);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    m_edit = new QLineEdit(this);
    m_edit->setFrame(false);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    // Enter takes a record: a form must not move the focus on for it.
    setProperty("vzWantsReturn", true);

    // The list never takes the focus: the clerk keeps typing into the edit while it shows.
    m_popup =
        new QFrame(this, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    m_popup->setAttribute(Qt::WA_ShowWithoutActivating);
    m_popup->setAttribute(Qt::WA_WindowPropagation); // the form's font and colours
    m_popup->setFrameShape(QFrame::Box);
    auto *popupLayout = new QVBoxLayout(m_popup);
    popupLayout->setContentsMargins(1, 1, 1, 1);
    m_list = new TDBGrid(m_popup);
    m_list->SetOptions(dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection | dgTitles);
    m_list->SetReadOnly(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->View()->setFocusPolicy(Qt::NoFocus);
    popupLayout->addWidget(m_list);
    m_list->OnCellClick = [this](TDBGrid &, TColumn &) {
        if (OnListClick)
            Guarded([&] { OnListClick(*this); });
    };

    m_edit->installEventFilter(this);
    hide();
}

TDBLookupBox::~TDBLookupBox()
{
    m_list->SetDataSource(nullptr);
}

void TDBLookupBox::SetListSource(TDataSource *source)
{
    m_listSource = source;
    m_list->SetDataSource(source);
    if (!m_listColumns.isEmpty())
        SetLookupColumns(*m_list, m_listColumns);
}

void TDBLookupBox::SetListColumns(const QList<TLookupColumn> &columns)
{
    m_listColumns = columns;
    SetLookupColumns(*m_list, columns);
}

void TDBLookupBox::SetDropDownRows(int rows)
{
    m_dropDownRows = qMax(1, rows);
}

QString TDBLookupBox::Text() const
{
    return m_edit->text();
}

void TDBLookupBox::SetText(const QString &text)
{
    m_edit->setText(text);
}

void TDBLookupBox::ShowOver(const QRect &rect)
{
    setGeometry(rect.x(), rect.y(), rect.width(), rect.height() + 2);
    show();
    raise();
    m_edit->selectAll(); // the first key typed replaces what the cell held
    m_edit->setFocus(Qt::OtherFocusReason);
    DropDown();
}

bool TDBLookupBox::DroppedDown() const
{
    return m_popup->isVisible();
}

void TDBLookupBox::DropDown()
{
    if (DroppedDown() || !isVisible())
        return;
    QTableView *view = m_list->View();
    int width = 2 + view->verticalScrollBar()->sizeHint().width();
    for (int i = 0; i < m_list->Columns().Count(); ++i)
        width += view->columnWidth(i);
    width = qMax(width, this->width());
    const int titles = (m_list->Options() & dgTitles) ? m_list->RowHeight() + 2 : 0;
    const int height = titles + m_dropDownRows * m_list->RowHeight() + 4;
    QPoint at = mapToGlobal(QPoint(0, this->height()));
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.y() + height > area.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - height);
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - width)));
    }
    m_popup->setGeometry(QRect(at, QSize(width, height)));
    m_popup->show();
    m_popup->raise();
}

void TDBLookupBox::CloseUp()
{
    m_popup->hide();
}

void TDBLookupBox::SendKey(const QKeyEvent &event)
{
    QKeyEvent copy(event.type(), event.key(), event.modifiers(), event.text(), event.isAutoRepeat(),
                   ushort(event.count()));
    QApplication::sendEvent(m_edit, &copy);
}

void TDBLookupBox::moveList(int distance)
{
    TClientDataSet *list = m_list->DataSet();
    if (list && list->Active())
        Guarded([&] { list->MoveBy(distance); });
}

bool TDBLookupBox::editKeyPress(QKeyEvent *event)
{
    if (OnKeyPress) {
        const QChar typed = KeyPressChar(event);
        if (!typed.isNull()) {
            QChar key = typed;
            Guarded([&] { OnKeyPress(*this, key); });
            if (key.isNull())
                return true;
            if (key != typed && key.isPrint()) {
                m_edit->insert(key); // the handler typed another character
                return true;
            }
        }
    }
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!DroppedDown()) {
            DropDown();
            return true;
        }
        moveList(event->key() == Qt::Key_Down       ? 1
                 : event->key() == Qt::Key_Up       ? -1
                 : event->key() == Qt::Key_PageDown ? m_dropDownRows
                                                    : -m_dropDownRows);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true; // the form's OnKeyPress has taken it; the window must not
    case Qt::Key_Escape:
        // Giving up the typing is the form's business (OnKeyPress); it must not close it.
        CloseUp();
        return true;
    default:
        return false;
    }
}

void TDBLookupBox::leave()
{
    if (m_leaving || !isVisible())
        return;
    m_leaving = true;
    if (OnExit)
        Guarded([&] { OnExit(*this); });
    CloseUp();
    hide();
    m_leaving = false;
}

void TDBLookupBox::hideEvent(QHideEvent *event)
{
    CloseUp();
    QFrame::hideEvent(event);
}

bool TDBLookupBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit)
        return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return editKeyPress(static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease:
        if (OnKeyUp) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            Guarded([&] { OnKeyUp(*this, key); });
        }
        return false;
    case QEvent::FocusOut: {
        // Another window coming to the front keeps the box for when the clerk returns.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            CloseUp();
        else
            leave();
        return false;
    }
    default:
        return false;
    }
}
