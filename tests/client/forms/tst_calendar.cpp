// The perpetual calendar's lunar dates and its one shared window; the built-in calculator's
// arithmetic and keys, and the choice between it and the desktop's calculator.
#include "client/forms/calculator.h"
#include "client/forms/calendar.h"
#include "client/forms/lunardate.h"

#include <QCalendarWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestCalendar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lunarDatesOfKnownDays_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("zodiac");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("dayName");
        QTest::addColumn<QString>("cell");
        // New year's days.
        QTest::newRow("2024 spring festival") << QDate(2024, 2, 10) << "甲辰"
                                              << "龙"
                                              << "正月"
                                              << "初一"
                                              << "正月";
        QTest::newRow("2026 spring festival") << QDate(2026, 2, 17) << "丙午"
                                              << "马"
                                              << "正月"
                                              << "初一"
                                              << "正月";
        QTest::newRow("the day before") << QDate(2026, 2, 16) << "乙巳"
                                        << "蛇"
                                        << "腊月"
                                        << "廿九"
                                        << "廿九";
        // A leap month, its last day and the month after it.
        QTest::newRow("leap second month") << QDate(2023, 3, 22) << "癸卯"
                                           << "兔"
                                           << "闰二月"
                                           << "初一"
                                           << "闰二月";
        QTest::newRow("leap month's end") << QDate(2023, 4, 19) << "癸卯"
                                          << "兔"
                                          << "闰二月"
                                          << "廿九"
                                          << "廿九";
        QTest::newRow("third month") << QDate(2023, 4, 20) << "癸卯"
                                     << "兔"
                                     << "三月"
                                     << "初一"
                                     << "三月";
        // Mid-autumn, a thirtieth, the eleventh month, tenth and twentieth days.
        QTest::newRow("mid-autumn 2024") << QDate(2024, 9, 17) << "甲辰"
                                         << "龙"
                                         << "八月"
                                         << "十五"
                                         << "十五";
        QTest::newRow("thirtieth") << QDate(2026, 1, 18) << "乙巳"
                                   << "蛇"
                                   << "冬月"
                                   << "三十"
                                   << "三十";
        QTest::newRow("tenth") << QDate(2024, 2, 19) << "甲辰"
                               << "龙"
                               << "正月"
                               << "初十"
                               << "初十";
        QTest::newRow("twentieth") << QDate(2024, 2, 29) << "甲辰"
                                   << "龙"
                                   << "正月"
                                   << "二十"
                                   << "二十";
        QTest::newRow("twenty-eighth") << QDate(2026, 12, 6) << "丙午"
                                       << "马"
                                       << "十月"
                                       << "廿八"
                                       << "廿八";
        QTest::newRow("1900") << QDate(1900, 1, 31) << "庚子"
                              << "鼠"
                              << "正月"
                              << "初一"
                              << "正月";
    }
    void lunarDatesOfKnownDays()
    {
        QFETCH(QDate, day);
        QFETCH(QString, year);
        QFETCH(QString, zodiac);
        QFETCH(QString, month);
        QFETCH(QString, dayName);
        QFETCH(QString, cell);
        TLunarCalendar calendar;
        const TLunarDate lunar = calendar.DateOf(day);
        QVERIFY(lunar.IsValid());
        QCOMPARE(lunar.YearName(), year);
        QCOMPARE(lunar.Zodiac(), zodiac);
        QCOMPARE(lunar.MonthName(), month);
        QCOMPARE(lunar.DayName(), dayName);
        QCOMPARE(lunar.CellText(), cell);
    }

    void invalidDaysHaveNoLunarDate()
    {
        TLunarCalendar calendar;
        QVERIFY(!calendar.DateOf(QDate()).IsValid());
        QCOMPARE(calendar.DateOf(QDate()).Text(), QString());
    }

    void theDayLine()
    {
        TLunarCalendar calendar;
        const QDate day(2026, 12, 6);
        QCOMPARE(TfrmCalendar::DayText(day, calendar.DateOf(day)),
                 QStringLiteral("2026年12月6日 星期日 农历丙午年 十月廿八 (马年)"));
    }

    void oneSharedWindow()
    {
        TfrmCalendar *form = ShowCalendar(QDate(2024, 2, 10));
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("万年历"));
        QVERIFY(form->isVisible());
        QCOMPARE(form->SelectedDate(), QDate(2024, 2, 10));
        QCOMPARE(form->MonthView()->monthShown(), 2);
        QVERIFY(form->DayLabel()->text().contains(QStringLiteral("农历甲辰年 正月初一")));
        // Asked again, the same window moves to the other day.
        QCOMPARE(ShowCalendar(QDate(2023, 3, 22)), form);
        QCOMPARE(form->MonthView()->yearShown(), 2023);
        QVERIFY(form->DayLabel()->text().contains(QStringLiteral("闰二月初一")));
        // Today's button, and a day picked in the month view.
        form->TodayButton()->click();
        QCOMPARE(form->SelectedDate(), QDate::currentDate());
        form->MonthView()->setSelectedDate(QDate(2024, 9, 17));
        QVERIFY(form->DayLabel()->text().startsWith(QStringLiteral("2024年9月17日 星期二")));
        form->grab(); // paints every cell with its lunar text
        // Closed, it is released; the next call makes a new one.
        QPointer<TfrmCalendar> closed(form);
        form->close();
        QTRY_VERIFY(closed.isNull());
        TfrmCalendar *again = ShowCalendar(QDate());
        QVERIFY(again);
        QCOMPARE(again->SelectedDate(), QDate::currentDate());
        again->close();
    }

    void calculatorSequences_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("display");
        const auto keys = [](const char *text) {
            return QString::fromUtf8(text).split(u' ');
        };
        QTest::newRow("0.1 + 0.2") << keys("0 . 1 + 0 . 2 =") << "0.3";
        QTest::newRow("0.1 + 0.2 - 0.3") << keys("0 . 1 + 0 . 2 − 0 . 3 =") << "0";
        QTest::newRow("cents") << keys("1 9 . 9 9 × 3 =") << "59.97";
        QTest::newRow("chain") << keys("2 + 3 × 4 =") << "20";
        QTest::newRow("division") << keys("1 ÷ 3 =") << "0.333333333333";
        QTest::newRow("thirds back") << keys("1 ÷ 3 × 3 =") << "1";
        QTest::newRow("ascii signs") << keys("7 * 6 - 2 / 4 =") << "10";
        QTest::newRow("negative") << keys("1 − 3 =") << "-2";
        QTest::newRow("sign key") << keys("5 ± + 2 =") << "-3";
        QTest::newRow("sign of a result") << keys("5 + 2 = ±") << "-7";
        QTest::newRow("percent of sum") << keys("2 0 0 + 5 % =") << "210";
        QTest::newRow("percent of product") << keys("2 0 0 × 5 % =") << "10";
        QTest::newRow("percent alone") << keys("5 0 %") << "0.5";
        QTest::newRow("equals again") << keys("1 0 + 5 = =") << "20";
        QTest::newRow("operator replaced") << keys("9 + − 4 =") << "5";
        QTest::newRow("clear entry") << keys("9 + 4 CE 1 =") << "10";
        QTest::newRow("clear") << keys("9 + 4 C 1 =") << "1";
        QTest::newRow("backspace") << keys("1 2 3 ← ←") << "1";
        QTest::newRow("backspace to zero") << keys("7 ←") << "0";
        QTest::newRow("one point") << keys(". 5 . 5") << "0.55";
        QTest::newRow("leading zeros") << keys("0 0 7") << "7";
        QTest::newRow("division by zero") << keys("5 ÷ 0 =") << "除数不能为零";
        QTest::newRow("after the error") << keys("5 ÷ 0 = 4 + 1 =") << "5";
        QTest::newRow("large amount") << keys("9 9 9 9 9 9 9 9 9 9 9 9 + 1 =") << "1000000000000";
        QTest::newRow("fifteen digits")
            << keys("1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7") << "123456789012345";
        QTest::newRow("unknown key") << keys("4 x =") << "4";
    }
    void calculatorSequences()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, display);
        TCalculatorEngine engine;
        for (const QString &key : std::as_const(keys))
            engine.Press(key);
        QCOMPARE(engine.Display(), display);
    }

    void calculatorWindowTakesTheKeyboard()
    {
        TfrmCalculator form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::keyClicks(focus, QStringLiteral("12.5*4"));
        QTest::keyClick(focus, Qt::Key_Return);
        QCOMPARE(form.Display(), QStringLiteral("50"));
        QTest::keyClick(focus, Qt::Key_Backspace);
        QCOMPARE(form.Display(), QStringLiteral("50")); // a result is not typing
        form.Button(QStringLiteral("C"))->click();
        form.Button(QStringLiteral("7"))->click();
        form.Button(QStringLiteral("÷"))->click();
        form.Button(QStringLiteral("2"))->click();
        form.Button(QStringLiteral("="))->click();
        QCOMPARE(form.Display(), QStringLiteral("3.5"));
        QTest::keyClick(focus, Qt::Key_Escape); // clears first
        QCOMPARE(form.Display(), QStringLiteral("0"));
        QVERIFY(form.isVisible());
    }

    void builtInCalculatorWhenTheDesktopHasNone()
    {
        QTemporaryDir empty;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(empty.path()));
        TfrmCalculator *form = RunCalculator();
        qputenv("PATH", path);
        QVERIFY(form);
        QVERIFY(form->isVisible());
        form->close();
    }

    void theDesktopsCalculatorFirst()
    {
        QTemporaryDir dir;
        // Two of them installed: the one earlier in the list starts.
        for (const char *name : {"kcalc", "xcalc"}) {
            QFile script(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QByteArray("#!/bin/sh\necho started > \"") +
                         QFile::encodeName(dir.filePath(QString::fromLatin1(name))) + ".ran\"\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()));
        TfrmCalculator *form = RunCalculator();
        qputenv("PATH", path);
        QVERIFY(!form);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(QStringLiteral("kcalc.ran"))), 10000);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("xcalc.ran"))));
    }
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
