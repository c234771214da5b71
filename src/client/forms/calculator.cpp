// The calculator.
#include "client/forms/calculator.h"

#include "client/widgets/uistyle.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include <cmath>

QString CalculatorText(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    // Twelve significant digits hide the binary fractions of decimal sums.
    QString text = QString::number(value, 'g', 12);
    if (text.contains(QLatin1Char('e')) && std::fabs(value) >= 1e-6 && std::fabs(value) < 1e15)
        text = QString::number(value, 'f',
                               qMax(0, 11 - int(std::floor(std::log10(std::fabs(value))))));
    if (text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

double TCalculatorEngine::entryValue() const
{
    return m_entry.toDouble();
}

void TCalculatorEngine::setResult(double value)
{
    if (!std::isfinite(value)) {
        m_error = QStringLiteral("不能除以零");
        return;
    }
    m_entry = CalculatorText(value);
}

void TCalculatorEngine::Digit(int digit)
{
    if (HasError())
        Clear();
    if (!m_typing || m_entry == QLatin1String("0")) {
        m_entry = QString::number(digit);
        m_typing = true;
        return;
    }
    if (m_entry.size() < 16)
        m_entry += QString::number(digit);
}

void TCalculatorEngine::Point()
{
    if (HasError())
        Clear();
    if (!m_typing) {
        m_entry = QStringLiteral("0.");
        m_typing = true;
    } else if (!m_entry.contains(QLatin1Char('.'))) {
        m_entry += QLatin1Char('.');
    }
}

void TCalculatorEngine::apply()
{
    const double operand = entryValue();
    double result = operand;
    switch (m_pending) {
    case '+':
        result = m_accumulator + operand;
        break;
    case '-':
        result = m_accumulator - operand;
        break;
    case '*':
        result = m_accumulator * operand;
        break;
    case '/':
        if (operand == 0) {
            m_error = QStringLiteral("不能除以零");
            return;
        }
        result = m_accumulator / operand;
        break;
    default:
        break;
    }
    setResult(result);
    m_accumulator = entryValue();
}

void TCalculatorEngine::Operator(char op)
{
    if (HasError())
        return;
    if (m_typing || !m_pending)
        apply();
    m_pending = op;
    m_typing = false;
}

void TCalculatorEngine::Equals()
{
    if (HasError())
        return;
    apply();
    m_pending = 0;
    m_typing = false;
}

void TCalculatorEngine::Percent()
{
    if (HasError())
        return;
    const double base = (m_pending == '+' || m_pending == '-') ? m_accumulator : 1;
    setResult(base * entryValue() / 100);
    m_typing = true;
}

void TCalculatorEngine::Negate()
{
    if (HasError() || m_entry == QLatin1String("0"))
        return;
    m_entry = m_entry.startsWith(QLatin1Char('-')) ? m_entry.mid(1) : QLatin1Char('-') + m_entry;
}

void TCalculatorEngine::Backspace()
{
    if (HasError() || !m_typing)
        return;
    m_entry.chop(1);
    if (m_entry.isEmpty() || m_entry == QLatin1String("-"))
        m_entry = QStringLiteral("0");
}

void TCalculatorEngine::ClearEntry()
{
    m_error.clear();
    m_entry = QStringLiteral("0");
    m_typing = false;
}

void TCalculatorEngine::Clear()
{
    ClearEntry();
    m_accumulator = 0;
    m_pending = 0;
}

QString TCalculatorEngine::Display() const
{
    return HasError() ? m_error : m_entry;
}

TfrmCalculator::TfrmCalculator(QWidget *parent)
    : TFrmRoot(parent)
{
    setObjectName(QStringLiteral("frmCalculator"));
    setWindowTitle(QStringLiteral("计算器"));
    auto *grid = new QGridLayout(this);
    Display = new QLineEdit(QStringLiteral("0"), this);
    Display->setObjectName(QStringLiteral("Display"));
    Display->setReadOnly(true);
    Display->setAlignment(Qt::AlignRight);
    Display->setFont(SongFont(20, true));
    Display->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(Display, 0, 0, 1, 4);
    const char *const keys[5][4] = {
        {"C", "CE", "←", "/"}, {"7", "8", "9", "*"}, {"4", "5", "6", "-"},
        {"1", "2", "3", "+"},  {"±", "0", ".", "="},
    };
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 4; ++column) {
            const QString key = QString::fromUtf8(keys[row][column]);
            auto *button = new QPushButton(key, this);
            button->setAutoDefault(false);
            button->setFocusPolicy(Qt::NoFocus);
            button->setMinimumSize(48, 36);
            connect(button, &QPushButton::clicked, this, [this, key] { Press(key); });
            grid->addWidget(button, row + 1, column);
        }
    }
    auto *percent = new QPushButton(QStringLiteral("%"), this);
    percent->setAutoDefault(false);
    percent->setFocusPolicy(Qt::NoFocus);
    connect(percent, &QPushButton::clicked, this, [this] { Press(QStringLiteral("%")); });
    grid->addWidget(percent, 6, 3);
}

void TfrmCalculator::Press(const QString &key)
{
    if (key.size() == 1 && key[0].isDigit())
        m_engine.Digit(key[0].digitValue());
    else if (key == QLatin1String("."))
        m_engine.Point();
    else if (key == QLatin1String("+") || key == QLatin1String("-") || key == QLatin1String("*") ||
             key == QLatin1String("/"))
        m_engine.Operator(key[0].toLatin1());
    else if (key == QLatin1String("=") || key == QLatin1String("\r"))
        m_engine.Equals();
    else if (key == QLatin1String("%"))
        m_engine.Percent();
    else if (key == QStringLiteral("±"))
        m_engine.Negate();
    else if (key == QStringLiteral("←"))
        m_engine.Backspace();
    else if (key == QLatin1String("CE"))
        m_engine.ClearEntry();
    else if (key == QLatin1String("C"))
        m_engine.Clear();
    Display->setText(m_engine.Display());
}

void TfrmCalculator::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Press(QStringLiteral("="));
        return;
    case Qt::Key_Backspace:
        Press(QStringLiteral("←"));
        return;
    case Qt::Key_Delete:
        Press(QStringLiteral("CE"));
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() == 1 && QStringLiteral("0123456789.+-*/=%").contains(text)) {
        Press(text);
        return;
    }
    TFrmRoot::keyPressEvent(event); // Escape closes
}

void RunCalculator()
{
    static const char *const desktop[] = {"gnome-calculator", "kcalc",         "galculator",
                                          "mate-calc",        "qalculate-gtk", "xcalc"};
    for (const char *program : desktop) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(program));
        if (!path.isEmpty() && QProcess::startDetached(path, {}))
            return;
    }
    // The one built-in calculator of the program, as with the desktop's.
    static QPointer<TfrmCalculator> shared;
    if (!shared)
        shared = CreateForm<TfrmCalculator>();
    shared->show();
    shared->raise();
    shared->activateWindow();
}
