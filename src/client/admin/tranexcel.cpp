#include "client/admin/tranexcel.h"

#include "client/admin/importrun.h"
#include "client/common/sqltext.h"
#include "client/core/paths.h"
#include "client/data/applog.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/filedialogs.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTextStream>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString Caption = QStringLiteral("从EXCEL文件导入数据库");

// A refused row: where it is and why, for the summary and ErrorSQL.txt.
struct TRefusedRow
{
    QString Sheet;
    int Row = 0; // as the workbook numbers it
    QString Reason;
};

QComboBox *headingBox(QTableWidget *grid, int row)
{
    return qobject_cast<QComboBox *>(grid->cellWidget(row, 2));
}

} // namespace

TFrmTranExcel::TFrmTranExcel(QString systemName, QString tableName, bool withId, QWidget *parent)
    : TFrmRoot(parent)
    , m_systemName(std::move(systemName))
    , m_tableName(std::move(tableName))
    , m_withId(withId)
{
    setObjectName(QStringLiteral("FrmTranExcel"));
    setWindowTitle(Caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(640, 480);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    StringGrid1 = new QTableWidget(0, 3, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("源字段名"), QStringLiteral("对应的Excel字段")});
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    StringGrid1->setColumnWidth(0, 36);
    StringGrid1->setColumnWidth(1, 140);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    top->addWidget(StringGrid1, 3);
    auto *right = new QVBoxLayout;
    CheckBox1 = new QCheckBox(QStringLiteral("全选"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    QBTables = new QListWidget(this);
    QBTables->setObjectName(QStringLiteral("QBTables"));
    right->addWidget(CheckBox1);
    right->addWidget(QBTables, 1);
    top->addLayout(right, 1);
    layout->addLayout(top, 1);
    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    Memo2->setMaximumHeight(70);
    Memo2->setPlainText(
        QStringLiteral("【源字段名】：是指在本系统资料中显示的字段名称\n"
                       "【对应的Excel字段】：是指在EXCEL表格中显示的第一行名称。请从对应的EXCEL字段"
                       "列表中选择相应\n"
                       "  的项目来匹配源字段；若没有相应的源字段，请把该源字段清空即可。"));
    layout->addWidget(Memo2);
    ProgressBarExport = new QProgressBar(this);
    ProgressBarExport->setObjectName(QStringLiteral("ProgressBarExport"));
    layout->addWidget(ProgressBarExport);
    LabelInfor = new QLabel(this);
    LabelInfor->setObjectName(QStringLiteral("LabelInfor"));
    layout->addWidget(LabelInfor);
    auto *buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        return b;
    };
    ButtonOpenExcel = button("ButtonOpenExcel", QStringLiteral("1.选择源Excel文件"));
    ButtonTrans = button("ButtonTrans", QStringLiteral("2.导入数据到数据库"));
    buttons->addStretch(1);
    Button1 = button("Button1", QStringLiteral("关闭"));
    layout->addLayout(buttons);
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool checked) {
        for (int i = 0; i < QBTables->count(); ++i)
            QBTables->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    });
    connect(ButtonOpenExcel, &QPushButton::clicked, this, [this] { ButtonOpenExcelClick(); });
    connect(ButtonTrans, &QPushButton::clicked, this, [this] { ButtonTransClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TFrmTranExcel::FormCreate()
{
    TFrmRoot::FormCreate();
    LabelInfor->clear();
    const QString sql =
        m_tableName.isEmpty()
            ? QStringLiteral("select Code,Name,DataType from ExportCompTable order by OrderIndex")
            : QStringLiteral("select Code,Name,DataType from ExportCompTable where Type = ") +
                  QuotedStr(m_tableName) + QStringLiteral(" and VZSystem =") +
                  QuotedStr(m_systemName) + QStringLiteral(" order by OrderIndex");
    Guarded([&] {
        TTmpDataSet tmp;
        tmp->SetPacketRecords(-1);
        tmp->SetCommandText(sql);
        tmp->Open();
        for (tmp->First(); !tmp->Eof(); tmp->Next())
            m_fields << TImportField{tmp->Fields(0)->AsString().trimmed(),
                                     tmp->Fields(1)->AsString().trimmed(),
                                     tmp->Fields(2)->AsString().trimmed()};
        tmp->Close();
    });
    StringGrid1->setRowCount(int(m_fields.size()));
    for (int r = 0; r < m_fields.size(); ++r) {
        StringGrid1->setItem(r, 0, new QTableWidgetItem(QString::number(r + 1)));
        StringGrid1->setItem(r, 1, new QTableWidgetItem(m_fields[r].Name));
        auto *box = new QComboBox(StringGrid1);
        box->setObjectName(QStringLiteral("CombTrans%1").arg(r + 1));
        box->addItem(QString());
        StringGrid1->setCellWidget(r, 2, box);
    }
}

bool TFrmTranExcel::OpenWorkbook(const QString &fileName)
{
    QList<TImportSheet> sheets;
    QString error;
    if (!ReadImportWorkbook(fileName, &sheets, &error)) {
        MessageBox(error, QStringLiteral("错误"), TMsgIcon::Error);
        return false;
    }
    m_sheets = sheets;
    m_headings.clear();
    const QStringList first = m_sheets.first().Rows.value(0);
    for (int c = 0; c < std::min<qsizetype>(first.size(), 60); ++c)
        m_headings << first[c].trimmed();
    QStringList items{QString()};
    for (const QString &heading : std::as_const(m_headings))
        if (!heading.isEmpty())
            items << heading;
    QList<TImportField> mapped = m_fields;
    for (TImportField &field : mapped)
        field.Column = -1;
    MapFieldsByHeading(mapped, m_headings);
    for (int r = 0; r < m_fields.size(); ++r) {
        QComboBox *box = headingBox(StringGrid1, r);
        box->clear();
        box->addItems(items);
        box->setCurrentText(mapped[r].Column >= 0 ? mapped[r].Name : QString());
    }
    QBTables->clear();
    for (const TImportSheet &sheet : std::as_const(m_sheets)) {
        auto *item = new QListWidgetItem(sheet.Name, QBTables);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    return true;
}

void TFrmTranExcel::SetHeading(int fieldRow, const QString &heading)
{
    if (QComboBox *box = headingBox(StringGrid1, fieldRow))
        box->setCurrentText(heading);
}

void TFrmTranExcel::ButtonOpenExcelClick()
{
    const std::optional<TFileDialogAnswer> answer = PromptForFile(
        {false,
         QStringLiteral("选择源Excel文件"),
         QString(),
         {QStringLiteral("Excel 工作表 (*.xlsx *.xls)"), QStringLiteral("Excel 模板 (*.xlt)")}});
    if (answer)
        OpenWorkbook(answer->FileName);
}

QList<TImportField> TFrmTranExcel::resolvedMap() const
{
    QList<TImportField> fields = m_fields;
    for (int r = 0; r < fields.size(); ++r) {
        const QString heading = headingBox(StringGrid1, r)->currentText();
        fields[r].Column = heading.isEmpty() ? -1 : int(m_headings.indexOf(heading));
    }
    return fields;
}

void TFrmTranExcel::ButtonTransClick()
{
    if (m_headings.isEmpty()) {
        MessageBox(QStringLiteral("选择源Excel文件"), QStringLiteral("提示"),
                   TMsgIcon::Information);
        return;
    }
    const QList<TImportField> fields = resolvedMap();
    if (fields.isEmpty() || fields.first().Column < 0) {
        MessageBox(QStringLiteral("第一个字段是关键字段，不能为空！"), QStringLiteral("提示"),
                   TMsgIcon::Information);
        return;
    }
    QList<TImportField> limited = fields;
    TImportNames names;
    if (!Guarded([&] {
            LoadColumnLimits(m_tableName, limited);
            LoadImportNames(names);
        }))
        return;
    TImportBuilder builder(m_tableName, limited, m_withId, &names);
    QList<TRefusedRow> refused;
    QElapsedTimer clock;
    clock.start();
    int total = 0;
    for (int s = 0; s < QBTables->count(); ++s)
        if (QBTables->item(s)->checkState() == Qt::Checked)
            total += std::max(0, int(m_sheets[s].Rows.size()) - 1);
    ProgressBarExport->setRange(0, std::max(1, total));
    int done = 0;
    for (int s = 0; s < QBTables->count(); ++s) {
        if (QBTables->item(s)->checkState() != Qt::Checked)
            continue;
        const TImportSheet &sheet = m_sheets[s];
        const int rows = int(sheet.Rows.size());
        for (int r = 1; r < rows; ++r) {
            QString why;
            if (!builder.AddRow(sheet.Rows[r], &why))
                refused << TRefusedRow{sheet.Name, r + 1, why};
            ProgressBarExport->setValue(++done);
            // Repainting each row would cost more than the rows; a few times a second is
            // what a reader can follow.
            if (done % 200 == 0 || done == total) {
                const qint64 left = clock.elapsed() * (total - done) / std::max(1, done) / 1000;
                LabelInfor->setText(QStringLiteral("正在导入工作表：") + sheet.Name +
                                    QStringLiteral("，共") + QString::number(rows) +
                                    QStringLiteral("条，正在导入第") + QString::number(r + 1) +
                                    QStringLiteral("条！剩余约") + QString::number(left) +
                                    QStringLiteral("秒"));
                QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
        }
    }
    if (!refused.isEmpty()) {
        QFile file(ExeDirFile(QStringLiteral("ErrorSQL.txt")));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            QTextStream out(&file);
            for (const TRefusedRow &row : std::as_const(refused))
                out << row.Sheet << QStringLiteral(" 第") << row.Row << QStringLiteral("行：")
                    << row.Reason << '\n';
        }
        const QString first = refused.first().Sheet + QStringLiteral(" 第") +
                              QString::number(refused.first().Row) + QStringLiteral("行：") +
                              refused.first().Reason;
        if (MessageBox(QStringLiteral("有%1行数据不能导入（详见ErrorSQL.txt），例如\n%2\n"
                                      "是否导入其余的数据？")
                           .arg(refused.size())
                           .arg(first),
                       QStringLiteral("询问"), TMsgIcon::Question, TMsgButtons::YesNo,
                       mrNo) != mrYes) {
            LabelInfor->setText(QStringLiteral("导入已取消，数据没有任何改动。"));
            return;
        }
    }
    QStringList following;
    QString counter;
    TAtomicResult result;
    const bool sent = Guarded([&] {
        if (m_tableName.compare(QLatin1String("hp"), Qt::CaseInsensitive) == 0)
            following =
                GoodsImportFollowing(builder.StockedGoods(), Data().GetServerDate(), &counter);
        following << AppLogInsertSQL(QStringLiteral("Excel导入 ") + m_tableName + QLatin1Char(' ') +
                                     QString::number(builder.Imported()));
        TBusyMessage busy(QStringLiteral("正在写入数据库，请稍候..."));
        result = SendImport(m_tableName, builder.Statements(), following, counter);
    });
    if (!sent)
        return;
    if (!result.Ok) {
        const QString why =
            result.OutcomeUnknown
                ? QStringLiteral("与服务器的连接中断，无法确定操作是否完成，请检查数据。")
                : QStringLiteral("导入失败，帐套中的数据没有任何改动。");
        MessageBox(why + QLatin1Char('\n') + result.Message, QStringLiteral("错误"),
                   TMsgIcon::Error);
        return;
    }
    MessageBox(QStringLiteral("成功导入数据：") + QString::number(builder.Imported()) +
                   QStringLiteral(";") + QStringLiteral("导入错误:") +
                   QString::number(refused.size()),
               QStringLiteral("提示"), TMsgIcon::Information);
}

void ImportMasterDataFromExcel(const QString &systemName, const QString &tableName,
                               int /*openingStock*/, bool withId)
{
    const QString question = tableName == QLatin1String("yg")
                                 ? QStringLiteral("本次操作将清除以前的【员工资料】，继续吗？")
                             : tableName == QLatin1String("hp")
                                 ? QStringLiteral("本次操作将清除以前的【货品资料】，继续吗？")
                                 : QStringLiteral("本次操作将清除以前的资料，继续吗？");
    if (MessageBox(question, QStringLiteral("询问"), TMsgIcon::Question, TMsgButtons::YesNo) !=
        mrYes)
        return;
    if (systemName.isEmpty()) {
        MessageBox(QStringLiteral("导入的系统名称不能为空！"), QStringLiteral("错误"),
                   TMsgIcon::Error);
        return;
    }
    if (tableName.isEmpty()) {
        MessageBox(QStringLiteral("导入的表名不能为空！"), QStringLiteral("错误"), TMsgIcon::Error);
        return;
    }
    auto form = std::make_unique<TFrmTranExcel>(systemName, tableName, withId,
                                                QApplication::activeWindow());
    form->ShowModal();
}
