// The central data module: its tables of providers, command texts and field rules, and the
// handlers they name.
#include "client/data/centraldata.h"

#include "client/core/session.h"
#include "client/data/displaytexts.h"
#include "client/data/serveraccess.h"

#include <QHash>

#include <initializer_list>

namespace {

TData *current = nullptr;

using Id = TData::TDataSetId;
using TGetTextEvent = void (*)(TField &, QString &, bool);

const char *const Names[] = {
#define VZ_TDATA_NAME(name) #name,
    VZ_TDATA_DATASETS(VZ_TDATA_NAME)
#undef VZ_TDATA_NAME
};

const QHash<QString, int> &idsByName()
{
    static const QHash<QString, int> ids = [] {
        QHash<QString, int> map;
        for (int i = 0; i < TData::DataSetCount; ++i)
            map.insert(QString::fromLatin1(Names[i]).toUpper(), i);
        return map;
    }();
    return ids;
}

// Datasets whose provider is not "p" + their name.
const QHash<QString, QString> &providerExceptions()
{
    static const QHash<QString, QString> map = [] {
        const std::initializer_list<std::pair<const char *, const char *>> pairs = {
            {"GysHelp", "pGys"},
            {"HpHelp", "pHp"},
            {"KhHelp", "pKh"},
            {"SrzclbHelp", "pSrzclb"},
            {"XsSkgc", "pTmp"},
            {"CgFkgc", "pTmp"},
            {"XsThgc", "pTmp"},
            {"QtkcbdHpHelp", "pTmp"},
            {"cdsLookUp", "pTmp"},
            {"cdsQryPub", "pQryPub"},
            {"cdsPub", "pPub"},
            {"cdsSingletem", "pProject"},
            {"Sc_scjh", "pSC_scjh"},
            {"Sc_wlxqjh", "pSC_wlxqjh"},
            {"Sc_cgjh", "pSC_cgjh"},
            {"Sc_bom", "pSC_Bom"},
            {"Sc_cgjhzb", "pSC_cgjhZB"},
            {"Sc_scjhzb", "pSC_scjhZB"},
            {"Sc_wlxqjhzb", "pSC_wlxqjhZB"},
            {"Sc_bomzb", "pSC_Bomzb"},
            {"ZC_gh", "pZC_Gh"},
            {"cdsZhts", "pZHTS"},
            {"Oa_OverTime", "pOa_Overtime"},
            {"cdsXiaoqu", "pXiaoqu"},
            {"cdsClientRoom", "pClientRoom"},
            {"cdsPublicSet", "pPublicSet"},
            {"cdsCarPos", "pCarPos"},
            {"cdsGoods", "pGoods"},
            {"cdsCltCarPos", "pCltCarPos"},
            {"cdsCltSearch", "pCltSearch"},
            {"cdsCltFyRec", "pCltFyRec"},
            {"cdsCltFkRec", "pCltFkRec"},
            {"BaoXiuzb", "pWy_ZHBXzb"},
            {"BaoXiu", "pWy_ZHBX"},
            {"SBWXzb", "pWy_SBWXzb"},
            {"SBWX", "pWy_SBWX"},
            {"ClientDataSet2", "pWy_Project"},
            {"RS_Contract", "pRs_Contract"},
            {"RS_PX", "pRs_PX"},
            {"RS_KH", "pRs_KH"},
            {"RS_DD", "pRs_DD"},
            {"RS_JC", "pRs_JC"},
            {"RS_TX", "pRs_TX"},
            {"Crm_DataSet", "pCrm_LinkMan"},
        };
        QHash<QString, QString> result;
        for (const auto &[name, provider] : pairs)
            result.insert(QString::fromLatin1(name).toUpper(), QString::fromLatin1(provider));
        return result;
    }();
    return map;
}

QString fixedCommandText(Id id)
{
    switch (id) {
    case TData::idAppGroupDesktopClass:
        return QStringLiteral("select * from AppGroupDesktopClass");
    case TData::idAppMenu:
        return QStringLiteral("select * from AppMenu order by mIndex");
    case TData::idXsSkgc:
    case TData::idCgFkgc:
    case TData::idXsThgc:
        return QStringLiteral("select Z.DJBH,Z.RQ,Z.JE as ZJE,M.JE as BCJE from XSSKZB Z,XSSK M "
                              "where Z.ID=M.ZBID");
    case TData::idQtkcbdHpHelp:
        return QStringLiteral("select H.BH as aBH, H.PM as aPM, H.DW as aDW from HP H,QTKCBD Q "
                              "where H.ID=Q.HPID");
    case TData::idQProducts:
        return QStringLiteral("SELECT BH,PM,GG,ZJM from Hp order by BH");
    case TData::idZC_Move:
        return QStringLiteral("select * from zc_zy");
    case TData::idZC_Print:
    case TData::idZC_Item:
        return QStringLiteral("select * from zc_item");
    case TData::idZC_wx:
        return QStringLiteral("select * from zc_wx");
    case TData::idZC_Change:
        return QStringLiteral("select * from zc_bg ");
    case TData::idZC_gh:
        return QStringLiteral("select * from zc_gh where 1=2 ");
    case TData::idZC_Clear:
        return QStringLiteral("select * from zc_ql");
    case TData::idZC_JieChu:
        return QStringLiteral("select * from zc_jc");
    default:
        return {};
    }
}

// The scratch datasets hold whatever query a form loads; their fields get no defaults.
bool hasFieldsOfItsOwn(Id id)
{
    switch (id) {
    case TData::idTmp:
    case TData::idTmpf:
    case TData::idTmpl:
    case TData::idAccountTemp:
    case TData::idcdsQryPub:
    case TData::idcdsPub:
    case TData::idcdsLookUp:
        return false;
    default:
        return true;
    }
}

struct TextRule
{
    Id dataSet;
    const char *field;
    TGetTextEvent handler;
};

const TextRule TextRules[] = {
    {TData::idCgfkzb, "uFlag", uFlagGetText},
    {TData::idCgshzb, "uFlag", uFlagGetText},
    {TData::idCgthzb, "uFlag", uFlagGetText},
    {TData::idXsskzb, "uFlag", uFlagGetText},
    {TData::idXskdzb, "uFlag", uFlagGetText},
    {TData::idXsthzb, "uFlag", uFlagGetText},
    {TData::idLlzb, "uFlag", uFlagGetText},
    {TData::idTlzb, "uFlag", uFlagGetText},
    {TData::idCpjczb, "uFlag", uFlagGetText},
    {TData::idKcpdzb, "uFlag", uFlagGetText},
    {TData::idCkdbzb, "uFlag", uFlagGetText},
    {TData::idQtkcbdzb, "uFlag", uFlagGetText},
    {TData::idFykzzb, "uFlag", uFlagGetText},
    {TData::idQtsrzb, "uFlag", uFlagGetText},
    {TData::idCgsqzb, "uFlag", uFlagGetText},
    {TData::idHphsff, "LB", ConverHphsff},
    {TData::idHpHelp, "HPSXID", ConverHphsff},
    {TData::idZh, "YHL", ZhYHLGetText},
    {TData::idSrzclb, "SRL", SrzclbSRLGetText},
    {TData::idSrzclbHelp, "SRL", SrzclbSRLGetText},
    {TData::idQtkcbdlx, "RKL", QtkcbdlxRKLGetText},
    {TData::idQtkcbdlx, "THBZ", QtkcbdlxTHBZGetText},
    {TData::idYg, "JSFF", YgJSFFGetText},
    {TData::idCgdd, "NSL", NSLGetText},
    {TData::idCgsh, "NSL", NSLGetText},
    {TData::idCgth, "NSL", NSLGetText},
    {TData::idXsdd, "NSL", NSLGetText},
    {TData::idXskd, "NSL", NSLGetText},
    {TData::idXsth, "NSL", NSLGetText},
    {TData::idXsThgc, "NSL", NSLGetText},
    {TData::idAppMenu, "mCaption", AppMenumCaptionGetText},
};

// The edit format of a display format: its "," removed, and a "#" left redundant in front of
// a "0" dropped ("#,0.##" edits as "0.##").
QString editFormatOf(const QString &displayFormat)
{
    QString format = displayFormat;
    format.remove(QLatin1Char(','));
    qsizetype hashes = 0;
    while (hashes < format.size() && format[hashes] == QLatin1Char('#'))
        ++hashes;
    if (hashes > 0 && hashes < format.size() && format[hashes] == QLatin1Char('0'))
        format.remove(0, hashes);
    return format;
}

bool isFloatField(const TField &field)
{
    const TFieldType type = field.DataType();
    return type == ftFloat || type == ftCurrency || type == ftBCD;
}

double valueOf(TClientDataSet &dataSet, const char *name)
{
    const TField *field = dataSet.FindField(QLatin1String(name));
    return field ? field->AsFloat() : 0;
}

// target := the product of the factors (+ addend), when the dataset has every one of them.
void calculate(TClientDataSet &dataSet, const char *target,
               std::initializer_list<const char *> factors, const char *addend = nullptr)
{
    TField *field = dataSet.FindField(QLatin1String(target));
    if (!field)
        return;
    double value = 1;
    for (const char *factor : factors) {
        if (!dataSet.FindField(QLatin1String(factor)))
            return;
        value *= valueOf(dataSet, factor);
    }
    if (addend)
        value += valueOf(dataSet, addend);
    field->SetAsFloat(value);
}

void setDate(TClientDataSet &dataSet, const char *name, const QDateTime &value)
{
    if (TField *field = dataSet.FindField(QLatin1String(name)))
        field->SetAsDateTime(value);
}

void setDates(TClientDataSet &dataSet, std::initializer_list<const char *> names, QDate date)
{
    for (const char *name : names)
        setDate(dataSet, name, QDateTime(date, QTime(0, 0)));
}

} // namespace

// --- The module --------------------------------------------------------------------------------

TData::TData()
    : m_cn(QStringLiteral("ZezU.datas"))
    , m_cnBb(QStringLiteral("ZezU.DatasBb"))
{
    if (current)
        throw EDatabaseError(QStringLiteral("The central data module exists already"));
    m_cn.SetName(QStringLiteral("cn"));
    m_cnBb.SetName(QStringLiteral("CnBb"));
    m_cnBb.FollowHostOf(&m_cn);
    m_cnBb.SetSessionRule(TSocketConnection::srSessionAccount);
    current = this;
}

TData::~TData()
{
    // Datasets go before the connections their cursors live on; nothing is sent any more.
    m_pool.clear();
    for (auto &source : m_dataSources)
        source.reset();
    for (auto &dataSet : m_dataSets)
        dataSet.reset();
    if (current == this)
        current = nullptr;
}

TData &Data()
{
    if (!current)
        throw EDatabaseError(QStringLiteral("The central data module does not exist"));
    return *current;
}

bool DataExists()
{
    return current != nullptr;
}

QString TData::DataSetName(TDataSetId id)
{
    return QString::fromLatin1(Names[id]);
}

QString TData::ProviderNameOf(const QString &dataSetName)
{
    const auto found = providerExceptions().constFind(dataSetName.toUpper());
    return found != providerExceptions().cend() ? found.value() : QLatin1Char('p') + dataSetName;
}

TClientDataSet &TData::DataSet(TDataSetId id)
{
    auto &slot = m_dataSets[size_t(id)];
    if (!slot)
        slot = createDataSet(id);
    return *slot;
}

TDataSource &TData::DataSource(TDataSetId id)
{
    auto &slot = m_dataSources[size_t(id)];
    if (!slot) {
        slot = std::make_unique<TDataSource>(&DataSet(id));
        slot->SetName(QLatin1Char('s') + DataSetName(id));
    }
    return *slot;
}

TClientDataSet *TData::FindDataSet(const QString &name)
{
    const auto found = idsByName().constFind(name.toUpper());
    if (found != idsByName().cend())
        return &DataSet(TDataSetId(found.value()));
    for (const auto &member : m_pool) {
        if (member->Name().compare(name, Qt::CaseInsensitive) == 0)
            return member.get();
    }
    return nullptr;
}

TClientDataSet &TData::DataSetByName(const QString &name)
{
    TClientDataSet *dataSet = FindDataSet(name);
    if (!dataSet)
        throw EDatabaseError(QStringLiteral("The data module has no dataset '%1'").arg(name));
    return *dataSet;
}

TDataSource *TData::FindDataSource(const QString &name)
{
    if (!name.startsWith(QLatin1Char('s'), Qt::CaseInsensitive))
        return nullptr;
    const auto found = idsByName().constFind(name.mid(1).toUpper());
    return found != idsByName().cend() ? &DataSource(TDataSetId(found.value())) : nullptr;
}

std::unique_ptr<TClientDataSet> TData::createDataSet(TDataSetId id)
{
    const QString name = DataSetName(id);
    auto dataSet = std::make_unique<TClientDataSet>(name);
    dataSet->SetRemoteServer(&m_cn);
    dataSet->SetProviderName(ProviderNameOf(name));
    dataSet->SetCommandText(fixedCommandText(id));
    dataSet->SetPacketRecords(2000);
    dataSet->OnReconcileError = [this](TClientDataSet &ds, EReconcileError &e, TUpdateKind kind,
                                       TReconcileAction &action) {
        ReconcileError(ds, e, kind, action);
    };
    dataSet->OnFieldsCreated = [this, id](TClientDataSet &ds) {
        setUpFields(id, ds);
    };

    TClientDataSet &ds = *dataSet;
    // Calculated fields. LlCalcFields and ChtjCalcFields (Ll, Tl, Cpjc, Kcpd, Ckdb, Qtkcbd,
    // Thgc, Chtj) calculate nothing and are left out.
    switch (id) {
    case idBaoXiu:
    case idBaoXiuzb:
    case idSBWX:
        ds.AddField(ftFloat, QStringLiteral("cJE"), 0, fkCalculated);
        ds.OnCalcFields = [](TClientDataSet &d) {
            calculate(d, "cJE", {"SL", "DJ"});
        };
        break;
    case idCY_KD:
    case idCY_YD:
        ds.AddField(ftFloat, QStringLiteral("cJE"), 0, fkCalculated);
        ds.OnCalcFields = [](TClientDataSet &d) {
            calculate(d, "cJE", {"SL", "DJ", "NSL"});
        };
        break;
    case idGZ_JJGZ:
    case idGZ_JSGZ:
        ds.AddField(ftFloat, QStringLiteral("JE"), 0, fkCalculated);
        ds.OnCalcFields = [](TClientDataSet &d) {
            calculate(d, "JE", {"F_SL", "F_DJ"}, "F_JBGZ");
        };
        ds.BeforeOpen = [this](TClientDataSet &) {
            if (!Gz_GXu().Active())
                Gz_GXu().Open();
        };
        break;
    default:
        break;
    }

    // New-record defaults: one server date per new record.
    switch (id) {
    case idOa_House:
    case idOa_Linkman:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            setDates(d, {"F_BillDate"}, GetServerDate());
        };
        break;
    case idOa_Pass:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            setDates(d, {"F_BillDate", "F_PassDate"}, GetServerDate());
        };
        break;
    case idOa_Visit:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            setDates(d, {"F_BillDate", "F_VisitDate"}, GetServerDate());
        };
        break;
    case idOa_Keys:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            setDates(d, {"F_BillDate", "F_BorrowDate", "F_ReturnDate"}, GetServerDate());
        };
        break;
    case idOa_Leave:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            const QDate date = GetServerDate();
            setDates(d, {"F_BillDate"}, date);
            setDate(d, "F_StartDate", QDateTime(date, QTime(9, 0)));
            setDate(d, "F_EndDate", QDateTime(date, QTime(17, 30)));
        };
        break;
    case idOa_OverTime:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            setDates(d, {"F_BillDate", "F_StartDate", "F_EndDate"}, GetServerDate());
        };
        break;
    case idcdsCltFkRec:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            setDates(d, {"F_jkDate", "F_editDate"}, GetServerDate());
        };
        break;
    case idcdsCltFyRec:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            const QDate date = GetServerDate();
            if (TField *year = d.FindField(QStringLiteral("F_Year")))
                year->SetAsInteger(date.year());
            if (TField *month = d.FindField(QStringLiteral("F_Month")))
                month->SetAsInteger(date.month());
            setDates(d, {"F_EditDate"}, date);
        };
        break;
    case idcdsZhts:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            setDates(d, {"F_tsDate", "F_clDate"}, GetServerDate());
        };
        break;
    case idBaoXiuzb:
        ds.OnNewRecord = [this](TClientDataSet &d) {
            const QDate date = GetServerDate();
            setDates(d, {"F_bxDate", "F_xfDate", "RQ"}, date);
            if (TField *number = d.FindField(QStringLiteral("DJBH")))
                number->SetAsString(GetNewBillNo(QStringLiteral("BX"), date));
        };
        break;
    case idCY_KD:
        // NSL is a factor of the line amount here (cJE = SL x DJ x NSL): 1 leaves it whole.
        ds.OnNewRecord = [this](TClientDataSet &d) {
            setDates(d, {"RQ"}, GetServerDate());
            if (TField *rate = d.FindField(QStringLiteral("NSL")))
                rate->SetAsFloat(1);
        };
        break;
    default:
        break;
    }

    // Before-open rules: what a dataset's lookups need is opened first.
    auto openIfClosed = [](TClientDataSet &d) {
        if (!d.Active())
            d.Open();
    };
    switch (id) {
    case idQtkcbdzb:
        ds.BeforeOpen = [this, openIfClosed](TClientDataSet &) {
            openIfClosed(Ck());
            openIfClosed(Qtkcbdlx());
        };
        break;
    case idFykzzb:
    case idQtsrzb:
        ds.BeforeOpen = [this, openIfClosed](TClientDataSet &) {
            openIfClosed(Sfkfs());
        };
        break;
    case idYhckqk:
    case idSfkfs:
        ds.BeforeOpen = [this, openIfClosed](TClientDataSet &) {
            Zh().SetCommandText(
                QStringLiteral("select  *, '现金类'  as aYHL  from ZH order by MC"));
            openIfClosed(Zh());
        };
        break;
    default:
        break;
    }
    return dataSet;
}

void TData::setUpFields(TDataSetId id, TClientDataSet &dataSet)
{
    if (hasFieldsOfItsOwn(id)) {
        for (int i = 0; i < dataSet.FieldCount(); ++i) {
            TField *field = dataSet.Fields(i);
            if (!isFloatField(*field))
                continue;
            if (field->DisplayFormat().isEmpty())
                field->SetDisplayFormat(QStringLiteral("#,0.##"));
            field->SetEditFormat(editFormatOf(field->DisplayFormat()));
        }
    }
    for (const TextRule &rule : TextRules) {
        if (rule.dataSet != id)
            continue;
        if (TField *field = dataSet.FindField(QLatin1String(rule.field)))
            field->OnGetText = rule.handler;
    }
}

TClientDataSet &TData::GetFreeTmpDataSet()
{
    for (const auto &member : m_pool) {
        if (!member->Active() && !m_heldPool.contains(member.get())) {
            // Whatever the last taker changed goes, so each taker starts alike.
            member->Events() = TDataSetEvents();
            member->OnFieldsCreated = nullptr;
            while (member->FieldCount() > 0)
                member->RemoveField(member->Fields(0));
            member->FieldDefs().Clear();
            member->SetLogChanges(true);
            member->SetFiltered(false);
            member->SetFilter(QString());
            member->SetIndexFieldNames(QString());
            member->SetReadOnly(false);
            member->SetPacketRecords(-1);
            member->SetCommandText(QString());
            return *member;
        }
    }
    auto member =
        std::make_unique<TClientDataSet>(QStringLiteral("TMP") + QString::number(m_pool.size()));
    member->SetRemoteServer(Tmp().RemoteServer());
    member->SetProviderName(Tmp().ProviderName());
    m_pool.push_back(std::move(member));
    return *m_pool.back();
}

TClientDataSet &TData::HoldTmpDataSet()
{
    TClientDataSet &member = GetFreeTmpDataSet();
    m_heldPool.insert(&member);
    return member;
}

void TData::ReleaseTmpDataSet(TClientDataSet &member)
{
    m_heldPool.remove(&member);
}

QDate TData::GetServerDate()
{
    return m_cn.AppServer().GetServerDate();
}

void TData::SetID(TClientDataSet &dataSet)
{
    if (dataSet.State() != dsInsert)
        return;
    const QString table = dataSet.Name();
    const QString sql = SessionInfo().DatabaseKind == 0
                            ? QStringLiteral("select iif(isnull(max(ID)), 1, max(ID)+1) from ") +
                                  table + QStringLiteral(" where ID > 0")
                            : QStringLiteral("select isnull(max(ID),0)+1 from ") + table +
                                  QStringLiteral(" where ID > 0");
    SQLToFields(sql, dataSet, QStringLiteral("ID"), false);
}

void TData::SetReconcileErrorHandler(TReconcileErrorHandler handler)
{
    m_reconcileErrorHandler = std::move(handler);
}

void TData::ReconcileError(TClientDataSet &DataSet, EReconcileError &E, TUpdateKind UpdateKind,
                           TReconcileAction &Action)
{
    Action = m_reconcileErrorHandler ? m_reconcileErrorHandler(DataSet, UpdateKind, E) : raSkip;
}
