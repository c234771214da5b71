// Data-aware editors follow the current record and write back through the dataset; the plain
// numeric edit filters its keys.
#include "fixtures.h"

#include "client/data/datasource.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbnavigator.h"
#include "client/widgets/messagebox.h"

#include <QCalendarWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace widgettest;

namespace {

// A window holding editors on the goods dataset, shown and active.
struct EditorFixture
{
    std::unique_ptr<TClientDataSet> ds = makeGoods(3);
    TDataSource source{ds.get()};
    QWidget window;
    QLineEdit *other = new QLineEdit(&window);

    EditorFixture() { new QVBoxLayout(&window); }
    template<class Editor>
    Editor *add(const QString &field)
    {
        auto *editor = new Editor(&window);
        window.layout()->addWidget(editor);
        editor->SetDataSource(&source);
        editor->SetDataField(field);
        return editor;
    }
    void show()
    {
        window.layout()->addWidget(other);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    TField *field(const char *name) const { return ds->FieldByName(QLatin1String(name)); }
};

} // namespace

class TestEditors : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void editShowsTheCurrentRecordAndWritesWhenLeft()
    {
        EditorFixture f;
        f.field("DJ")->SetDisplayFormat(QStringLiteral("#,0.00"));
        auto *name = f.add<TDBEdit>(QStringLiteral("PM"));
        auto *price = f.add<TDBEdit>(QStringLiteral("DJ"));
        f.show();
        QCOMPARE(name->text(), QStringLiteral("螺丝刀"));
        QCOMPARE(price->text(), QStringLiteral("10.50"));
        f.ds->Next();
        QCOMPARE(name->text(), QStringLiteral("扳手"));

        name->setFocus();
        name->selectAll();
        typeText(name, QStringLiteral("活动扳手"));
        QCOMPARE(f.ds->State(), dsEdit); // typing starts the edit
        QCOMPARE(f.field("PM")->AsString(), QStringLiteral("扳手"));
        f.other->setFocus();
        QCOMPARE(f.field("PM")->AsString(), QStringLiteral("活动扳手"));
        f.ds->Post();
        QCOMPARE(f.ds->RowText(1, f.field("PM")), QStringLiteral("活动扳手"));
    }

    void postTakesWhatIsTypedWithoutLeavingTheEdit()
    {
        EditorFixture f;
        auto *name = f.add<TDBEdit>(QStringLiteral("BZ"));
        f.show();
        name->setFocus();
        typeText(name, QStringLiteral("加急"));
        f.ds->Post();
        QCOMPARE(f.field("BZ")->AsString(), QStringLiteral("加急"));
    }

    void theDisplayFormatShowsUntilTheEditIsEntered()
    {
        EditorFixture f;
        TField *price = f.field("DJ");
        price->SetDisplayFormat(QStringLiteral("#,0.00"));
        price->SetEditFormat(QStringLiteral("0.##"));
        f.ds->Edit();
        price->SetAsFloat(1234.5);
        f.ds->Post();
        auto *edit = f.add<TDBEdit>(QStringLiteral("DJ"));
        f.show();
        QCOMPARE(edit->text(), QStringLiteral("1,234.50"));
        edit->setFocus();
        QCOMPARE(edit->text(), QStringLiteral("1234.5"));
        f.other->setFocus();
        QCOMPARE(edit->text(), QStringLiteral("1,234.50"));
    }

    void enterAndExitHooksRunAroundTheWrite()
    {
        EditorFixture f;
        auto *name = f.add<TDBEdit>(QStringLiteral("PM"));
        f.show();
        QStringList log;
        name->OnEnter = [&](QWidget &) {
            log << QStringLiteral("enter");
        };
        name->OnExit = [&](QWidget &) {
            log << QStringLiteral("exit:") + f.field("PM")->AsString();
        };
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("abc"));
        f.other->setFocus();
        QCOMPARE(log, (QStringList{QStringLiteral("enter"), QStringLiteral("exit:abc")}));
    }

    void escapeRevertsTypedText()
    {
        EditorFixture f;
        auto *name = f.add<TDBEdit>(QStringLiteral("PM"));
        f.show();
        name->setFocus();
        name->selectAll();
        typeText(name, QStringLiteral("错的"));
        QTest::keyClick(name, Qt::Key_Escape);
        QCOMPARE(name->text(), QStringLiteral("螺丝刀"));
        f.other->setFocus();
        QCOMPARE(f.field("PM")->AsString(), QStringLiteral("螺丝刀"));
    }

    void aRefusedValueKeepsTheFocusAndTheData()
    {
        EditorFixture f;
        auto *date = f.add<TDBDateEdit>(QStringLiteral("RQ"));
        f.show();
        TMessageBoxScript boxes;
        date->setFocus();
        date->selectAll();
        QTest::keyClicks(date, QStringLiteral("2024-13-45"));
        f.other->setFocus();
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Error);
        QVERIFY(date->hasFocus());
        QCOMPARE(f.field("RQ")->AsDate(), QDate(2024, 3, 1));
    }

    void numericFieldsRefuseLetters()
    {
        EditorFixture f;
        auto *quantity = f.add<TDBEdit>(QStringLiteral("SL"));
        f.show();
        quantity->setFocus();
        quantity->selectAll();
        QTest::keyClicks(quantity, QStringLiteral("1a2.5"));
        QCOMPARE(quantity->text(), QStringLiteral("12.5"));
    }

    void readOnlyEditorsAndDataSetsRefuseTyping()
    {
        EditorFixture f;
        auto *name = f.add<TDBEdit>(QStringLiteral("PM"));
        name->SetReadOnly(true);
        f.show();
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("x"));
        QCOMPARE(f.ds->State(), dsBrowse);
        QVERIFY(name->isReadOnly());
        name->SetReadOnly(false);
        f.ds->SetReadOnly(true);
        QTest::keyClicks(name, QStringLiteral("x"));
        QCOMPARE(f.ds->State(), dsBrowse);
    }

    void dateEditPicksAndClears()
    {
        EditorFixture f;
        auto *date = f.add<TDBDateEdit>(QStringLiteral("RQ"));
        f.show();
        QCOMPARE(date->text(), QStringLiteral("2024-03-01"));
        date->Pick(QDate(2024, 5, 20));
        QCOMPARE(f.field("RQ")->AsDate(), QDate(2024, 5, 20));
        date->setFocus();
        date->selectAll();
        QTest::keyClick(date, Qt::Key_Delete);
        f.other->setFocus();
        QVERIFY(f.field("RQ")->IsNull());
        QCOMPARE(date->text(), QString());
        date->DropDown();
        QVERIFY(date->Calendar()->isVisible());
        QCOMPARE(date->Calendar()->selectedDate(), QDate::currentDate());
    }

    void checkBoxWritesBooleansAndTextValues()
    {
        EditorFixture f;
        auto *stopped = f.add<TDBCheckBox>(QStringLiteral("ZT"));
        auto *text = f.add<TDBCheckBox>(QStringLiteral("BZ"));
        text->SetValueChecked(QStringLiteral("是"));
        text->SetValueUnchecked(QStringLiteral("否"));
        f.show();
        QVERIFY(stopped->isChecked());
        stopped->click();
        QCOMPARE(f.field("ZT")->AsBoolean(), false);
        text->click();
        QCOMPARE(f.field("BZ")->AsString(), QStringLiteral("是"));
        f.ds->Post();
        f.ds->Next();
        QVERIFY(!stopped->isChecked());
        QVERIFY(!text->isChecked());
    }

    void comboAndRadioGroupWriteTheirChoices()
    {
        EditorFixture f;
        auto *kind = f.add<TDBComboBox>(QStringLiteral("LB"));
        kind->SetStyle(TDBComboBox::csDropDownList);
        kind->SetItems({QStringLiteral("五金"), QStringLiteral("工具"), QStringLiteral("耗材")});
        auto *radio = f.add<TDBRadioGroup>(QStringLiteral("CKID"));
        radio->SetItems(
            {QStringLiteral("总仓库"), QStringLiteral("门市仓库"), QStringLiteral("原料仓库")});
        radio->SetValues({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
        f.show();
        QCOMPARE(kind->currentText(), QStringLiteral("五金"));
        QCOMPARE(radio->ItemIndex(), 0);
        kind->setFocus();
        QTest::keyClick(kind, Qt::Key_Down);
        QCOMPARE(f.field("LB")->AsString(), QStringLiteral("工具"));
        radio->findChildren<QRadioButton *>().at(2)->click();
        QCOMPARE(f.field("CKID")->AsInteger(), 3);
        f.ds->Post();
        f.ds->Next();
        QCOMPARE(radio->ItemIndex(), 1);
        f.field("CKID");
        f.ds->Edit();
        f.field("CKID")->SetAsInteger(9);
        QCOMPARE(radio->ItemIndex(), -1);
    }

    void memoAndImageKeepTheirContent()
    {
        EditorFixture f;
        auto *memo = f.add<TDBMemo>(QStringLiteral("BZ"));
        f.show();
        memo->setFocus();
        typeText(memo, QStringLiteral("第一行"));
        QTest::keyClick(memo, Qt::Key_Return);
        typeText(memo, QStringLiteral("第二行"));
        f.other->setFocus();
        QCOMPARE(f.field("BZ")->AsString(), QStringLiteral("第一行\n第二行"));

        TClientDataSet pictures;
        pictures.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        pictures.FieldDefs().Add(QStringLiteral("Pict"), ftGraphic);
        pictures.CreateDataSet();
        pictures.AppendRecord({1});
        TDataSource source(&pictures);
        TDBImage image;
        image.SetDataSource(&source);
        image.SetDataField(QStringLiteral("Pict"));
        QTemporaryDir dir;
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const QString file = dir.filePath(QStringLiteral("hp.png"));
        QVERIFY(picture.save(file));
        QVERIFY(image.LoadFromFile(file));
        QVERIFY(image.HasPicture());
        QVERIFY(!pictures.FieldByName(QStringLiteral("Pict"))->IsNull());
        QString error;
        QVERIFY(!image.LoadFromFile(dir.filePath(QStringLiteral("missing.jpg")), &error));
        QVERIFY(!error.isEmpty());
        image.ClearPicture();
        QVERIFY(pictures.FieldByName(QStringLiteral("Pict"))->IsNull());
    }

    void navigatorFollowsPositionAndAsksBeforeDeleting()
    {
        EditorFixture f;
        TDBNavigator navigator;
        navigator.SetDataSource(&f.source);
        QVERIFY(!navigator.Button(nbPrior)->isEnabled());
        QVERIFY(navigator.Button(nbNext)->isEnabled());
        navigator.BtnClick(nbLast);
        QCOMPARE(f.ds->CurrentRow(), 2);
        QVERIFY(!navigator.Button(nbNext)->isEnabled());
        QVERIFY(navigator.Button(nbFirst)->isEnabled());
        navigator.BtnClick(nbEdit);
        QVERIFY(navigator.Button(nbPost)->isEnabled());
        QVERIFY(!navigator.Button(nbFirst)->isEnabled());
        navigator.BtnClick(nbCancel);
        {
            TMessageBoxScript boxes; // the default answer No keeps the record
            navigator.BtnClick(nbDelete);
            QCOMPARE(boxes.Count(), 1);
            QCOMPARE(boxes.Last().DefaultButton, mrNo);
            QCOMPARE(f.ds->RecordCount(), 3);
        }
        {
            TMessageBoxScript boxes{mrYes};
            navigator.BtnClick(nbDelete);
            QCOMPARE(f.ds->RecordCount(), 2);
        }
        navigator.BeforeAction = [](TDBNavigator &, TNavigateBtn button) {
            if (button == nbFirst)
                Abort();
        };
        navigator.BtnClick(nbFirst);
        QCOMPARE(f.ds->CurrentRow(), 1);
        navigator.setEnabled(false);
        QVERIFY(!navigator.Button(nbPrior)->isEnabled());
    }

    void keyFilterNumericKeepsDigitsSignPointAndBackspace_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("digits") << "0123456789"
                                << "0123456789";
        QTest::newRow("sign and point") << "-12.5"
                                        << "-12.5";
        QTest::newRow("letters and blanks refused") << "1a b,2"
                                                    << "12";
        QTest::newRow("plus refused") << "+3"
                                      << "3";
    }
    void keyFilterNumericKeepsDigitsSignPointAndBackspace()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        TNumericEdit edit;
        edit.show();
        QTest::keyClicks(&edit, typed);
        QCOMPARE(edit.text(), kept);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), kept.left(kept.size() - 1));
        QChar backspace(8);
        QVERIFY(KeyFilterNumeric(backspace));
        QChar letter(QLatin1Char('x'));
        QVERIFY(!KeyFilterNumeric(letter));
        QVERIFY(letter.isNull());
    }

    void buttonEditRunsItsPickerAndKeepsAKey()
    {
        TButtonEdit edit;
        int clicks = 0;
        edit.OnButtonClick = [&](TButtonEdit &sender) {
            ++clicks;
            sender.setText(QStringLiteral("总仓库,门市仓库"));
            sender.SetKey(QStringLiteral("(1,2)"));
        };
        edit.show();
        QTest::keyClick(&edit, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks, 1);
        QCOMPARE(edit.Key(), QStringLiteral("(1,2)"));
        edit.findChild<QToolButton *>()->click();
        QCOMPARE(clicks, 2);
    }

    void dateRangeHoldsTwoDates()
    {
        TDateRangeEdit range;
        QCOMPARE(range.From(), QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1));
        QCOMPARE(range.To(), QDate::currentDate());
        int changes = 0;
        range.OnChange = [&](TDateRangeEdit &) {
            ++changes;
        };
        range.SetRange(QDate(2024, 1, 1), QDate(2024, 1, 31));
        QCOMPARE(changes, 2);
        QCOMPARE(range.FromPicker()->text(), QStringLiteral("2024-01-01"));
        range.SetCheckable(true);
        QVERIFY(!range.Checked());
        QVERIFY(!range.ToPicker()->isEnabled());
        range.SetChecked(true);
        QVERIFY(range.Checked());
    }
};

int runEditorTests(int argc, char **argv)
{
    TestEditors test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_editors.moc"
