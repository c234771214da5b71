// The preview of a banded report: pages one at a time, zoom, print, save as PDF.
#pragma once

#include "client/print/reportrenderer.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;

class TfrmReportPreview : public QDialog
{
    Q_OBJECT
public:
    // Takes the report and its data; the window is captioned with caption.
    TfrmReportPreview(std::unique_ptr<print::TReport> report,
                      std::unique_ptr<print::TReportDataSource> data, const QString &caption,
                      QWidget *parent = nullptr);
    // Shows a report owned elsewhere (the designer's); both must outlive the window.
    TfrmReportPreview(const print::TReport &report, const print::TReportDataSource &data,
                      const QString &caption, QWidget *parent = nullptr);
    ~TfrmReportPreview() override;

    // Lays the report out again after its template changed, staying on the page if it is
    // still there.
    void Rerender();

    int PageCount() const;
    int CurrentPage() const { return m_page; }
    void ShowPage(int page);
    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);
    const print::TReport &Report() const { return *m_report; }
    // Writes every page to the file; a message box tells why when it cannot.
    bool SaveAsPdf(const QString &fileName);

    QToolButton *btnFirst;
    QToolButton *btnPrior;
    QToolButton *btnNext;
    QToolButton *btnLast;
    QComboBox *cbZoom;
    QToolButton *btnPrint;
    QToolButton *btnPdf;
    QToolButton *btnClose;
    QLabel *lblPage;
    QLabel *imgPage;

private:
    void printReport();
    void askPdfFile();
    void build(const QString &caption);
    void refresh();

    std::unique_ptr<print::TReport> m_ownedReport;
    std::unique_ptr<print::TReportDataSource> m_ownedData;
    const print::TReport *m_report;
    const print::TReportDataSource *m_data;
    std::unique_ptr<print::TReportRenderer> m_renderer;
    QScrollArea *m_scroll;
    int m_page = 0;
    double m_zoom = 1.0;
};
