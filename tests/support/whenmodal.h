// Answering a modal window from inside its modal loop, as a user's clicks would arrive, for
// tests that drive windows which run modally.
//
//   auto picked = vztest::whenModal<TfrmPicker>([](TfrmPicker &form) { form.btnOk->click(); });
//   list.aPick->trigger();      // shows the picker modally; the answer runs inside
//   QVERIFY(picked);            // optional: the handle says whether the answer ran
//
// A window that never comes fails the test: when the handle goes out of scope and the answer
// has not run, the running test (Qt Test or GoogleTest) gets a failure naming the place that
// waited for it, unless it has failed already.
#pragma once

#include <QMetaObject>
#include <QString>

#include <functional>
#include <memory>
#include <source_location>

class QWidget;

namespace vztest {

class [[nodiscard]] ModalAnswer
{
public:
    ModalAnswer(const QMetaObject &form, std::function<void(QWidget &)> answer, int timeoutMs,
                std::source_location where);
    ModalAnswer(ModalAnswer &&other) noexcept;
    ModalAnswer &operator=(ModalAnswer &&) = delete;
    ModalAnswer(const ModalAnswer &) = delete;
    ModalAnswer &operator=(const ModalAnswer &) = delete;
    ~ModalAnswer();

    // Whether the window came and the answer ran.
    bool ran() const;
    explicit operator bool() const { return ran(); }

private:
    struct Watch;
    std::unique_ptr<Watch> m_watch;
};

// Runs answer on the next visible modal window of class Form (or a subclass) within timeoutMs.
// A window the answer leaves open is closed afterwards, so that a failing check inside the
// answer cannot leave the test waiting in the modal loop.
template<class Form>
ModalAnswer whenModal(std::function<void(Form &)> answer, int timeoutMs = 10000,
                      std::source_location where = std::source_location::current())
{
    return ModalAnswer(
        Form::staticMetaObject,
        [answer = std::move(answer)](QWidget &window) { answer(static_cast<Form &>(window)); },
        timeoutMs, where);
}

} // namespace vztest
