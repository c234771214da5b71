// The desktop's calculator, or the built-in one.
#include "client/forms/calculator.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include <cmath>

namespace {

constexpr int SignificantDigits = 12;
constexpr int MaxEntryDigits = 15;

const QChar Minus(0x2212);
const QChar Times(0x00D7);
const QChar Divide(0x00F7);

// A value cut to twelve significant digits of a magnitude: the binary noise of a decimal sum
// (0.1 + 0.2 - 0.3) disappears instead of showing as 5.55e-17. Products and quotients keep
// their full precision (1 ÷ 3 × 3 is 1) and are cut only for the display.
double roundTo(double value, double magnitude)
{
    if (value == 0 || !std::isfinite(value) || magnitude == 0)
        return value;
    const int exponent = int(std::floor(std::log10(std::fabs(magnitude))));
    const double unit = std::pow(10.0, exponent - (SignificantDigits - 1));
    return std::round(value / unit) * unit;
}

} // namespace

QString TCalculatorEngine::Format(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("溢出");
    value = roundTo(value, value);
    if (value == 0)
        return QStringLiteral("0");
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e15 || magnitude < 1e-9)
        return QString::number(value, 'g', SignificantDigits);
    const int exponent = int(std::floor(std::log10(magnitude)));
    QString text = QString::number(value, 'f', qMax(0, SignificantDigits - 1 - exponent));
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

QString TCalculatorEngine::Display() const
{
    if (m_failed)
        return QStringLiteral("除数不能为零");
    if (!m_entry.isEmpty())
        return m_entry;
    return Format(m_shown);
}

double TCalculatorEngine::current() const
{
    return m_entry.isEmpty() ? m_shown : m_entry.toDouble();
}

void TCalculatorEngine::clearAll()
{
    *this = TCalculatorEngine();
}

bool TCalculatorEngine::apply(QChar op, double left, double right, double &result)
{
    if (op == u'+' || op == Minus) {
        const double sum = op == u'+' ? left + right : left - right;
        result = roundTo(sum, std::max(std::fabs(left), std::fabs(right)));
    } else if (op == Times) {
        result = left * right;
    } else if (op == Divide) {
        if (right == 0) {
            m_failed = true;
            return false;
        }
        result = left / right;
    } else {
        result = right;
    }
    return true;
}

void TCalculatorEngine::typeDigit(QChar digit)
{
    if (m_entry == u"0" && digit != u'.')
        m_entry.clear();
    if (m_entry == u"-0" && digit != u'.')
        m_entry = QStringLiteral("-");
    if (digit == u'.') {
        if (m_entry.contains(u'.'))
            return;
        if (m_entry.isEmpty() || m_entry == u"-")
            m_entry += u'0';
    } else {
        int digits = 0;
        for (QChar c : std::as_const(m_entry))
            digits += c.isDigit() ? 1 : 0;
        if (digits >= MaxEntryDigits)
            return;
    }
    m_entry += digit;
}

void TCalculatorEngine::setOperator(QChar op)
{
    if (!m_operator.isNull() && !m_entry.isEmpty()) {
        double result = 0;
        if (!apply(m_operator, m_accumulator, current(), result))
            return;
        m_accumulator = result;
    } else if (m_operator.isNull() || !m_entry.isEmpty()) {
        m_accumulator = current();
    }
    // An operator pressed right after another one replaces it.
    m_operator = op;
    m_shown = m_accumulator;
    m_entry.clear();
}

void TCalculatorEngine::equals()
{
    double result = 0;
    if (!m_operator.isNull()) {
        m_lastOperator = m_operator;
        m_lastOperand = current();
        if (!apply(m_operator, m_accumulator, m_lastOperand, result))
            return;
    } else if (!m_lastOperator.isNull()) {
        // "=" again repeats the last operation on the result.
        if (!apply(m_lastOperator, current(), m_lastOperand, result))
            return;
    } else {
        result = current();
    }
    m_operator = QChar();
    m_accumulator = result;
    m_shown = result;
    m_entry.clear();
}

// "200 + 5 %" adds five per cent of 200; "200 × 5 %" takes five per cent; alone, a number
// becomes its hundredth.
void TCalculatorEngine::percent()
{
    const double value = current();
    double result = value / 100;
    if (m_operator == u'+' || m_operator == Minus)
        result = m_accumulator * value / 100;
    m_shown = result;
    m_entry.clear();
}

void TCalculatorEngine::Press(const QString &key)
{
    if (key == u"C") {
        clearAll();
        return;
    }
    if (m_failed) {
        // After an error only a new number or clearing goes on.
        clearAll();
        if (key == u"CE" || !(key.size() == 1 && (key[0].isDigit() || key[0] == u'.')))
            return;
    }
    if (key.size() == 1 && (key[0].isDigit() || key[0] == u'.')) {
        if (m_entry.isEmpty() && m_operator.isNull())
            m_lastOperator = QChar(); // a new calculation
        typeDigit(key[0]);
    } else if (key == u"+") {
        setOperator(u'+');
    } else if (key == u"-" || key == QString(Minus)) {
        setOperator(Minus);
    } else if (key == u"*" || key == QString(Times)) {
        setOperator(Times);
    } else if (key == u"/" || key == QString(Divide)) {
        setOperator(Divide);
    } else if (key == u"=") {
        equals();
    } else if (key == u"%") {
        percent();
    } else if (key == u"±") {
        if (m_entry.isEmpty()) {
            m_shown = -m_shown;
        } else if (m_entry.startsWith(u'-')) {
            m_entry.remove(0, 1);
        } else {
            m_entry.prepend(u'-');
        }
    } else if (key == u"CE") {
        m_entry = QStringLiteral("0");
    } else if (key == u"←") {
        if (!m_entry.isEmpty()) {
            m_entry.chop(1);
            if (m_entry.isEmpty() || m_entry == u"-")
                m_entry = QStringLiteral("0");
        }
    }
}

namespace {

// The keypad, row by row.
const char16_t *const Keys[5][4] = {
    {u"C", u"CE", u"←", u"÷"}, {u"7", u"8", u"9", u"×"}, {u"4", u"5", u"6", u"−"},
    {u"1", u"2", u"3", u"+"},  {u"±", u"0", u".", u"="},
};

} // namespace

TfrmCalculator::TfrmCalculator(QWidget *parent)
    : TFrmRoot(parent)
{
    setWindowTitle(QStringLiteral("计算器"));
    m_display = new QLineEdit(this);
    m_display->setReadOnly(true);
    m_display->setAlignment(Qt::AlignRight);
    QFont font = m_display->font();
    font.setPixelSize(20);
    m_display->setFont(font);
    auto *layout = new QGridLayout(this);
    layout->addWidget(m_display, 0, 0, 1, 4);
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 4; ++column) {
            const QString key = QString::fromUtf16(Keys[row][column]);
            auto *button = new QPushButton(key, this);
            button->setFocusPolicy(Qt::NoFocus);
            button->setMinimumSize(48, 36);
            connect(button, &QPushButton::clicked, this, [this, key] { Press(key); });
            layout->addWidget(button, row + 1, column);
            m_buttons.append(button);
        }
    }
    auto *percentButton = new QPushButton(QStringLiteral("%"), this);
    percentButton->setFocusPolicy(Qt::NoFocus);
    connect(percentButton, &QPushButton::clicked, this, [this] { Press(QStringLiteral("%")); });
    layout->addWidget(percentButton, 6, 0, 1, 4);
    m_buttons.append(percentButton);
    m_display->setText(m_engine.Display());
    // The display keeps the focus, so that the form's key hook sees every key typed.
    m_display->setFocus();
}

void TfrmCalculator::Press(const QString &key)
{
    m_engine.Press(key);
    m_display->setText(m_engine.Display());
}

QString TfrmCalculator::Display() const
{
    return m_display->text();
}

QPushButton *TfrmCalculator::Button(const QString &key) const
{
    for (QPushButton *button : m_buttons)
        if (button->text() == key)
            return button;
    return nullptr;
}

bool TfrmCalculator::EnterMovesFocus(QWidget *) const
{
    return false; // Enter is "="
}

void TfrmCalculator::FormKeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    QString key;
    if (Key >= Qt::Key_0 && Key <= Qt::Key_9)
        key = QString(QChar(u'0' + (Key - Qt::Key_0)));
    switch (Key) {
    case Qt::Key_Period:
    case Qt::Key_Comma:
        key = QStringLiteral(".");
        break;
    case Qt::Key_Plus:
        key = QStringLiteral("+");
        break;
    case Qt::Key_Minus:
        key = QStringLiteral("-");
        break;
    case Qt::Key_Asterisk:
        key = QStringLiteral("*");
        break;
    case Qt::Key_Slash:
        key = QStringLiteral("/");
        break;
    case Qt::Key_Percent:
        key = QStringLiteral("%");
        break;
    case Qt::Key_Equal:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = QStringLiteral("=");
        break;
    case Qt::Key_Backspace:
        key = QStringLiteral("←");
        break;
    case Qt::Key_Delete:
        key = QStringLiteral("CE");
        break;
    case Qt::Key_Escape:
        // Escape clears; once clear, it closes the window as everywhere else.
        if (m_engine.Display() != u"0" || m_engine.Failed())
            key = QStringLiteral("C");
        break;
    default:
        break;
    }
    if (key.isEmpty())
        return TFrmRoot::FormKeyDown(Key, Shift);
    Press(key);
    Key = 0;
}

QStringList DesktopCalculators()
{
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
            QStringLiteral("galculator"),       QStringLiteral("mate-calc"),
            QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
}

TfrmCalculator *RunCalculator(QWidget *parent)
{
    for (const QString &name : DesktopCalculators()) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return nullptr;
    }
    auto *form = CreateForm<TfrmCalculator>(parent);
    form->show();
    return form;
}
