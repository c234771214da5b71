// The workspace TfrmMDIClient ("业务导航"): always open behind the other windows of the frame,
// it offers the functions as tiles on one page per module (chosen with the module buttons on
// the left) and keeps the list of frequently used reports on the right.
#pragma once

#include "client/shell/recentreports.h"

#include <QList>
#include <QWidget>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTreeWidget;

class TfrmMDIClient : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmMDIClient(QWidget *parent = nullptr);
    ~TfrmMDIClient() override;

    // Runs the frame's tile handler with a tile's (or a listed report's) name.
    std::function<void(const QString &name)> OnTileClick;

    // The module buttons in their column, and the page each one shows.
    const QList<QPushButton *> &ModuleButtons() const { return m_moduleButtons; }
    QPushButton *ModuleButton(const QString &name) const;
    void ModuleButtonClick(QPushButton *button);
    QStackedWidget *PageControl() const { return m_pages; }
    QFrame *FrameShape() const { return m_frameShape; }
    QToolButton *Tile(const QString &name) const;
    QList<QToolButton *> Tiles() const;

    // Frequently used reports.
    QTreeWidget *ReportTree() const { return fcTree_Function; }
    const TRecentReports &RecentReports() const { return m_reports; }
    // A report window opened: record it under its title and select it.
    void AddRecentReport(const QString &caption);
    void DeleteSelectedReport();
    void ClearReports();
    // Tree_Function.txt beside the program.
    static QString ReportFile();
    void SaveReports() const;

    // Shows the company and the date in the top picture.
    void SetBannerText(const QString &company, const QString &user);

    QPushButton *FlatBAbout = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct TileEntry;
    QWidget *createPage(const QString &name, const QList<TileEntry> &tiles);
    QWidget *createAboutPage();
    void fillReportTree();
    void reportTreeDoubleClicked();
    void tileClicked(const QString &name);

    QWidget *m_top = nullptr; // the top picture
    QWidget *m_moduleColumn = nullptr;
    QList<QPushButton *> m_moduleButtons;
    QList<int> m_modulePages;
    QFrame *m_frameShape = nullptr;
    QStackedWidget *m_pages = nullptr;
    QTreeWidget *fcTree_Function = nullptr;
    TRecentReports m_reports;
};
