// The calculator: the desktop's own when one is installed, else a small built-in one that
// works like a pocket calculator and shows results to twelve significant digits, so that
// money sums come out to the cent (0.1 + 0.2 shows 0.3).
#pragma once

#include "client/forms/rootform.h"

#include <QString>
#include <QStringList>

class QLineEdit;
class QPushButton;

// The arithmetic of the built-in calculator, one key at a time. Keys are the captions of its
// buttons: "0" to "9", ".", "+", "−", "×", "÷", "=", "%", "±", "C", "CE", "←"; "-", "*" and
// "/" stand for their signs. Unknown keys are ignored.
class TCalculatorEngine
{
public:
    void Press(const QString &key);
    // The number typed or the last result, or the error text after a division by zero.
    QString Display() const;
    bool Failed() const { return m_failed; }

    // A number as the display shows it: twelve significant digits, no exponent for amounts.
    static QString Format(double value);

private:
    double current() const;
    void typeDigit(QChar digit);
    void setOperator(QChar op);
    void equals();
    void percent();
    bool apply(QChar op, double left, double right, double &result);
    void clearAll();

    double m_accumulator = 0;
    QChar m_operator;     // pending operator; null when none
    QString m_entry;      // what is being typed; empty when a result is shown
    double m_shown = 0;   // the result shown while nothing is typed
    QChar m_lastOperator; // for "=" pressed again
    double m_lastOperand = 0;
    bool m_failed = false;
};

class TfrmCalculator : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmCalculator(QWidget *parent = nullptr);

    // Presses a key as its button would.
    void Press(const QString &key);
    QString Display() const;
    QPushButton *Button(const QString &key) const;

protected:
    bool EnterMovesFocus(QWidget *focus) const override;
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift) override;

private:
    TCalculatorEngine m_engine;
    QLineEdit *m_display;
    QList<QPushButton *> m_buttons;
};

// The calculators looked for, in order of preference.
QStringList DesktopCalculators();

// Starts the first desktop calculator found on the PATH and returns nullptr; when there is
// none, or it does not start, shows a built-in calculator and returns it.
TfrmCalculator *RunCalculator(QWidget *parent = nullptr);
