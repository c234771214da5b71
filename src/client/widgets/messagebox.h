// Message boxes, the hourglass, the modeless busy message and the progress dialog.
//
// Every message box of the client goes through MessageBox(), so that a test can answer it
// without a modal loop: TMessageBoxScript installs a handler that records each request and
// answers it from a queue (or with the box's default button).
#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <exception>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The answers of a modal window, numbered as the forms have always numbered them.
enum TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

enum class TMsgIcon { None, Information, Question, Warning, Error };

enum class TMsgButtons { OK, OKCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };

struct TMessageRequest
{
    QString Text;
    QString Caption;
    TMsgIcon Icon = TMsgIcon::None;
    TMsgButtons Buttons = TMsgButtons::OK;
    TModalResult DefaultButton = mrOk;
};

// The buttons of a set, in the order the box shows them.
QList<TModalResult> MessageButtons(TMsgButtons buttons);
// Chinese caption of an answer's button ("确定", "取消", "是(&Y)", "否(&N)", ...).
QString MessageButtonText(TModalResult button);

// Shows a modal message box and returns the button chosen. defaultButton mrNone means the
// first button of the set; a default that is not in the set falls back to the first too.
// Closing the box without a choice answers Cancel when the set has it, else the only button,
// else No.
TModalResult MessageBox(const QString &text, const QString &caption, TMsgIcon icon = TMsgIcon::None,
                        TMsgButtons buttons = TMsgButtons::OK, TModalResult defaultButton = mrNone);

// An OK box captioned with the application's title.
void ShowMessage(const QString &text);
// A Yes/No question with the question icon; No is preselected when destructive is set.
bool Confirm(const QString &text, const QString &caption, bool destructive = true);

// Shows an exception raised by the data layer or a handler: EAbort is silent, any other
// exception gives an error box with its message.
void ShowException(const std::exception &e);
// Runs fn and shows what it raised; false when it raised (silently for EAbort).
bool Guarded(const std::function<void()> &fn);

// Where message boxes go: the real modal box, or a handler a test installs.
using TMessageBoxHandler = std::function<TModalResult(const TMessageRequest &request)>;
// Installs a handler (an empty one restores the modal box) and returns the previous one.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

// Answers message boxes for the lifetime of the object: each box takes the next queued answer,
// or its default button when the queue is empty. Every request is kept for inspection.
class TMessageBoxScript
{
public:
    TMessageBoxScript();
    explicit TMessageBoxScript(std::initializer_list<TModalResult> answers);
    ~TMessageBoxScript();
    TMessageBoxScript(const TMessageBoxScript &) = delete;
    TMessageBoxScript &operator=(const TMessageBoxScript &) = delete;

    void Answer(TModalResult answer) { m_answers.append(answer); }
    const QList<TMessageRequest> &Requests() const { return m_requests; }
    int Count() const { return int(m_requests.size()); }
    // The latest request; an empty one when no box was asked for, so a check fails cleanly.
    TMessageRequest Last() const
    {
        return m_requests.isEmpty() ? TMessageRequest{} : m_requests.last();
    }
    void Clear() { m_requests.clear(); }

private:
    QList<TModalResult> m_answers;
    QList<TMessageRequest> m_requests;
    TMessageBoxHandler m_previous;
};

// The hourglass for the lifetime of the object; guards nest.
class THourGlass
{
public:
    THourGlass();
    ~THourGlass();
    THourGlass(const THourGlass &) = delete;
    THourGlass &operator=(const THourGlass &) = delete;
};

// The modeless busy message ("正在查询，请稍候..."): shown at once, painted before the long
// operation blocks the event loop, and hidden when the object goes. Messages nest; the
// innermost text shows.
class TBusyMessage
{
public:
    explicit TBusyMessage(const QString &text = DefaultText());
    ~TBusyMessage();
    TBusyMessage(const TBusyMessage &) = delete;
    TBusyMessage &operator=(const TBusyMessage &) = delete;

    static QString DefaultText();
    // The window while a message shows (tests); nullptr otherwise.
    static QWidget *Window();
    static QString CurrentText();

private:
    QString m_previousText;
};

// The cancellable progress dialog "请稍候...". The operation that shows it polls Cancelled()
// between its steps; "取消(&C)" only raises the flag, and the dialog closes only once the
// operation has marked it closable.
class TdlgProgress : public QDialog
{
    Q_OBJECT
public:
    explicit TdlgProgress(QWidget *parent = nullptr);

    void SetRange(int minimum, int maximum);
    void SetPosition(int position);
    int Position() const;
    int Maximum() const;
    // The line under the bar (the step being worked on).
    void SetText(const QString &text);
    QString Text() const;

    bool Cancelled() const { return m_cancelled; }
    void ResetCancelled() { m_cancelled = false; }
    bool CanClose() const { return m_canClose; }
    void SetCanClose(bool canClose);

    QPushButton *CancelButton() const { return m_cancel; }
    // Lets pending window messages run, so the bar repaints and the button answers.
    static void ProcessMessages();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    void cancelClicked();

    QProgressBar *m_bar;
    QLabel *m_text;
    QPushButton *m_cancel;
    bool m_cancelled = false;
    bool m_canClose = false;
};
