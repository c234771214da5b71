// Actions with a Tag and tool buttons that follow them.
#include "client/forms/actions.h"

#include "client/widgets/messagebox.h"

#include <QToolButton>
#include <QWidget>

#include <memory>

TAction::TAction(const QString &caption, const QKeySequence &shortcut, QObject *parent)
    : QAction(caption, parent)
{
    setShortcut(shortcut);
    // Several list windows are open at once, each with the same shortcuts: each window's
    // shortcuts act only while the focus is inside it.
    setShortcutContext(Qt::WidgetWithChildrenShortcut);
}

bool TAction::Execute()
{
    if (!isEnabled())
        return false;
    trigger();
    return true;
}

QToolButton *NewToolButton(QWidget *parent, const QString &name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void LinkButton(QToolButton *button, QAction *action, const QString &caption)
{
    button->setText(caption.isEmpty() ? action->text() : caption);
    button->setEnabled(action->isEnabled());
    button->setVisible(action->isVisible());
    QObject::connect(button, &QToolButton::clicked, action, [action] {
        if (action->isEnabled())
            action->trigger();
    });
    // Only a change of the action's visibility moves the button, so that a form may show a
    // button whose action stays hidden.
    auto lastVisible = std::make_shared<bool>(action->isVisible());
    QObject::connect(action, &QAction::changed, button, [button, action, lastVisible] {
        button->setEnabled(action->isEnabled());
        if (action->isVisible() != *lastVisible) {
            *lastVisible = action->isVisible();
            button->setVisible(*lastVisible);
        }
    });
}

TAction *AddFormAction(QWidget *form, const char *name, const QString &caption,
                       const QKeySequence &shortcut, std::function<void()> handler)
{
    auto *action = new TAction(caption, shortcut, form);
    action->setObjectName(QLatin1String(name));
    form->addAction(action);
    QObject::connect(action, &QAction::triggered, form,
                     [handler = std::move(handler)] { Guarded(handler); });
    return action;
}
