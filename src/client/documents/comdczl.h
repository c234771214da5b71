// The chain of the document lists, each class adding one thing to the generic list:
//   TfrmComDczl   the detail grid DBGrid2 of the current header's lines;
//   TfrmComDcrq   the date filter (CheckBox1, dtpRqa "至" dtpRqb, the quick ranges);
//   TfrmComDczb   opening documents (LoadEditForm, aView) and the list delete;
//   TfrmComDclbzb the footer row, btnList and a reopen after every search.
//
// A list and the document form it opens share the header dataset of the central module: the
// form starts on the list's current header, and what it adds, saves, audits or deletes is in
// the list when it closes, without the list's query running again.
//
// What a concrete list supplies: caption, name and columns in its constructor, the header
// dataset bound to DBGrid1 in FormShow, ListHeaderSql, DetailSql with DetailSource, and
// CreateDocumentForm; HeaderTableName and DetailTableName for the delete.
#pragma once

#include "client/common/defaultdates.h"
#include "client/forms/comjbzl.h"

#include <QDate>
#include <QString>

#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class TfrmComDj;

// The quick choices of CombSelectedDate, "请选择" first.
QStringList QuickDateChoices();
// The range of a quick choice ("今天" ... "上年") for the given day, weeks running Monday to
// Sunday; none for "请选择" and for texts that are no choice.
std::optional<TDateRange> QuickDateRange(const QString &choice, QDate today);

class TfrmComDczl : public TfrmComJbzl
{
    Q_OBJECT
public:
    TDBGrid *DBGrid2;
    QToolButton *btnDetail;
    TAction *aDetail;

    // The grid printing and the exports work on: the detail grid while it has the focus.
    TDBGrid *ActionGrid() const override;

protected:
    explicit TfrmComDczl(QWidget *parent);

    // The lines of one header for the detail grid, and the data source the grid shows them
    // through; empty and null for a list without details.
    virtual QString DetailSql(qint64 headerId) const;
    virtual TDataSource *DetailSource() const;

    void dsAfterScroll(TClientDataSet &DataSet) override;
    void FormClose() override;
    // Loads the current header's lines into the detail grid while it is shown.
    void RefreshDetail();

private:
    void toggleDetail();
};

class TfrmComDcrq : public TfrmComDczl
{
    Q_OBJECT
public:
    QCheckBox *CheckBox1;
    QDateEdit *dtpRqa;
    QLabel *lblTo;
    QDateEdit *dtpRqb;
    QComboBox *CombSelectedDate;
    TAction *aViewMode;
    TAction *aSetViewMode;
    TAction *aDefDate;

    // " and Z.RQ >=#from# and Z.RQ <=#to#" (quotes instead of "#" on the server database),
    // dates as yyyy-mm-dd; empty while CheckBox1 is unticked.
    QString DateCondition() const;
    // Sets both pickers without reopening.
    void SetDateRange(const TDateRange &range);

protected:
    explicit TfrmComDcrq(QWidget *parent);

    void FormShow() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The pickers and their label follow CheckBox1, and so do aViewMode and aSetViewMode.
    void enablePickers();

private:
    void dateCheckToggled();
    void quickDateChosen(int index);
    void aViewModeExecute();
    void aSetViewModeExecute();
    void aDefDateExecute();
    // The workstation's default range into the pickers, ticked unless it is "all dates".
    void applyDefaultDates();
    void pickersChanged();
    QKeySequence m_modifyShortcut;
    TDateRange m_openedRange;
};

class TfrmComDczb : public TfrmComDcrq
{
    Q_OBJECT
public:
    TAction *aView;
    // The physical tables of the type, for the delete.
    QString HeaderTableName;
    QString DetailTableName;

    // Shows only the documents not fully audited, whatever their date, and reopens.
    void ShowPendingAudits();
    bool PendingAudits() const { return m_pendingAudits; }

protected:
    explicit TfrmComDczb(QWidget *parent);

    // The header query of the list; where starts with " where" and holds every condition.
    virtual QString ListHeaderSql(const QString &where) const = 0;
    // The document form of the type, made (FormCreate run), not shown.
    virtual TfrmComDj *CreateDocumentForm() = 0;
    // A condition of the list's own (a kind), appended to the others.
    virtual QString KindCondition() const { return {}; }

    void OpenDataSet() override;
    void SetButton() override;
    // Runs the document form modally in the mode on the list's current header, frees it and
    // brings the buttons and the detail up to date; the list is not queried again.
    void LoadEditForm(const QString &Mode) override;
    void aDelExecute() override;

private:
    void dropTextSums();

    bool m_pendingAudits = false;
};

class TfrmComDclbzb : public TfrmComDczb
{
    Q_OBJECT
public:
    QToolButton *btnList;

protected:
    explicit TfrmComDclbzb(QWidget *parent);

    void FormCreate() override;
    // The find dialog, then the list opened again on the record found.
    void aSearchExecute() override;
};
