// The watch behind whenModal: a timer that looks for the awaited modal window while the modal
// loop of the code under test runs.
#include "support/whenmodal.h"

#include "support/testfailure.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace vztest {

struct ModalAnswer::Watch
{
    Watch(const QMetaObject &form, std::function<void(QWidget &)> answer, int timeoutMs,
          std::source_location where)
        : form(form)
        , answer(std::move(answer))
        , where(where)
        , deadline(timeoutMs)
    {
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] { poll(); });
        timer.start(10);
    }

    const QMetaObject &form;
    std::function<void(QWidget &)> answer;
    std::source_location where;
    QDeadlineTimer deadline;
    QTimer timer;
    bool ran = false;

    void poll()
    {
        QWidget *window = QApplication::activeModalWidget();
        if (window && window->isVisible() && window->metaObject()->inherits(&form)) {
            timer.stop();
            ran = true;
            const QPointer<QWidget> alive(window);
            answer(*window);
            if (alive && alive->isVisible())
                alive->close();
            return;
        }
        if (deadline.hasExpired())
            timer.stop();
    }
};

ModalAnswer::ModalAnswer(const QMetaObject &form, std::function<void(QWidget &)> answer,
                         int timeoutMs, std::source_location where)
    : m_watch(std::make_unique<Watch>(form, std::move(answer), timeoutMs, where))
{}

ModalAnswer::ModalAnswer(ModalAnswer &&other) noexcept = default;

ModalAnswer::~ModalAnswer()
{
    if (!m_watch)
        return;
    m_watch->timer.stop();
    if (m_watch->ran || testHasFailed())
        return;
    failTest(QStringLiteral("the modal window %1 awaited here never appeared")
                 .arg(QLatin1String(m_watch->form.className())),
             m_watch->where.file_name(), int(m_watch->where.line()));
}

bool ModalAnswer::ran() const
{
    return m_watch && m_watch->ran;
}

} // namespace vztest
