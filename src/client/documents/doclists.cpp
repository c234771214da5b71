// The document lists.
#include "client/documents/doclists.h"

#include "client/common/sqltext.h"
#include "client/documents/cgdd.h"
#include "client/documents/cgsq.h"
#include "client/documents/cgth.h"
#include "client/documents/ckdb.h"
#include "client/documents/comdczl.h"
#include "client/documents/cpjc.h"
#include "client/documents/fykz.h"
#include "client/documents/incomeexpense.h"
#include "client/documents/kcpd.h"
#include "client/documents/ll.h"
#include "client/documents/purin.h"
#include "client/documents/qtkcbd.h"
#include "client/documents/qtsr.h"
#include "client/documents/settlement.h"
#include "client/documents/tl.h"
#include "client/documents/xsdd.h"
#include "client/documents/xskd.h"
#include "client/documents/xsth.h"
#include "client/forms/globalobj.h"
#include "client/forms/mdiwindows.h"
#include "client/widgets/dbgrid.h"

namespace {

using D = TData;

QString goodsLines(const char *table, qint64 headerId)
{
    return TfrmTypedDj::GoodsLinesQuery(QLatin1String(table), headerId);
}

// clang-format off
const TDocumentListType ListTypes[] = {
    {"TfrmCgsqzb", "采购申请单总表", D::idCgsqzb, D::idCgsq, "TfrmCgsq", "CGSQZB", "CGSQ",
     &TfrmCgsq::HeaderQuery, &TfrmCgsq::LinesQuery, true, nullptr, TLineKind::Goods,
     {{"aCKMC", "仓库", 100}, {"aBMMC", "部门", 90}, {"YWY", "业务员", 70}}},
    {"TfrmCgddzb", "物品申请单总表", D::idCgddzb, D::idCgdd, "TfrmCgdd", "CGDDZB", "CGDD",
     &TfrmCgdd::HeaderQuery, &TfrmCgdd::LinesQuery, true, nullptr, TLineKind::Goods,
     {{"aGYSMC", "供应商", 160}, {"aCKMC", "仓库", 100}, {"aBMMC", "部门", 90}, {"YWY", "业务员", 70}}},
    {"TfrmPurInWork", "采购入库单总表", D::idCgshzb, D::idCgsh, "TfrmPurIn", "CGSHZB", "CGSH",
     &TfrmPurIn::HeaderQuery, &TfrmPurIn::LinesQuery, true, nullptr, TLineKind::Goods,
     {{"aGYSMC", "供应商", 160}, {"aCKMC", "仓库", 100}, {"aCGLX", "采购类型", 70},
      {"aFPLX", "发票类型", 90}, {"YWY", "业务员", 70}}},
    {"TfrmPurOutWork", "采购退货单时序薄", D::idCgthzb, D::idCgth, "TfrmPurOut", "CGTHZB", "CGTH",
     &TfrmPurOut::HeaderQuery, &TfrmPurOut::LinesQuery, true, nullptr, TLineKind::Goods,
     {{"aGYSMC", "供应商", 160}, {"aCKMC", "仓库", 100}, {"aTHLX", "退货类型", 100}, {"YWY", "业务员", 70}}},
    {"TfrmXsddzb", "销售订单总表", D::idXsddzb, D::idXsdd, "TfrmXsdd", "XSDDZB", "XSDD",
     &TfrmXsdd::HeaderQuery, &TfrmXsdd::LinesQuery, true, nullptr, TLineKind::Goods,
     {{"aKHMC", "客户", 160}, {"aCKMC", "仓库", 100}, {"YWY", "业务员", 70}}},
    {"TfrmSalOuntWork", "销售出库单总表", D::idXskdzb, D::idXskd, "TfrmSalOunt", "XSKDZB", "XSKD",
     &TfrmSalOunt::HeaderQuery, &TfrmSalOunt::LinesQuery, true, nullptr, TLineKind::Goods,
     {{"aKHMC", "客户", 160}, {"aCKMC", "仓库", 100}, {"aXSLX", "销售类型", 70},
      {"aFPLX", "发票类型", 90}, {"YWY", "业务员", 70}}},
    {"TfrmSalInWork", "销售退货单时序薄", D::idXsthzb, D::idXsth, "TfrmSalIn", "XSTHZB", "XSTH",
     &TfrmSalIn::HeaderQuery, &TfrmSalIn::LinesQuery, true, nullptr, TLineKind::Goods,
     {{"aKHMC", "客户", 160}, {"aCKMC", "仓库", 100}, {"aTHLX", "退货类型", 100}, {"YWY", "业务员", 70}}},
    {"TfrmStockLlWork", "物品领用单总表", D::idLlzb, D::idLl, "TfrmStockLl", "LLZB", "LL",
     &TfrmStockLl::HeaderQuery, [](qint64 id) { return goodsLines("LL", id); }, false, nullptr,
     TLineKind::Goods,
     {{"aCKMC", "仓库", 100}, {"aBMMC", "部门", 90}, {"JSR", "领用人", 70}, {"YWY", "业务员", 70}}},
    {"TfrmStockTlWork", "物品归还单总表", D::idTlzb, D::idTl, "TfrmStockTl", "TLZB", "TL",
     &TfrmStockTl::HeaderQuery, [](qint64 id) { return goodsLines("TL", id); }, false, nullptr,
     TLineKind::Goods,
     {{"aCKMC", "仓库", 100}, {"aBMMC", "部门", 90}, {"JSR", "归还人", 70}, {"YWY", "业务员", 70}}},
    {"TfrmStockdbWork", "仓库调拨单总表", D::idCkdbzb, D::idCkdb, "TfrmStockdb", "CKDBZB", "CKDB",
     &TfrmStockdb::HeaderQuery, [](qint64 id) { return goodsLines("CKDB", id); }, false,
     "DBType", TLineKind::Goods,
     {{"aCKMC", "调出仓", 100}, {"aDRCMC", "调入仓", 100}, {"JSR", "经手人", 70}, {"YWY", "业务员", 70}}},
    {"TFrmPdWork", "库存盘点单总表", D::idKcpdzb, D::idKcpd, "TFrmpd", "KCPDZB", "KCPD",
     &TFrmpd::HeaderQuery, [](qint64 id) { return goodsLines("KCPD", id); }, false,
     "BillType", TLineKind::Goods,
     {{"aCKMC", "仓库", 100}, {"aBillType", "单据类型", 80}, {"JSR", "经手人", 70}, {"YWY", "业务员", 70}}},
    {"TfrmQtkcbdzb", "其它库存变动单总表", D::idQtkcbdzb, D::idQtkcbd, "TfrmQtkcbd", "QTKCBDZB",
     "QTKCBD", &TfrmQtkcbd::HeaderQuery, [](qint64 id) { return goodsLines("QTKCBD", id); },
     false, nullptr, TLineKind::Goods,
     {{"aCKMC", "仓库", 100}, {"aQTKCBDLXMC", "变动类型", 100}, {"aCRLX", "出入", 50},
      {"JSR", "经手人", 70}, {"YWY", "业务员", 70}}},
    {"TfrmProductInWork", "产品进仓单时序薄", D::idCpjczb, D::idCpjc, "TfrmProductIn", "CPJCZB",
     "CPJC", &TfrmProductIn::HeaderQuery, [](qint64 id) { return goodsLines("CPJC", id); },
     false, nullptr, TLineKind::Goods,
     {{"aCKMC", "仓库", 100}, {"aBMMC", "生产部门", 90}, {"JSR", "经手人", 70}, {"YWY", "业务员", 70}}},
    {"TfrmArapFykzWork", "费用开支单总表", D::idFykzzb, D::idFykz, "TfrmFykz", "FYKZZB", "FYKZ",
     &TfrmFykz::HeaderQuery,
     [](qint64 id) { return TfrmIncomeExpense::LinesQueryOf(QStringLiteral("FYKZ"), id); },
     false, nullptr, TLineKind::Categories,
     {{"aSFKFSMC", "结算方式", 90}, {"aZHMC", "账户", 100}, {"JSR", "经手人", 70}}},
    {"TfrmArapQtsrWork", "其它收入单总表", D::idQtsrzb, D::idQtsr, "TfrmQtsr", "QTSRZB", "QTSR",
     &TfrmQtsr::HeaderQuery,
     [](qint64 id) { return TfrmIncomeExpense::LinesQueryOf(QStringLiteral("QTSR"), id); },
     false, nullptr, TLineKind::Categories,
     {{"aSFKFSMC", "结算方式", 90}, {"aZHMC", "账户", 100}, {"JSR", "经手人", 70}}},
    {"TfrmXsskWork", "销售收款单总表", D::idXsskzb, D::idXssk, "TfrmXssk", "XSSKZB", "XSSK",
     &TfrmXssk::HeaderQuery, &TfrmXssk::LinesQuery, true, nullptr, TLineKind::Settlements,
     {{"aKHMC", "客户", 160}, {"aFKLX", "收款类型", 70}, {"aSFKFSMC", "收款方式", 90},
      {"aZHMC", "收款去向", 100}, {"CZY", "操作员", 70}}},
    {"TfrmCgfkWork", "采购付款单总表", D::idCgfkzb, D::idCgfk, "TfrmCgfk", "CGFKZB", "CGFK",
     &TfrmCgfk::HeaderQuery, &TfrmCgfk::LinesQuery, true, nullptr, TLineKind::Settlements,
     {{"aGYSMC", "供应商", 160}, {"aFKLX", "付款类型", 70}, {"aSFKFSMC", "付款方式", 90},
      {"aZHMC", "付款来源", 100}, {"CZY", "操作员", 70}}},
};
// clang-format on

// One list of the table, on the base its record names.
template<class Base>
class TDocumentList final : public Base
{
public:
    explicit TDocumentList(const TDocumentListType &type)
        : Base(nullptr)
        , m_type(type)
    {
        this->setObjectName(QLatin1String(type.ClassName).mid(1));
        this->setWindowTitle(QString::fromUtf8(type.Caption));
        this->HeaderTableName = QLatin1String(type.HeaderTable);
        this->DetailTableName = QLatin1String(type.LinesTable);
        AddColumns(this->DBGrid1, {{"DJBH", "单据编号", 120}, {"RQ", "日期", 85}});
        AddColumns(this->DBGrid1, type.Columns);
        AddColumns(this->DBGrid1,
                   {{"JE", "金额", 100}, {"BZ", "备注", 200}, {"uFlag", "是否审核", 70}});
        // The audit state reads as a word ("草稿", "审核"), not as a number.
        this->DBGrid1->Columns().FindByFieldName(QStringLiteral("uFlag"))->SetAlignment(taCenter);
        if (type.LineKind == TLineKind::Settlements)
            AddColumns(
                this->DBGrid2,
                {{"aDDBH", "单据编号", 120}, {"aDDJE", "单据金额", 100}, {"JE", "本次金额", 100}});
        else if (type.LineKind == TLineKind::Categories)
            AddColumns(this->DBGrid2, {{"aBH", "类别编号", 90},
                                       {"aMC", "类别名称", 160},
                                       {"JE", "金额", 100},
                                       {"ZY", "摘要", 260}});
        else
            AddColumns(this->DBGrid2, {{"aBH", "货品编号", 100},
                                       {"aPM", "货品名称", 160},
                                       {"aGG", "规格", 90},
                                       {"aDW", "单位", 50},
                                       {"SL", "数量", 80},
                                       {"DJ", "单价", 80}});
    }

protected:
    void FormShow() override
    {
        this->DBGrid1->SetDataSource(&Data().DataSource(m_type.Header));
        Base::FormShow();
    }

    QString ListHeaderSql(const QString &where) const override { return m_type.HeaderQuery(where); }

    QString DetailSql(qint64 headerId) const override { return m_type.LinesQuery(headerId); }

    TDataSource *DetailSource() const override
    {
        return DataExists() ? &Data().DataSource(m_type.Lines) : nullptr;
    }

    QString KindCondition() const override
    {
        const QString kind = this->BillType().trimmed().toUpper();
        if (!m_type.KindField || kind.isEmpty())
            return {};
        return QStringLiteral(" and Z.") + QLatin1String(m_type.KindField) + QStringLiteral(" = ") +
               QuotedStr(kind);
    }

    TfrmComDj *CreateDocumentForm() override
    {
        TFrmRoot *form = TFormRegistry::Create(QLatin1String(m_type.FormClass));
        auto *document = qobject_cast<TfrmComDj *>(form);
        if (!document)
            delete form;
        return document;
    }

private:
    const TDocumentListType &m_type;
};

} // namespace

std::span<const TDocumentListType> DocumentListTypes()
{
    return ListTypes;
}

const TDocumentListType *FindDocumentListType(const QString &className)
{
    for (const TDocumentListType &type : ListTypes)
        if (className.compare(QLatin1String(type.ClassName), Qt::CaseInsensitive) == 0)
            return &type;
    return nullptr;
}

void RegisterDocumentLists()
{
    for (const TDocumentListType &type : ListTypes) {
        TFormRegistry::Register(QLatin1String(type.ClassName), [&type]() -> TFrmRoot * {
            if (type.WithFooter)
                return new TDocumentList<TfrmComDclbzb>(type);
            return new TDocumentList<TfrmComDczb>(type);
        });
    }
}

TfrmComDczb *ShowPendingAudits(const QString &listClassName)
{
    if (!FindDocumentListType(listClassName))
        return nullptr;
    auto *list = qobject_cast<TfrmComDczb *>(GlobalObj().MDIWindows.ShowForm(listClassName));
    if (list)
        list->ShowPendingAudits();
    return list;
}
