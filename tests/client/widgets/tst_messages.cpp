// Message boxes answer through one function, with the captions, icons, buttons and defaults
// asked for; the hourglass, the busy message and the progress dialog.
#include "client/data/dbtypes.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestMessages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aScriptAnswersAndKeepsWhatWasAsked()
    {
        TMessageBoxScript boxes{mrYes};
        const TModalResult first =
            MessageBox(QStringLiteral("确定要删除此项资料吗?"), QStringLiteral("资料删除"),
                       TMsgIcon::Question, TMsgButtons::YesNo, mrNo);
        const TModalResult second =
            MessageBox(QStringLiteral("保存单据吗?"), QStringLiteral("单据保存"),
                       TMsgIcon::Question, TMsgButtons::YesNoCancel);
        QCOMPARE(first, mrYes);
        QCOMPARE(second, mrYes); // no answer queued: the default, the first button
        QCOMPARE(boxes.Count(), 2);
        const TMessageRequest &asked = boxes.Requests().first();
        QCOMPARE(asked.Text, QStringLiteral("确定要删除此项资料吗?"));
        QCOMPARE(asked.Caption, QStringLiteral("资料删除"));
        QCOMPARE(asked.Icon, TMsgIcon::Question);
        QCOMPARE(asked.Buttons, TMsgButtons::YesNo);
        QCOMPARE(asked.DefaultButton, mrNo);
    }

    void confirmationsOfDestructiveActionsPreselectNo()
    {
        TMessageBoxScript boxes;
        QVERIFY(!Confirm(QStringLiteral("确定要删除此张单吗?"), QStringLiteral("资料删除")));
        QCOMPARE(boxes.Last().DefaultButton, mrNo);
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Question);
        QVERIFY(Confirm(QStringLiteral("继续吗?"), QStringLiteral("询问"), false));
        // A default outside the set falls back to the first button.
        MessageBox(QStringLiteral("出错了"), QStringLiteral("出错提示"), TMsgIcon::Error,
                   TMsgButtons::OK, mrNo);
        QCOMPARE(boxes.Last().DefaultButton, mrOk);
    }

    void scriptsNestAndGiveBackTheOuterHandler()
    {
        TMessageBoxScript outer{mrCancel};
        {
            TMessageBoxScript inner{mrNo};
            QCOMPARE(MessageBox(QStringLiteral("a"), QStringLiteral("b"), TMsgIcon::Question,
                                TMsgButtons::YesNoCancel),
                     mrNo);
        }
        QCOMPARE(MessageBox(QStringLiteral("a"), QStringLiteral("b"), TMsgIcon::Question,
                            TMsgButtons::YesNoCancel),
                 mrCancel);
        QCOMPARE(outer.Count(), 1);
    }

    void exceptionsShowTheirMessageExceptAbort()
    {
        TMessageBoxScript boxes;
        QVERIFY(!Guarded([] { throw EDatabaseError(QStringLiteral("该货品不存在！")); }));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("该货品不存在！"));
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Error);
        QVERIFY(!Guarded([] { Abort(); }));
        QCOMPARE(boxes.Count(), 1);
        QVERIFY(Guarded([] {}));
        ShowMessage(QStringLiteral("导入完成！"));
        QCOMPARE(boxes.Last().Buttons, TMsgButtons::OK);
    }

    void theRealBoxHasChineseButtonsAndTheDefaultAskedFor()
    {
        QString title;
        QString defaultText;
        QStringList buttons;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            defaultText = box->defaultButton()->text();
            for (QAbstractButton *button : box->buttons())
                buttons << button->text();
            box->defaultButton()->click();
        });
        const TModalResult answer =
            MessageBox(QStringLiteral("确定要删除此项资料吗?"), QStringLiteral("资料删除"),
                       TMsgIcon::Question, TMsgButtons::YesNo, mrNo);
        QCOMPARE(answer, mrNo);
        QCOMPARE(title, QStringLiteral("资料删除"));
        QCOMPARE(defaultText, QStringLiteral("否(&N)"));
        QVERIFY(buttons.contains(QStringLiteral("是(&Y)")));
    }

    void theHourglassNestsAndRestores()
    {
        QVERIFY(!QApplication::overrideCursor());
        {
            THourGlass outer;
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            {
                THourGlass inner;
            }
            QVERIFY(QApplication::overrideCursor());
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    void theBusyMessageShowsWhileTheWorkRuns()
    {
        QVERIFY(!TBusyMessage::Window());
        {
            TBusyMessage busy;
            QVERIFY(TBusyMessage::Window());
            QCOMPARE(TBusyMessage::CurrentText(), QStringLiteral("正在查询，请稍候..."));
            {
                TBusyMessage nested(QStringLiteral("正在备份数据，请稍候..."));
                QCOMPARE(TBusyMessage::CurrentText(), QStringLiteral("正在备份数据，请稍候..."));
            }
            QCOMPARE(TBusyMessage::CurrentText(), QStringLiteral("正在查询，请稍候..."));
        }
        QVERIFY(!TBusyMessage::Window());
    }

    void theProgressDialogOnlyRaisesTheCancelFlagUntilClosable()
    {
        TdlgProgress progress;
        QCOMPARE(progress.windowTitle(), QStringLiteral("请稍候..."));
        QCOMPARE(progress.CancelButton()->text(), QStringLiteral("取消(&C)"));
        QCOMPARE(progress.findChild<QProgressBar *>()->value(), 0);
        progress.SetRange(0, 200);
        progress.show();
        for (int line = 1; line <= 50; ++line) {
            progress.SetPosition(line);
            progress.SetText(QStringLiteral("第%1行").arg(line));
            TdlgProgress::ProcessMessages();
            if (line == 10)
                QTest::mouseClick(progress.CancelButton(), Qt::LeftButton);
            if (progress.Cancelled())
                break;
        }
        QCOMPARE(progress.Position(), 10);
        QVERIFY(progress.Cancelled());
        QVERIFY(progress.isVisible()); // the operation decides when the dialog goes
        progress.close();
        QVERIFY(progress.isVisible());
        progress.SetCanClose(true);
        progress.close();
        QVERIFY(!progress.isVisible());
    }
};

int runMessageTests(int argc, char **argv)
{
    TestMessages test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_messages.moc"
