// The calculator of the document forms: the desktop's own when one is installed, otherwise
// a small built-in one. Sums of money come out as they are written (0.1 + 0.2 is 0.3).
#pragma once

#include "client/forms/rootform.h"

class QLineEdit;

// The arithmetic of a pocket calculator: an entry being typed, a pending operation, and the
// result shown; no window.
class TCalculatorEngine
{
public:
    void Digit(int digit);
    void Point();
    // '+', '-', '*' or '/': finishes the pending operation and starts this one.
    void Operator(char op);
    void Equals();
    // The entry as a percentage of the pending operand (200 + 10 % gives 200 + 20).
    void Percent();
    void Negate();
    void Backspace();
    void ClearEntry();
    void Clear();

    QString Display() const;
    bool HasError() const { return !m_error.isEmpty(); }

private:
    double entryValue() const;
    void setResult(double value);
    void apply();

    QString m_entry = QStringLiteral("0");
    bool m_typing = false;
    double m_accumulator = 0;
    char m_pending = 0;
    QString m_error;
};

// The value as a calculator shows it: up to 12 significant digits, no exponent for
// ordinary amounts, no trailing zeros.
QString CalculatorText(double value);

class TfrmCalculator : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmCalculator(QWidget *parent = nullptr);

    TCalculatorEngine &Engine() { return m_engine; }
    QLineEdit *Display;

    // A key as typed: digits, ".", operators, "=", Enter, Backspace, Escape, "%".
    void Press(const QString &key);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    TCalculatorEngine m_engine;
};

// Starts the desktop's calculator, or shows the built-in one (one window for the program).
void RunCalculator();
