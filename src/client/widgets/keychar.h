// The character a key press hands to the components' OnKeyPress handlers.
#pragma once

#include <QChar>

class QKeyEvent;

// Enter as '\r', Escape as 27, Backspace as 8, a printable character as itself; keys that
// type nothing give a null character.
QChar KeyPressChar(const QKeyEvent *event);
