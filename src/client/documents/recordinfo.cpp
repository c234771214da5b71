// The read-only record windows.
#include "client/documents/recordinfo.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmRecordInfo::TfrmRecordInfo(const char *name, const QString &caption, const char *sqlUpToId,
                               QList<TInfoRow> rows, QWidget *parent)
    : TFrmRoot(parent)
    , m_sql(sqlUpToId)
    , m_rows(std::move(rows))
{
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setColumnStretch(1, 1);
    for (int i = 0; i < m_rows.size(); ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(m_rows[i].Caption), this), i, 0);
        auto *value = new QLabel(this);
        value->setObjectName(QStringLiteral("lab") + QLatin1String(m_rows[i].Column));
        value->setMinimumWidth(260);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setFrameShape(QFrame::StyledPanel);
        grid->addWidget(value, i, 1);
        m_values.append(value);
    }
    layout->addLayout(grid);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnClose = new QPushButton(QStringLiteral("关闭"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
}

bool TfrmRecordInfo::Load(qint64 id)
{
    TTmpDataSet record;
    record->SetCommandText(QLatin1String(m_sql) + QString::number(id));
    record->Open();
    const bool found = !record->IsEmpty();
    for (int i = 0; i < m_rows.size(); ++i) {
        const TField *field = found ? record->FindField(QLatin1String(m_rows[i].Column)) : nullptr;
        QString text;
        if (field && m_rows[i].NumberFormat)
            text = FormatFloat(QString::fromUtf8(m_rows[i].NumberFormat), field->AsFloat());
        else if (field)
            text = field->DisplayText();
        m_values[i]->setText(text);
    }
    return found;
}

QString TfrmRecordInfo::ValueText(const QString &caption) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (QString::fromUtf8(m_rows[i].Caption) == caption)
            return m_values[i]->text();
    return {};
}

TfrmKhXx::TfrmKhXx(QWidget *parent)
    : TfrmRecordInfo("frmKhXx", QStringLiteral("客户资料"), "select * from KH where ID = ",
                     {{"客户全称：", "QC"},
                      {"地    址：", "DZ"},
                      {"电    话：", "DH"},
                      {"纳 税 号：", "NSH"},
                      {"开户银行：", "KHYH"},
                      {"银行帐号：", "YHZH"}},
                     parent)
{}

TfrmYhckqkCk::TfrmYhckqkCk(QWidget *parent)
    : TfrmRecordInfo("frmYhckqkCk", QStringLiteral("银行存款/取款"),
                     "select Z.*, ZC.MC as aZCZHMC, ZR.MC as aZRZHMC from YHCKQK Z, ZH ZC, ZH "
                     "ZR, Z left join ZC on Z.ZCZHID = ZC.ID, Z left join ZR on Z.ZRZHID = ZR.ID "
                     "where Z.ID = ",
                     {{"日    期：", "RQ"},
                      {"经 办 人：", "JSR"},
                      {"转出帐户：", "aZCZHMC"},
                      {"转入帐户：", "aZRZHMC"},
                      {"票    号：", "PH"},
                      {"金    额：", "JE", "#,0.00"},
                      {"备    注：", "BZ"}},
                     parent)
{}
