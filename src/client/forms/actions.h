// The actions of the forms' tool bars and menus: a caption with its shortcut, a Tag through
// which the rights system withholds an action (a Tag other than 0 keeps it disabled), a Hint
// some forms read as a mode, and tool buttons that follow an action but keep their own
// caption.
#pragma once

#include <QAction>
#include <QString>

#include <functional>

class QToolButton;

class TAction : public QAction
{
    Q_OBJECT
public:
    TAction(const QString &caption, const QKeySequence &shortcut, QObject *parent);

    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    const QString &Hint() const { return m_hint; }
    void SetHint(const QString &hint) { m_hint = hint; }

    // Runs the action as its button or shortcut would: only when it is enabled.
    bool Execute();

private:
    int m_tag = 0;
    QString m_hint;
};

// A flat, text-only tool-bar button that never takes the focus from the form's controls.
QToolButton *NewToolButton(QWidget *parent, const QString &name);

// Links a tool button to an action: a click runs the action, the button is enabled with it
// and shows or hides when the action's visibility changes. The button keeps its own caption
// ("关闭(&Q)" for the action "退出(&Q)") and may be shown or hidden on its own afterwards.
void LinkButton(QToolButton *button, QAction *action, const QString &caption = {});

// An action of a form's tool bar: named, added to the form (so its shortcut works there) and
// running handler when triggered, with any exception shown rather than thrown on.
TAction *AddFormAction(QWidget *form, const char *name, const QString &caption,
                       const QKeySequence &shortcut, std::function<void()> handler);
