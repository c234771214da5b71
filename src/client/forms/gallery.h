// The component gallery (vzclient --gallery): every component of the widget layer bound to
// local datasets of believable rows, on one root form, for screenshots and manual checks.
#pragma once

#include "client/forms/rootform.h"

#include <memory>

class QTabWidget;
class TClientDataSet;
class TDataSource;

class TfrmGallery : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmGallery(QWidget *parent = nullptr);
    ~TfrmGallery() override;

    QTabWidget *Pages() const { return m_pages; }

private:
    struct Data;
    QWidget *documentPage();
    QWidget *reportPage();
    QWidget *masterDataPage();
    QWidget *dialogPage();

    std::unique_ptr<Data> m_data;
    QTabWidget *m_pages;
};

// Shows the gallery; with a file name, saves a picture of the window (page: the tab shown)
// once it is painted and quits. Returns the exit code.
int RunGallery(const QString &screenshotFile = {}, int page = 0);
