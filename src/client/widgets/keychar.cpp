// The character of a key press, as OnKeyPress handlers see it.
#include "client/widgets/keychar.h"

#include <QKeyEvent>

QChar KeyPressChar(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QLatin1Char('\r');
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Backspace:
        return QChar(8);
    default:
        break;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint() ? text.at(0) : QChar();
}
