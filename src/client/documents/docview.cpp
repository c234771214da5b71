// The single-document view and the opening of a document by its type's name.
#include "client/documents/docview.h"

#include "client/common/sqltext.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/cgdd.h"
#include "client/documents/cgth.h"
#include "client/documents/ckdb.h"
#include "client/documents/comdj.h"
#include "client/documents/cpjc.h"
#include "client/documents/fykz.h"
#include "client/documents/kcpd.h"
#include "client/documents/ll.h"
#include "client/documents/purin.h"
#include "client/documents/qtkcbd.h"
#include "client/documents/qtsr.h"
#include "client/documents/recordinfo.h"
#include "client/documents/settlement.h"
#include "client/documents/tl.h"
#include "client/documents/xsdd.h"
#include "client/documents/xskd.h"
#include "client/documents/xsth.h"
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

using D = TData;

const TDocumentView SalesDelivery{"TfrmSalOunt", D::idXskdzb, D::idXskd, &TfrmSalOunt::HeaderQuery,
                                  nullptr};
const TDocumentView SalesReturn{"TfrmSalIn", D::idXsthzb, D::idXsth, &TfrmSalIn::HeaderQuery,
                                nullptr};
const TDocumentView SalesOrder{"TfrmXsdd", D::idXsddzb, D::idXsdd, &TfrmXsdd::HeaderQuery, nullptr};
const TDocumentView PurchaseReceipt{"TfrmPurIn", D::idCgshzb, D::idCgsh, &TfrmPurIn::HeaderQuery,
                                    nullptr};
const TDocumentView PurchaseReturn{"TfrmPurOut", D::idCgthzb, D::idCgth, &TfrmPurOut::HeaderQuery,
                                   nullptr};
const TDocumentView PurchaseOrder{"TfrmCgdd", D::idCgddzb, D::idCgdd, &TfrmCgdd::HeaderQuery,
                                  nullptr};
const TDocumentView GoodsIssue{"TfrmStockLl", D::idLlzb, D::idLl, &TfrmStockLl::HeaderQuery,
                               nullptr};
const TDocumentView GoodsReturn{"TfrmStockTl", D::idTlzb, D::idTl, &TfrmStockTl::HeaderQuery,
                                nullptr};
const TDocumentView ProductIntake{"TfrmProductIn", D::idCpjczb, D::idCpjc,
                                  &TfrmProductIn::HeaderQuery, nullptr};
const TDocumentView StockCount{"TFrmpd", D::idKcpdzb, D::idKcpd, &TFrmpd::HeaderQuery, "KCPD"};
const TDocumentView StockAdjustment{"TFrmpd", D::idKcpdzb, D::idKcpd, &TFrmpd::HeaderQuery, "KCTZ"};
const TDocumentView Transfer{"TfrmStockdb", D::idCkdbzb, D::idCkdb, &TfrmStockdb::HeaderQuery,
                             nullptr};
const TDocumentView OtherStockChange{"TfrmQtkcbd", D::idQtkcbdzb, D::idQtkcbd,
                                     &TfrmQtkcbd::HeaderQuery, nullptr};
const TDocumentView SalesReceipt{"TfrmXssk", D::idXsskzb, D::idXssk, &TfrmXssk::HeaderQuery,
                                 nullptr};
const TDocumentView PurchasePayment{"TfrmCgfk", D::idCgfkzb, D::idCgfk, &TfrmCgfk::HeaderQuery,
                                    nullptr};
const TDocumentView Expense{"TfrmFykz", D::idFykzzb, D::idFykz, &TfrmFykz::HeaderQuery, nullptr};
const TDocumentView OtherIncome{"TfrmQtsr", D::idQtsrzb, D::idQtsr, &TfrmQtsr::HeaderQuery,
                                nullptr};

// The documents that settled a delivery or a receipt, up to its ID.
const char *const ReceiptsOfDelivery =
    "select Z.DJBH, Z.RQ, Z.JE as ZJE, M.JE as BCJE from XSSKZB Z,XSSK M where Z.ID=M.ZBID and "
    "M.JE <> 0 and M.DDID = ";
const char *const PaymentsOfReceipt =
    "select Z.DJBH, Z.RQ, Z.JE as ZJE, M.JE as BCJE from CGFKZB Z, CGFK M where Z.ID=M.ZBID and "
    "M.JE <> 0 and M.DDID = ";

struct TTypeName
{
    const char *Name;
    const TDocumentView *View; // nullptr: settlement rows, or an account transfer
    const char *SettlementSql; // the rows' query up to the key; nullptr: an account transfer
};

const TTypeName TypeNames[] = {
    {"销售出库", &SalesDelivery, nullptr},
    {"现金销售", &SalesDelivery, nullptr},
    {"挂帐销售", &SalesDelivery, nullptr},
    {"销售退货", &SalesReturn, nullptr},
    {"销售订单", &SalesOrder, nullptr},
    {"采购收货", &PurchaseReceipt, nullptr},
    {"采购入库", &PurchaseReceipt, nullptr},
    {"现金采购", &PurchaseReceipt, nullptr},
    {"挂帐采购", &PurchaseReceipt, nullptr},
    {"采购退货", &PurchaseReturn, nullptr},
    {"采购订单", &PurchaseOrder, nullptr},
    {"领料", &GoodsIssue, nullptr},
    {"退料", &GoodsReturn, nullptr},
    {"产品进仓", &ProductIntake, nullptr},
    {"盘亏盘盈", &StockCount, nullptr},
    {"库存盘点", &StockCount, nullptr},
    {"库存调整", &StockAdjustment, nullptr},
    {"仓库调拨", &Transfer, nullptr},
    {"仓库调入", &Transfer, nullptr},
    {"仓库调出", &Transfer, nullptr},
    {"库存变动", &OtherStockChange, nullptr},
    {"其它库存变动-减少", &OtherStockChange, nullptr},
    {"其它库存变动-增加", &OtherStockChange, nullptr},
    {"其它库存变动-退还增加", &OtherStockChange, nullptr},
    {"其它库存变动-退还减少", &OtherStockChange, nullptr},
    {"退还过程", &OtherStockChange, nullptr},
    {"费用开支", &Expense, nullptr},
    {"其它收入", &OtherIncome, nullptr},
    {"销售收款", &SalesReceipt, nullptr},
    {"采购付款", &PurchasePayment, nullptr},
    {"帐户转入", nullptr, nullptr},
    {"帐户转出", nullptr, nullptr},
    {"销售收款过程", nullptr, ReceiptsOfDelivery},
    {"采购付款过程", nullptr, PaymentsOfReceipt},
};

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
        MessageBox(QStringLiteral("不能打开此单据。"), QStringLiteral("操作失败"),
                   TMsgIcon::Warning);
        return false;
    }
    if (!type->View && !type->SettlementSql) {
        std::unique_ptr<TfrmYhckqkCk> transfer(CreateForm<TfrmYhckqkCk>());
        if (!transfer->Load(id)) {
            MessageBox(QStringLiteral("不能打开此单据。"), QStringLiteral("操作失败"),
                       TMsgIcon::Warning);
            return false;
        }
        transfer->ShowModal();
        return true;
    }
    if (!type->View) {
        TfrmSettlementRows rows(typeName.trimmed(),
                                QLatin1String(type->SettlementSql) + QString::number(id));
        rows.ShowModal();
        return true;
    }
    return ViewDocuments(*type->View, QStringLiteral(" where Z.ID = ") + QString::number(id));
}

QStringList DocumentTypeNames()
{
    QStringList names;
    for (const TTypeName &entry : TypeNames)
        names << QString::fromUtf8(entry.Name);
    return names;
}
