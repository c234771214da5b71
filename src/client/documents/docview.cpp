// The single-document view and the opening of a document by its type's name.
#include "client/documents/docview.h"

#include "client/common/sqltext.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdj.h"
#include "client/documents/recordinfo.h"
#include "client/forms/mdiwindows.h"
#include "client/forms/rootform.h"
#include "client/masterdata/editrows.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace {

// The documents that settled a delivery or a receipt, up to its ID.
const char *const ReceiptsOfDelivery =
    "select Z.DJBH, Z.RQ, Z.JE as ZJE, M.JE as BCJE from XSSKZB Z,XSSK M where Z.ID=M.ZBID and "
    "M.JE <> 0 and M.DDID = ";
const char *const PaymentsOfReceipt =
    "select Z.DJBH, Z.RQ, Z.JE as ZJE, M.JE as BCJE from CGFKZB Z, CGFK M where Z.ID=M.ZBID and "
    "M.JE <> 0 and M.DDID = ";

// How a name opens: the document form of a list's type (restricted to a kind), the rows that
// settled a document, or an account transfer (neither).
struct TTypeName
{
    const char *Name;
    const char *ListClass;     // the type's list; nullptr: settlement rows or a transfer
    const char *Kind;          // "KCTZ" ...; nullptr: none
    const char *SettlementSql; // the rows' query up to the key; nullptr: an account transfer
};

const TTypeName TypeNames[] = {
    {"销售出库", "TfrmSalOuntWork", nullptr, nullptr},
    {"现金销售", "TfrmSalOuntWork", nullptr, nullptr},
    {"挂帐销售", "TfrmSalOuntWork", nullptr, nullptr},
    {"销售退货", "TfrmSalInWork", nullptr, nullptr},
    {"销售订单", "TfrmXsddzb", nullptr, nullptr},
    {"采购收货", "TfrmPurInWork", nullptr, nullptr},
    {"采购入库", "TfrmPurInWork", nullptr, nullptr},
    {"现金采购", "TfrmPurInWork", nullptr, nullptr},
    {"挂帐采购", "TfrmPurInWork", nullptr, nullptr},
    {"采购退货", "TfrmPurOutWork", nullptr, nullptr},
    {"采购订单", "TfrmCgddzb", nullptr, nullptr},
    {"领料", "TfrmStockLlWork", nullptr, nullptr},
    {"退料", "TfrmStockTlWork", nullptr, nullptr},
    {"产品进仓", "TfrmProductInWork", nullptr, nullptr},
    {"盘亏盘盈", "TFrmPdWork", "KCPD", nullptr},
    {"库存盘点", "TFrmPdWork", "KCPD", nullptr},
    {"库存调整", "TFrmPdWork", "KCTZ", nullptr},
    {"仓库调拨", "TfrmStockdbWork", nullptr, nullptr},
    {"仓库调入", "TfrmStockdbWork", nullptr, nullptr},
    {"仓库调出", "TfrmStockdbWork", nullptr, nullptr},
    {"库存变动", "TfrmQtkcbdzb", nullptr, nullptr},
    {"其它库存变动-减少", "TfrmQtkcbdzb", nullptr, nullptr},
    {"其它库存变动-增加", "TfrmQtkcbdzb", nullptr, nullptr},
    {"其它库存变动-退还增加", "TfrmQtkcbdzb", nullptr, nullptr},
    {"其它库存变动-退还减少", "TfrmQtkcbdzb", nullptr, nullptr},
    {"退还过程", "TfrmQtkcbdzb", nullptr, nullptr},
    {"费用开支", "TfrmArapFykzWork", nullptr, nullptr},
    {"其它收入", "TfrmArapQtsrWork", nullptr, nullptr},
    {"销售收款", "TfrmXsskWork", nullptr, nullptr},
    {"采购付款", "TfrmCgfkWork", nullptr, nullptr},
    {"帐户转入", nullptr, nullptr, nullptr},
    {"帐户转出", nullptr, nullptr, nullptr},
    {"销售收款过程", nullptr, nullptr, ReceiptsOfDelivery},
    {"采购付款过程", nullptr, nullptr, PaymentsOfReceipt},
};

void sayCannotOpen()
{
    MessageBox(QStringLiteral("不能打开此单据。"), QStringLiteral("操作失败"), TMsgIcon::Warning);
}

const TTypeName *findTypeName(const QString &name)
{
    const QString trimmed = name.trimmed();
    for (const TTypeName &entry : TypeNames)
        if (trimmed == QString::fromUtf8(entry.Name))
            return &entry;
    return nullptr;
}

// The settlement rows of one delivery or receipt, read-only.
class TfrmSettlementRows : public TFrmRoot
{
public:
    TfrmSettlementRows(const QString &caption, const QString &sql)
        : m_source(&*m_rows)
    {
        setObjectName(QStringLiteral("frmSettlementRows"));
        setWindowTitle(caption);
        resize(520, 300);
        auto *layout = new QVBoxLayout(this);
        Grid = new TDBGrid(this);
        Grid->setObjectName(QStringLiteral("DBGrid1"));
        Grid->SetReadOnly(true);
        Grid->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines |
                         dgRowSelect | dgAlwaysShowSelection);
        AddColumns(Grid, {{"DJBH", "单据编号", 120},
                          {"RQ", "日期", 85},
                          {"ZJE", "单据金额", 100},
                          {"BCJE", "本次金额", 100}});
        layout->addWidget(Grid, 1);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch(1);
        auto *close = new QPushButton(QStringLiteral("关闭(&C)"), this);
        close->setObjectName(QStringLiteral("btnClose"));
        connect(close, &QPushButton::clicked, this, [this] { Close(); });
        buttons->addWidget(close);
        layout->addLayout(buttons);
        m_rows->SetCommandText(sql);
        m_rows->Open();
        Grid->SetDataSource(&m_source);
    }
    ~TfrmSettlementRows() override { Grid->SetDataSource(nullptr); }

    TClientDataSet &Rows() const { return *m_rows; }

    TDBGrid *Grid;

private:
    TTmpDataSet m_rows;
    TDataSource m_source;
};

} // namespace

bool ViewDocuments(const TDocumentView &view, const QString &where)
{
    TClientDataSet &header = Data().DataSet(view.Header);
    // A document of the type being entered in another window keeps its unsaved changes.
    for (TClientDataSet *dataSet : {&header, &Data().DataSet(view.Lines)}) {
        if (dataSet->Active() && (dataSet->State() == dsEdit || dataSet->State() == dsInsert ||
                                  dataSet->ChangeCount() > 0)) {
            MessageBox(QStringLiteral("此类单据正在录入，请先保存或取消后再查看。"),
                       QStringLiteral("操作失败"), TMsgIcon::Warning);
            return false;
        }
    }
    // A list may show this dataset: it gets its rows back when the view closes.
    const bool wasActive = header.Active();
    const QString listQuery = header.CommandText();
    const QVariant listRecord = wasActive && !header.IsEmpty()
                                    ? header.FieldByName(QStringLiteral("ID"))->Value()
                                    : QVariant();

    QString condition = where;
    if (view.Kind)
        condition += QStringLiteral(" and Z.BillType = ") + QuotedStr(QLatin1String(view.Kind));
    header.Close();
    header.SetCommandText(view.HeaderQuery(condition) + QStringLiteral(" order by Z.DJBH"));
    header.Open();

    TFrmRoot *created = TFormRegistry::Create(QLatin1String(view.FormClass));
    std::unique_ptr<TfrmComDj> form(qobject_cast<TfrmComDj *>(created));
    if (!form) {
        delete created;
        SayWindowMissing(QLatin1String(view.FormClass));
        return false;
    }
    if (view.Kind)
        form->SetBillType(QLatin1String(view.Kind));
    form->ToolBar1->setEnabled(false);
    form->FOpenMode = QStringLiteral("V");
    form->FSingleBill = true;
    form->ShowModal();
    form.reset();

    header.Close();
    if (wasActive) {
        header.SetCommandText(listQuery);
        header.Open();
        if (listRecord.isValid())
            header.Locate(QStringLiteral("ID"), listRecord);
    }
    return true;
}

bool OpenDocumentByType(const QString &key, const QString &typeName)
{
    bool isNumber = false;
    const qint64 id = key.trimmed().toLongLong(&isNumber);
    const TTypeName *type = findTypeName(typeName);
    if (!isNumber || id <= 0 || !type) {
        sayCannotOpen();
        return false;
    }
    if (!type->ListClass && !type->SettlementSql) {
        std::unique_ptr<TfrmYhckqkCk> transfer(CreateForm<TfrmYhckqkCk>());
        if (!transfer->Load(id)) {
            sayCannotOpen();
            return false;
        }
        transfer->ShowModal();
        return true;
    }
    if (!type->ListClass) {
        TfrmSettlementRows rows(typeName.trimmed(),
                                QLatin1String(type->SettlementSql) + QString::number(id));
        rows.ShowModal();
        return true;
    }
    const TDocumentListType *list = FindDocumentListType(QLatin1String(type->ListClass));
    if (!list) {
        sayCannotOpen();
        return false;
    }
    const TDocumentView view{list->FormClass, list->Header, list->Lines, list->HeaderQuery,
                             type->Kind};
    return ViewDocuments(view, QStringLiteral(" where Z.ID = ") + QString::number(id));
}

bool OpenDocumentByNumber(const QString &number, const QString &typeName)
{
    const TTypeName *type = findTypeName(typeName);
    const TDocumentListType *list =
        type && type->ListClass ? FindDocumentListType(QLatin1String(type->ListClass)) : nullptr;
    if (!list || number.trimmed().isEmpty()) {
        sayCannotOpen();
        return false;
    }
    const QVariant id =
        QueryValue(QStringLiteral("select ID from ") + QLatin1String(list->HeaderTable) +
                   QStringLiteral(" where DJBH = ") + QuotedStr(number.trimmed()));
    if (id.toLongLong() <= 0) {
        sayCannotOpen();
        return false;
    }
    return OpenDocumentByType(QString::number(id.toLongLong()), typeName);
}

QStringList DocumentTypeNames()
{
    QStringList names;
    for (const TTypeName &entry : TypeNames)
        names << QString::fromUtf8(entry.Name);
    return names;
}
