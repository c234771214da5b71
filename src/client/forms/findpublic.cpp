// The universal find.
#include "client/forms/findpublic.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

int FindRow(const TClientDataSet &dataSet, const TFindOptions &options, int startRow)
{
    const TField *field = dataSet.FindField(options.FieldName);
    if (!field || options.Text.isEmpty())
        return -1;
    const Qt::CaseSensitivity cs = options.CaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int row = qMax(0, startRow); row < dataSet.RowCount(); ++row) {
        const QString text = dataSet.RowDisplayText(row, field);
        const bool match = options.WholeValue ? text.compare(options.Text, cs) == 0
                                              : text.contains(options.Text, cs);
        if (match)
            return row;
    }
    return -1;
}

TfrmFindPublic::TfrmFindPublic(TDBGrid *grid, TClientDataSet *dataSet, QWidget *parent)
    : TFrmRoot(parent)
    , m_grid(grid)
    , m_dataSet(dataSet)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("frmFindPublic"));
    setWindowTitle(QStringLiteral("万能查找"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("查找内容："), this), 0, 0);
    edtText = new QLineEdit(this);
    edtText->setObjectName(QStringLiteral("edtText"));
    // Enter finds instead of moving on.
    edtText->setProperty("vzWantsReturn", true);
    form->addWidget(edtText, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("查找字段："), this), 1, 0);
    cbFields = new QComboBox(this);
    cbFields->setObjectName(QStringLiteral("cbFields"));
    form->addWidget(cbFields, 1, 1);
    layout->addLayout(form);

    auto *direction = new QGroupBox(QStringLiteral("搜索方向："), this);
    auto *directionLayout = new QHBoxLayout(direction);
    rbAll = new QRadioButton(QStringLiteral("全部数据"), direction);
    rbDown = new QRadioButton(QStringLiteral("当前行向下"), direction);
    rbAll->setChecked(true);
    directionLayout->addWidget(rbAll);
    directionLayout->addWidget(rbDown);
    layout->addWidget(direction);
    chkWhole = new QCheckBox(QStringLiteral("全字匹配"), this);
    chkCase = new QCheckBox(QStringLiteral("区分大小写"), this);
    auto *checks = new QHBoxLayout;
    checks->addWidget(chkWhole);
    checks->addWidget(chkCase);
    layout->addLayout(checks);

    auto *buttons = new QHBoxLayout;
    btnFind = new QPushButton(QStringLiteral("查  找(&F)"), this);
    btnNext = new QPushButton(QStringLiteral("下一个(&D)"), this);
    btnCancel = new QPushButton(QStringLiteral("取  消(&F)"), this);
    for (QPushButton *button : {btnFind, btnNext, btnCancel}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    if (grid) {
        const TDBGridColumns &columns = grid->Columns();
        for (int i = 0; i < columns.Count(); ++i) {
            const TColumn *column = columns[i];
            if (!column->Visible() || column->FieldName().isEmpty())
                continue;
            QString title = column->Title().Caption();
            if (title.isEmpty())
                title = column->Field() ? column->Field()->DisplayLabel() : column->FieldName();
            cbFields->addItem(title);
            m_fieldNames << column->FieldName();
        }
    }

    connect(edtText, &QLineEdit::returnPressed, btnFind, &QPushButton::click);
    connect(btnFind, &QPushButton::clicked, this, [this] { Guarded([this] { btnFindClick(); }); });
    connect(btnNext, &QPushButton::clicked, this, [this] { Guarded([this] { btnNextClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TfrmFindPublic::SetLastSearch(const QString &text, int columnIndex)
{
    edtText->setText(text);
    if (columnIndex >= 0 && columnIndex < cbFields->count())
        cbFields->setCurrentIndex(columnIndex);
}

QString TfrmFindPublic::SearchText() const
{
    return edtText->text();
}

int TfrmFindPublic::ColumnIndex() const
{
    return cbFields->currentIndex();
}

TFindOptions TfrmFindPublic::Options() const
{
    TFindOptions options;
    options.Text = edtText->text();
    options.FieldName = m_fieldNames.value(cbFields->currentIndex());
    options.WholeValue = chkWhole->isChecked();
    options.CaseSensitive = chkCase->isChecked();
    return options;
}

bool TfrmFindPublic::findFrom(int startRow)
{
    if (!m_dataSet || !m_dataSet->Active())
        return false;
    int row = -1;
    {
        THourGlass hourGlass;
        m_dataSet->DisableControls();
        row = FindRow(*m_dataSet, Options(), startRow);
        m_dataSet->EnableControls();
    }
    if (row < 0)
        return false;
    m_dataSet->MoveToRow(row);
    m_found = true;
    return true;
}

void TfrmFindPublic::btnFindClick()
{
    const int start = rbAll->isChecked() ? 0 : qMax(0, m_dataSet ? m_dataSet->CurrentRow() : 0);
    if (findFrom(start))
        SetModalResult(mrOk);
}

void TfrmFindPublic::btnNextClick()
{
    if (edtText->text().isEmpty() || !m_dataSet)
        return;
    findFrom(m_dataSet->CurrentRow() + 1);
}

bool FindPublic(TDBGrid *grid, TClientDataSet *dataSet, QString &searchText, int &columnIndex,
                QWidget *parent)
{
    TfrmFindPublic window(grid, dataSet, parent);
    window.SetLastSearch(searchText, columnIndex);
    window.ShowModal();
    searchText = window.SearchText();
    columnIndex = window.ColumnIndex();
    return window.Found();
}
