// The floating look-up box: it takes a cell's place with its list under it, lets the form
// filter the list as the clerk types, moves the list by arrow keys while the edit keeps the
// focus, hands Enter to the form only, and hides when the focus leaves it.
#include "fixtures.h"

#include "client/common/sqltext.h"
#include "client/data/datasource.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/lookupbox.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {

// BH, PM, GG, ZJM: the goods look-up list.
std::unique_ptr<TClientDataSet> makeLookupList()
{
    auto ds = std::make_unique<TClientDataSet>(QStringLiteral("cdsHp"));
    ds->FieldDefs().Add(QStringLiteral("BH"), ftString, 20);
    ds->FieldDefs().Add(QStringLiteral("PM"), ftString, 40);
    ds->FieldDefs().Add(QStringLiteral("GG"), ftString, 30);
    ds->FieldDefs().Add(QStringLiteral("ZJM"), ftString, 20);
    ds->CreateDataSet();
    const char *rows[][4] = {
        {"A001", "螺丝刀", "3mm", "LSD"},      {"a002", "扳手", "8寸", "BS"},
        {"B001", "ab胶", "50ml", "ABJ"},       {"B002", "电钻", "500W", "DZ"},
        {"C001", "Apple 电源", "12V", "APDY"}, {"C002", "砂纸", "80目", "SZ"},
        {"D001", "胶带", "48mm", "JD"},        {"D002", "钳子", "6寸", "QZ"},
    };
    for (const auto &row : rows)
        ds->AppendRecord({QString::fromUtf8(row[0]), QString::fromUtf8(row[1]),
                          QString::fromUtf8(row[2]), QString::fromUtf8(row[3])});
    ds->MergeChangeLog();
    ds->SetFiltered(true);
    ds->First();
    return ds;
}

// The document form's filter for a typed text.
QString lookupFilter(const QString &t)
{
    if (t.isEmpty())
        return {};
    return QStringLiteral("bh like ") + QuotedStr(t + QLatin1Char('%')) +
           QStringLiteral(" or pm like ") + QuotedStr(t + QLatin1Char('%')) +
           QStringLiteral(" or zjm like ") + QuotedStr(t.toUpper() + QLatin1Char('%'));
}

QString codes(TClientDataSet &ds)
{
    QStringList list;
    const int row = ds.RecNo();
    for (ds.First(); !ds.Eof(); ds.Next())
        list << ds.FieldByName(QStringLiteral("BH"))->AsString();
    if (row > 0)
        ds.SetRecNo(row);
    return list.join(u',');
}

// Types text as a keyboard would, one key press and release per character; Chinese comes as
// text only, the way an input method delivers it.
void typeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        const int key = c.unicode() < 0x80 ? QKeySequence(QString(c)).operator[](0).key() : 0;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

struct BoxFixture
{
    std::unique_ptr<TClientDataSet> list = makeLookupList();
    TDataSource source{list.get()};
    QWidget window;
    QLineEdit *cell = new QLineEdit(&window); // where the focus goes when it leaves the box
    TDBLookupBox *box = new TDBLookupBox(&window);
    QStringList keys;

    BoxFixture()
    {
        window.resize(500, 400);
        cell->setGeometry(10, 300, 100, 20);
        box->SetListSource(&source);
        box->SetListColumns({{QStringLiteral("BH"), QStringLiteral("货品编号"), 10},
                             {QStringLiteral("PM"), QStringLiteral("货品名称"), 20},
                             {QStringLiteral("GG"), QStringLiteral("货品规格"), 15},
                             {QStringLiteral("ZJM"), QStringLiteral("助记码"), 10}});
        // What the document form does on every key released in the box.
        box->OnKeyUp = [this](TDBLookupBox &sender, int key) {
            if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left ||
                key == Qt::Key_Right)
                return;
            const QString filter = lookupFilter(sender.Text());
            if (filter != list->Filter()) {
                list->SetFilter(filter);
                list->First();
            }
        };
        box->OnKeyPress = [this](TDBLookupBox &, QChar &key) {
            keys << (key == u'\r' ? QStringLiteral("Enter") : QString(key));
        };
        window.show();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("window not active");
        cell->setFocus();
    }
};

} // namespace

class TestLookupBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hiddenUntilShownOverACell()
    {
        BoxFixture f;
        QVERIFY(!f.box->isVisible());
        f.box->SetText(QStringLiteral("B002"));
        f.box->ShowOver(QRect(40, 60, 120, 18));
        QCOMPARE(f.box->geometry(), QRect(40, 60, 120, 20));
        QVERIFY(f.box->isVisible());
        QVERIFY(f.box->Editor()->hasFocus());
        QVERIFY(f.box->DroppedDown());
        QCOMPARE(f.box->Editor()->selectedText(), QStringLiteral("B002"));
        // The list hangs under the box, at least as wide as its four columns.
        QWidget *popup = f.box->List()->window();
        QCOMPARE(popup->geometry().topLeft(), f.box->mapToGlobal(QPoint(0, f.box->height())));
        QCOMPARE(f.box->List()->Columns().Count(), 4);
        QVERIFY(popup->width() > f.box->width());
        QVERIFY(QApplication::activeWindow() == &f.window);
    }

    void theListTakesTheFormsFont()
    {
        BoxFixture f;
        QFont font = f.window.font();
        font.setPixelSize(17);
        f.window.setFont(font);
        f.box->ShowOver(QRect(40, 60, 120, 18));
        QCOMPARE(f.box->List()->View()->font().pixelSize(), 17);
    }

    void typingFiltersCodesNamesAndMnemonics_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("codes");
        // Codes and names as typed, mnemonics in capitals.
        QTest::newRow("a") << "a"
                           << "a002,B001,C001";
        QTest::newRow("A") << "A"
                           << "A001,B001,C001";
        QTest::newRow("ab") << "ab"
                            << "B001";
        QTest::newRow("b0") << "b0"
                            << "";
        QTest::newRow("B0") << "B0"
                            << "B001,B002";
        QTest::newRow("chinese") << "胶"
                                 << "D001";
        QTest::newRow("quote") << "a'"
                               << "";
        // "_" stands for any one character, as in every filter.
        QTest::newRow("underscore") << "_0"
                                    << "A001,a002,B001,B002,C001,C002,D001,D002";
    }
    void typingFiltersCodesNamesAndMnemonics()
    {
        QFETCH(QString, typed);
        QFETCH(QString, codes);
        BoxFixture f;
        f.box->ShowOver(QRect(40, 60, 120, 18));
        typeText(f.box->Editor(), typed);
        QCOMPARE(f.box->Text(), typed);
        QCOMPARE(::codes(*f.list), codes);
        QCOMPARE(f.list->RecNo(), f.list->IsEmpty() ? -1 : 1);
        // Rubbing it out shows the whole list again.
        for (int i = 0; i < typed.size(); ++i)
            QTest::keyClick(f.box->Editor(), Qt::Key_Backspace);
        QCOMPARE(f.list->Filter(), QString());
        QCOMPARE(f.list->RecordCount(), 8);
    }

    void arrowKeysMoveTheListWhileTheEditKeepsTheFocus()
    {
        BoxFixture f;
        f.box->SetDropDownRows(3);
        f.box->ShowOver(QRect(40, 60, 120, 18));
        QLineEdit *edit = f.box->Editor();
        QTest::keyClick(edit, Qt::Key_Down);
        QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(f.list->RecNo(), 3);
        QTest::keyClick(edit, Qt::Key_PageDown);
        QCOMPARE(f.list->RecNo(), 6);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(f.list->RecNo(), 5);
        QTest::keyClick(edit, Qt::Key_PageUp);
        QCOMPARE(f.list->RecNo(), 2);
        QVERIFY(edit->hasFocus());
        QCOMPARE(f.box->Text(), QString());
        QVERIFY(f.keys.isEmpty());
        // Closed, the first arrow only drops the list down again.
        f.box->CloseUp();
        QTest::keyClick(edit, Qt::Key_Down);
        QVERIFY(f.box->DroppedDown());
        QCOMPARE(f.list->RecNo(), 2);
    }

    void enterGoesToTheFormOnly()
    {
        BoxFixture f;
        int windowKeys = 0;
        struct Counter : QObject
        {
            int *count;
            explicit Counter(int *c)
                : count(c)
            {}
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::KeyPress)
                    ++*count;
                return false;
            }
        } counter(&windowKeys);
        f.window.installEventFilter(&counter);
        f.box->ShowOver(QRect(40, 60, 120, 18));
        typeText(f.box->Editor(), QStringLiteral("b"));
        QTest::keyClick(f.box->Editor(), Qt::Key_Return);
        QCOMPARE(f.keys, QStringList({QStringLiteral("b"), QStringLiteral("Enter")}));
        QCOMPARE(f.box->Text(), QStringLiteral("b"));
        QCOMPARE(windowKeys, 0);
        QVERIFY(f.box->isVisible());
    }

    void aKeyHandlerSwallowsOrReplacesKeys()
    {
        BoxFixture f;
        f.box->OnKeyPress = [](TDBLookupBox &, QChar &key) {
            if (key == u'x')
                key = QChar();
            else if (key == u'y')
                key = u'Y';
        };
        f.box->ShowOver(QRect(40, 60, 120, 18));
        typeText(f.box->Editor(), QStringLiteral("axyb"));
        QCOMPARE(f.box->Text(), QStringLiteral("aYb"));
    }

    void leavingFiresOnExitThenHides()
    {
        BoxFixture f;
        bool visibleInExit = false;
        int exits = 0;
        f.box->OnExit = [&](TDBLookupBox &sender) {
            ++exits;
            visibleInExit = sender.isVisible();
        };
        f.box->ShowOver(QRect(40, 60, 120, 18));
        QVERIFY(f.box->DroppedDown());
        f.cell->setFocus();
        QCOMPARE(exits, 1);
        QVERIFY(visibleInExit);
        QVERIFY(!f.box->isVisible());
        QVERIFY(!f.box->DroppedDown());
        // Shown again, it works as before.
        f.box->ShowOver(QRect(40, 60, 120, 18));
        QVERIFY(f.box->DroppedDown());
        typeText(f.box->Editor(), QStringLiteral("D"));
        QCOMPARE(::codes(*f.list), QStringLiteral("B002,D001,D002")); // B002's mnemonic is DZ
    }

    void theGridsFirstKeyIsPassedOn()
    {
        BoxFixture f;
        f.box->SetText(QStringLiteral("A001"));
        f.box->ShowOver(QRect(40, 60, 120, 18));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ShiftModifier, QStringLiteral("C"));
        f.box->SendKey(press);
        QCOMPARE(f.box->Text(), QStringLiteral("C"));
        QCOMPARE(f.keys, QStringList({QStringLiteral("C")}));
        // Its release reaches the edit, which has the focus, and filters.
        QTest::keyRelease(f.box->Editor(), Qt::Key_C, Qt::ShiftModifier);
        QCOMPARE(::codes(*f.list), QStringLiteral("C001,C002"));
    }

    void aClickOnTheListChoosesItsRow()
    {
        BoxFixture f;
        int clicks = 0;
        QString chosen;
        f.box->OnListClick = [&](TDBLookupBox &) {
            ++clicks;
            chosen = f.list->FieldByName(QStringLiteral("BH"))->AsString();
        };
        f.box->ShowOver(QRect(40, 60, 120, 18));
        QTableView *view = f.box->List()->View();
        const QRect third = view->visualRect(view->model()->index(2, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, third.center());
        QCOMPARE(clicks, 1);
        QCOMPARE(chosen, QStringLiteral("B001"));
        QVERIFY(f.box->Editor()->hasFocus());
    }
};

int runLookupBoxTests(int argc, char **argv)
{
    TestLookupBox test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lookupbox.moc"
