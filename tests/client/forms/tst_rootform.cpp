// The root form: Enter moves on outside grids, Escape closes and releases the window, the
// colour and the styling of the child controls on show, modal runs, and the base template.
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/forms/rootform.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/lookupbox.h"
#include "client/widgets/uistyle.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A form with the controls a list or edit form has.
class TfrmSample : public TFrmRoot
{
public:
    explicit TfrmSample(QWidget *parent = nullptr)
        : TFrmRoot(parent)
    {
        auto *layout = new QVBoxLayout(this);
        first = new QLineEdit(this);
        second = new QLineEdit(this);
        disabled = new QLineEdit(this);
        disabled->setEnabled(false);
        third = new QLineEdit(this);
        memo = new QPlainTextEdit(this);
        grid = new TDBGrid(this);
        panel = new TPanel(this);
        buttonEdit = new TButtonEdit(this);
        pages = new QTabWidget(this);
        pages->addTab(new QWidget, QStringLiteral("基本信息"));
        tabs = new QTabBar(this);
        tabs->addTab(QStringLiteral("全部"));
        tabs->addTab(QStringLiteral("草稿"));
        tabs->addTab(QStringLiteral("审核"));
        for (QWidget *w : {static_cast<QWidget *>(first), static_cast<QWidget *>(second),
                           static_cast<QWidget *>(disabled), static_cast<QWidget *>(third),
                           static_cast<QWidget *>(memo), static_cast<QWidget *>(grid),
                           static_cast<QWidget *>(panel), static_cast<QWidget *>(buttonEdit),
                           static_cast<QWidget *>(pages), static_cast<QWidget *>(tabs)})
            layout->addWidget(w);
        setTabOrder(first, second);
        setTabOrder(second, disabled);
        setTabOrder(disabled, third);
    }

    QLineEdit *first;
    QLineEdit *second;
    QLineEdit *disabled;
    QLineEdit *third;
    QPlainTextEdit *memo;
    TDBGrid *grid;
    TPanel *panel;
    TButtonEdit *buttonEdit;
    QTabWidget *pages;
    QTabBar *tabs;
    QStringList hooks;
    bool refuseClose = false;

protected:
    void FormCreate() override { hooks << QStringLiteral("create"); }
    void FormShow() override
    {
        TFrmRoot::FormShow();
        hooks << QStringLiteral("show");
    }
    bool FormCloseQuery() override
    {
        hooks << QStringLiteral("closequery");
        return !refuseClose;
    }
    void FormClose() override { hooks << QStringLiteral("close"); }
};

std::unique_ptr<TClientDataSet> lines()
{
    auto ds = std::make_unique<TClientDataSet>();
    ds->FieldDefs().Add(QStringLiteral("HH"), ftInteger);
    ds->FieldDefs().Add(QStringLiteral("aPM"), ftString, 40);
    ds->CreateDataSet();
    ds->AppendRecord({1, QStringLiteral("螺丝刀")});
    ds->AppendRecord({2, QStringLiteral("扳手")});
    ds->MergeChangeLog();
    ds->First();
    return ds;
}

void showActive(QWidget *form)
{
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form));
}

} // namespace

class TestRootForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void enterMovesToTheNextControlOutsideGrids()
    {
        auto *form = CreateForm<TfrmSample>();
        showActive(form);
        form->first->setFocus();
        QTest::keyClick(form->first, Qt::Key_Return);
        QVERIFY(form->second->hasFocus());
        QTest::keyClick(form->second, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(form->third->hasFocus()); // the disabled edit is skipped
        // A memo keeps Enter for its new line.
        form->memo->setFocus();
        QTest::keyClicks(form->memo, QStringLiteral("a"));
        QTest::keyClick(form->memo, Qt::Key_Return);
        QVERIFY(form->memo->hasFocus());
        QCOMPARE(form->memo->toPlainText(), QStringLiteral("a\n"));
        form->Close();
    }

    void controlsMarkedToKeepEnterKeepIt()
    {
        auto *form = CreateForm<TfrmSample>();
        form->second->setProperty("vzWantsReturn", true);
        int returns = 0;
        connect(form->second, &QLineEdit::returnPressed, form, [&] { ++returns; });
        showActive(form);
        form->second->setFocus();
        QTest::keyClick(form->second, Qt::Key_Return);
        QVERIFY(form->second->hasFocus());
        QCOMPARE(returns, 1);
        QVERIFY(form->isVisible()); // no default button pressed, no close
        form->Close();
    }

    // The form's Enter and Escape rules leave the floating look-up box alone: Enter reaches
    // its handler with the focus kept, Escape closes its list but not the form.
    void theLookupBoxKeepsEnterAndEscape()
    {
        QPointer<TfrmSample> form = CreateForm<TfrmSample>();
        auto *box = new TDBLookupBox(form);
        QStringList keys;
        box->OnKeyPress = [&](TDBLookupBox &, QChar &key) {
            keys << QString::number(key.unicode());
        };
        showActive(form);
        box->ShowOver(QRect(10, 10, 120, 20));
        QVERIFY(box->Editor()->hasFocus());
        QTest::keyClick(box->Editor(), Qt::Key_Return);
        QVERIFY(box->Editor()->hasFocus());
        QTest::keyClick(box->Editor(), Qt::Key_Escape);
        QCOMPARE(keys, (QStringList{QStringLiteral("13"), QStringLiteral("27")}));
        QVERIFY(!box->DroppedDown());
        QVERIFY(form->isVisible());
        QVERIFY(box->Editor()->hasFocus());
        form->Close();
    }

    void closeInAWorkspaceClosesItsWindow()
    {
        QMdiArea workspace;
        workspace.resize(800, 600);
        QPointer<TfrmSample> form = CreateForm<TfrmSample>();
        QMdiSubWindow *window = workspace.addSubWindow(form);
        QPointer<QMdiSubWindow> guard(window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        workspace.show();
        QVERIFY(QTest::qWaitForWindowExposed(&workspace));
        form->Close();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(form.isNull());
    }

    void enterInAGridStaysInTheGrid()
    {
        auto *form = CreateForm<TfrmSample>();
        auto ds = lines();
        TDataSource source(ds.get());
        form->grid->SetDataSource(&source);
        int enters = 0;
        form->grid->OnKeyPress = [&](TDBGrid &, QChar &key) {
            if (key == QLatin1Char('\r'))
                ++enters;
        };
        showActive(form);
        form->grid->setFocus();
        QTest::keyClick(form->grid->View(), Qt::Key_Return);
        QCOMPARE(enters, 1);
        QVERIFY(form->grid->View()->hasFocus());
        form->grid->SetDataSource(nullptr);
        form->Close();
    }

    void escapeClosesAndReleasesTheForm()
    {
        QPointer<TfrmSample> form = CreateForm<TfrmSample>();
        showActive(form);
        form->first->setFocus();
        QTest::keyClick(form->first, Qt::Key_Escape);
        QVERIFY(form->isHidden());
        QCOMPARE(form->hooks, (QStringList{QStringLiteral("create"), QStringLiteral("show"),
                                           QStringLiteral("closequery"), QStringLiteral("close")}));
        QTRY_VERIFY(form.isNull()); // released
    }

    void escapeInAnEditingGridCancelsInsteadOfClosing()
    {
        QPointer<TfrmSample> form = CreateForm<TfrmSample>();
        auto ds = lines();
        TDataSource source(ds.get());
        form->grid->SetDataSource(&source);
        showActive(form);
        form->grid->setFocus();
        ds->Edit();
        ds->FieldByName(QStringLiteral("aPM"))->SetAsString(QStringLiteral("改"));
        QTest::keyClick(form->grid->View(), Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QCOMPARE(ds->State(), dsBrowse);
        QCOMPARE(ds->FieldByName(QStringLiteral("aPM"))->AsString(), QStringLiteral("螺丝刀"));
        QTest::keyClick(form->grid->View(), Qt::Key_Escape); // nothing left to cancel
        QVERIFY(form.isNull() || form->isHidden());
        if (form)
            form->grid->SetDataSource(nullptr);
    }

    void aRefusedCloseKeepsTheFormOpen()
    {
        auto *form = CreateForm<TfrmSample>();
        form->refuseClose = true;
        showActive(form);
        form->Close();
        QVERIFY(form->isVisible());
        form->refuseClose = false;
        form->Close();
        QVERIFY(!form->isVisible());
    }

    void showAppliesTheColourAndStylesTheChildControls()
    {
        auto *form = CreateForm<TfrmSample>();
        QCOMPARE(form->grid->UseMultiTitle(), false);
        showActive(form);
        const QColor blue(0xBB, 0xD4, 0xF8);
        QCOMPARE(DelphiColor(16307387), blue);
        QCOMPARE(ToDelphiColor(blue), 16307387);
        QCOMPARE(form->Color(), blue);
        QCOMPARE(form->panel->Color(), blue);
        QCOMPARE(form->buttonEdit->Color(), blue);
        QCOMPARE(form->pages->widget(0)->palette().color(QPalette::Window), blue);
        QCOMPARE(form->tabs->palette().color(QPalette::Window), blue);
        QVERIFY(form->tabs->autoFillBackground());
        QCOMPARE(form->grid->FixedColor(), blue);
        QCOMPARE(form->grid->FooterColor(), blue);
        QVERIFY(form->grid->UseMultiTitle());
        // The 12-pixel Song face, with CJK faces behind it where Song is missing.
        QCOMPARE(form->font().pixelSize(), 12);
        QVERIFY(form->font().families().contains(QStringLiteral("Noto Sans CJK SC")));
        QVERIFY(form->testAttribute(Qt::WA_DeleteOnClose));
        form->Close();
    }

    void aModalRunEndsWithItsResultAndLeavesTheFormToTheCaller()
    {
        auto form = std::make_unique<TfrmSample>();
        QTimer::singleShot(0, form.get(), [&] { form->SetModalResult(mrOk); });
        QCOMPARE(form->ShowModal(), mrOk);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->hooks.first(), QStringLiteral("create"));
        QTimer::singleShot(0, form.get(), [&] { QTest::keyClick(form->first, Qt::Key_Escape); });
        QCOMPARE(form->ShowModal(), mrCancel);
        QTimer::singleShot(0, form.get(), [&] { form->accept(); });
        QCOMPARE(form->ShowModal(), mrOk);
        QCOMPARE(form->hooks.count(QStringLiteral("create")), 1);
    }

    void billTypeIsKept()
    {
        auto form = std::make_unique<TfrmSample>();
        form->SetBillType(QStringLiteral("CS"));
        QCOMPARE(form->BillType(), QStringLiteral("CS"));
    }

    void theBaseTemplateIsAFixedDialogWithTwoPanels()
    {
        auto *form = CreateForm<TFrmBase>();
        showActive(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("基础模板"));
        QCOMPARE(form->size(), QSize(476, 288));
        QCOMPARE(form->PanelBottom()->height(), 41);
        QCOMPARE(form->PanelClient()->height(), 288 - 41);
        QCOMPARE(form->PanelClient()->Color(), FormColor());
        QCOMPARE(form->minimumSize(), form->maximumSize());
        form->Close();
    }
};

QTEST_MAIN(TestRootForm)
#include "tst_rootform.moc"
