// The root of every window of the client: Enter moves to the next control (grids keep it),
// Escape closes, the light blue colour and the styling of the direct child controls on show,
// the 12-pixel Song face, and release on close. TFrmBase is the small fixed dialog template
// with a client panel and a button panel.
#pragma once

#include "client/widgets/messagebox.h"

#include <QDialog>
#include <QString>

#include <utility>

class TPanel;

class TFrmRoot : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmRoot(QWidget *parent = nullptr);
    ~TFrmRoot() override;

    // The document-type code the window was opened for.
    const QString &BillType() const { return m_billType; }
    virtual void SetBillType(const QString &billType);

    // Runs FormCreate once; CreateForm and the first show call it.
    void DoCreate();
    // Shows the form modally and returns how it ended. The form is not released: the caller
    // reads its results and frees it.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return m_modalResult; }
    // Setting a result on a form that runs modally closes it.
    void SetModalResult(TModalResult result);
    // Closes the form (its workspace window when it lives in one); FormCloseQuery may refuse.
    void Close();

    QColor Color() const;
    void SetColor(const QColor &color);
    // The colour on the form and its direct child controls: panels, page controls and button
    // edits take it, tab strips take it as background, grids take it as title and footer
    // colour and show multi-line titles.
    void ApplyRootStyle();

protected:
    // Hooks in the order a form lives them; overrides call the inherited hook.
    virtual void FormCreate() {}
    virtual void FormShow();
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose() {}
    // Whether Enter in this control moves the focus on: not in grids, multi-line texts,
    // buttons, or controls marked with the property "vzWantsReturn".
    virtual bool EnterMovesFocus(QWidget *focus) const;
    // Keys the form sees before its focused control does; setting Key to 0 swallows the key.
    virtual void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift)
    {
        Q_UNUSED(Key);
        Q_UNUSED(Shift);
    }

    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    bool focusNextControl(QWidget *from);

    QString m_billType;
    TModalResult m_modalResult = mrNone;
    bool m_created = false;
};

// Makes a form and runs its FormCreate. The form belongs to its parent, and a form shown
// modelessly releases itself when closed.
template<class Form, class... Args>
Form *CreateForm(Args &&...args)
{
    auto *form = new Form(std::forward<Args>(args)...);
    form->DoCreate();
    return form;
}

class TFrmBase : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TFrmBase(QWidget *parent = nullptr);

    TPanel *PanelClient() const { return m_panelClient; }
    TPanel *PanelBottom() const { return m_panelBottom; }

protected:
    void FormShow() override;

private:
    TPanel *m_panelClient;
    TPanel *m_panelBottom;
};
