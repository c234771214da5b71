// The perpetual calendar.
#include "client/forms/calendar.h"

#include "client/common/lunar.h"
#include "client/widgets/uistyle.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int Weeks = 6;

const char16_t *const WeekDays[] = {u"一", u"二", u"三", u"四", u"五", u"六", u"日"};

} // namespace

QString CalendarDayText(QDate date)
{
    if (!date.isValid())
        return {};
    const TLunarDate lunar = LunarDateOf(date);
    QString text =
        QStringLiteral("%1年%2月%3日 星期").arg(date.year()).arg(date.month()).arg(date.day()) +
        QString::fromUtf16(WeekDays[date.dayOfWeek() - 1]);
    if (lunar.Valid)
        text += QLatin1Char(' ') + LunarDateText(lunar) + QStringLiteral(" (") +
                ZodiacAnimal(lunar.CycleYear) + QStringLiteral("年)");
    return text;
}

TfrmCalendar::TfrmCalendar(QWidget *parent)
    : TFrmRoot(parent)
{
    setObjectName(QStringLiteral("frmCalendar"));
    setWindowTitle(QStringLiteral("万年历"));
    auto *root = new QVBoxLayout(this);

    auto *bar = new QHBoxLayout;
    auto *prior = new QPushButton(QStringLiteral("<"), this);
    prior->setObjectName(QStringLiteral("btnPriorMonth"));
    YearBox = new QSpinBox(this);
    YearBox->setObjectName(QStringLiteral("YearBox"));
    YearBox->setRange(1901, 2099); // the span the lunar tables are exact for
    YearBox->setSuffix(QStringLiteral("年"));
    MonthBox = new QComboBox(this);
    MonthBox->setObjectName(QStringLiteral("MonthBox"));
    for (int month = 1; month <= 12; ++month)
        MonthBox->addItem(QStringLiteral("%1月").arg(month));
    auto *next = new QPushButton(QStringLiteral(">"), this);
    next->setObjectName(QStringLiteral("btnNextMonth"));
    auto *today = new QPushButton(QStringLiteral("今天"), this);
    today->setObjectName(QStringLiteral("btnToday"));
    for (QPushButton *button : {prior, next, today})
        button->setAutoDefault(false);
    bar->addWidget(prior);
    bar->addWidget(YearBox);
    bar->addWidget(MonthBox);
    bar->addWidget(next);
    bar->addStretch(1);
    bar->addWidget(today);
    root->addLayout(bar);

    Days = new QTableWidget(Weeks, 7, this);
    Days->setObjectName(QStringLiteral("Days"));
    QStringList titles;
    for (const char16_t *day : WeekDays)
        titles << QString::fromUtf16(day);
    Days->setHorizontalHeaderLabels(titles);
    Days->verticalHeader()->hide();
    Days->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Days->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Days->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Days->setSelectionMode(QAbstractItemView::SingleSelection);
    root->addWidget(Days, 1);

    DayText = new QLabel(this);
    DayText->setObjectName(QStringLiteral("DayText"));
    DayText->setFont(SongFont(14, true));
    root->addWidget(DayText);
    resize(520, 420);

    connect(prior, &QPushButton::clicked, this,
            [this] { SetSelectedDate(m_selected.addMonths(-1)); });
    connect(next, &QPushButton::clicked, this,
            [this] { SetSelectedDate(m_selected.addMonths(1)); });
    connect(today, &QPushButton::clicked, this, [this] { SetSelectedDate(QDate::currentDate()); });
    connect(YearBox, &QSpinBox::valueChanged, this, [this](int year) {
        if (year != m_selected.year())
            SetSelectedDate(QDate(year, m_selected.month(), 1));
    });
    connect(MonthBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index + 1 != m_selected.month())
            SetSelectedDate(QDate(m_selected.year(), index + 1, 1));
    });
    connect(Days, &QTableWidget::cellClicked, this, &TfrmCalendar::cellChosen);
    SetSelectedDate(QDate::currentDate());
}

void TfrmCalendar::SetSelectedDate(QDate date)
{
    if (!date.isValid())
        return;
    date = qBound(QDate(1901, 2, 19), date, QDate(2099, 12, 31));
    const bool sameMonth = m_selected.isValid() && date.year() == m_selected.year() &&
                           date.month() == m_selected.month();
    m_selected = date;
    if (!sameMonth)
        showMonth();
    const int offset = int(m_firstShown.daysTo(date));
    Days->setCurrentCell(offset / 7, offset % 7);
    DayText->setText(CalendarDayText(date));
}

void TfrmCalendar::showMonth()
{
    const QSignalBlocker yearBlock(YearBox);
    const QSignalBlocker monthBlock(MonthBox);
    YearBox->setValue(m_selected.year());
    MonthBox->setCurrentIndex(m_selected.month() - 1);
    const QDate first(m_selected.year(), m_selected.month(), 1);
    m_firstShown = first.addDays(1 - first.dayOfWeek());
    const QDate today = QDate::currentDate();
    for (int row = 0; row < Weeks; ++row) {
        for (int column = 0; column < 7; ++column) {
            const QDate day = dateAt(row, column);
            auto *cell = new QTableWidgetItem(QString::number(day.day()) + QLatin1Char('\n') +
                                              LunarCellText(LunarDateOf(day)));
            cell->setTextAlignment(Qt::AlignCenter);
            if (day.month() != m_selected.month())
                cell->setForeground(Qt::gray);
            else if (column >= 5)
                cell->setForeground(Qt::red);
            if (day == today)
                cell->setBackground(QColor(255, 236, 179));
            Days->setItem(row, column, cell);
        }
    }
}

QDate TfrmCalendar::dateAt(int row, int column) const
{
    return m_firstShown.addDays(row * 7 + column);
}

void TfrmCalendar::cellChosen(int row, int column)
{
    SetSelectedDate(dateAt(row, column));
}

TfrmCalendar *ShowCalendar(QDate day)
{
    // The one calendar of the program: reused while it is open, made again once closed.
    static QPointer<TfrmCalendar> shared;
    if (!shared)
        shared = CreateForm<TfrmCalendar>();
    shared->SetSelectedDate(day);
    shared->show();
    shared->raise();
    shared->activateWindow();
    return shared;
}
