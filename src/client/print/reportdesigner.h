// The report designer: the preview of a document through its template, and the page that edits
// the template — its bands, items and their properties — with undo, and saves it back.
#pragma once

#include "client/print/reportdesign.h"
#include "client/print/reportrenderer.h"

#include <QDialog>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TfrmReportPreview;

namespace print {
class TReportDesignView;
}

class TfrmReportDesigner : public QDialog
{
    Q_OBJECT
public:
    // Takes the report and its data; fileName is where Save writes the template.
    TfrmReportDesigner(std::unique_ptr<print::TReport> report,
                       std::unique_ptr<print::TReportDataSource> data, const QString &caption,
                       const QString &fileName, QWidget *parent = nullptr);
    ~TfrmReportDesigner() override;

    print::TReportDesign &Design() { return *m_design; }
    print::TReportDesignView &View() { return *m_view; }
    TfrmReportPreview &Preview() { return *m_preview; }
    const QString &FileName() const { return m_fileName; }
    // Writes the template; a message box tells why when it cannot. Saving elsewhere makes that
    // file the one Save writes.
    bool Save();
    bool SaveAs(const QString &fileName);
    // Adds an item of the kind to the current band, selected. A picture asks for its file.
    void AddItem(print::TItemKind kind);
    // Asks for a picture file; an empty name when the user cancels. Tests answer it instead of
    // a dialog.
    using TPictureChooser = std::function<QString(QWidget *parent)>;
    void SetPictureChooser(TPictureChooser chooser) { m_choosePicture = std::move(chooser); }
    // Asks for a picture file for the selected picture item.
    void ReplacePicture();

    QTabWidget *tabPages;
    QAction *aUndo;
    QAction *aRedo;
    QAction *aPicture;
    QAction *aDelete;
    QAction *aSnap;
    QAction *aSave;
    QAction *aSaveAs;
    QLineEdit *edText;
    QLineEdit *edFormat;
    QDoubleSpinBox *sbFontSize;
    QCheckBox *chkBold;
    QComboBox *cbAlign;
    QDoubleSpinBox *sbLeft;
    QDoubleSpinBox *sbTop;
    QDoubleSpinBox *sbWidth;
    QDoubleSpinBox *sbHeight;
    QDoubleSpinBox *sbBandHeight;
    QPushButton *btnPicture;

    // Asks whether to save a changed template first; Cancel, or a save that fails, keeps the
    // window open.
    void done(int result) override;

private:
    QWidget *buildDesignPage();
    void showProperties();
    void applyProperties();
    void refused();
    // The chosen file's bytes; empty when cancelled or refused (with a message).
    QByteArray choosePicture();

    std::unique_ptr<print::TReport> m_report;
    std::unique_ptr<print::TReportDataSource> m_data;
    std::unique_ptr<print::TReportDesign> m_design;
    QString m_fileName;
    TfrmReportPreview *m_preview;
    print::TReportDesignView *m_view = nullptr;
    QWidget *m_properties = nullptr;
    TPictureChooser m_choosePicture;
};
