// The personnel reminders: a tree of the usual reminders (birthdays, hirings, leavings,
// confirmations, contracts signed and expiring) on the chosen day and in its month, each with
// its count; choosing one lists its employees. The date is shown in the lunar calendar too.
#pragma once

#include "client/reports/rptmodal.h"

class QTreeWidget;
class QTreeWidgetItem;

// "农历 10 月 27 日", or "农历闰 6 月 3 日" in a leap month; empty outside the calendar's range.
QString LunarLabelText(QDate date);

class TFrmRptRsTx : public TFrmRptModal
{
    Q_OBJECT
public:
    explicit TFrmRptRsTx(QWidget *parent = nullptr);

    QTreeWidget *fcTreeView2;
    QLabel *lblLunar;

    // Recounts every reminder and relabels the date; the conditions follow the date.
    void RebuildReminders();
    // The reminder node of the group ("日" or "月") and the column ("CSRQ" ...).
    QTreeWidgetItem *ReminderNode(const QString &group, const QString &column) const;

protected:
    void FormCreate() override;
    void OpenDataSet() override;

private:
    QTreeWidgetItem *m_root = nullptr;
};
