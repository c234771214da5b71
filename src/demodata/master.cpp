// The master data and personnel records of a demo set; see master.h.
#include "demodata/master.h"

#include "auth/passwordhash.h"
#include "demodata/rows.h"
#include "text/pinyin.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <set>

namespace demodata::Internal {

Sizes sizesFor(int scale)
{
    if (scale <= 0)
        return {0, 30, 15, 24, 3, 6, 1.0, 6};
    return {10000 * scale, 1500 * scale, 300 * scale, 150 * scale, 8, 24 * scale, 64.0, 20};
}

namespace {

std::string personName(Random &random)
{
    std::string name = random.pick(surnames());
    const int length = random.chance(0.6) ? 2 : 1;
    for (int i = 0; i < length; ++i)
        name += random.pick(givenNameCharacters());
    return name;
}

std::string phone(Random &random, const char *area)
{
    return std::string(area) + "-" + std::to_string(random.between(60000000, 89999999));
}

std::string mobile(Random &random)
{
    return "13" + std::to_string(random.between(100000000, 999999999));
}

std::string initials(const std::string &text)
{
    return text::MnemonicOf(text);
}

std::string departmentName(int department)
{
    for (const DepartmentTemplate &d : departments()) {
        if (d.id == department)
            return d.name;
    }
    return "公司总部";
}

class MasterDataBuilder
{
public:
    MasterDataBuilder(sql::Database &db, Random &random, int scale, const QDate &first,
                      const QDate &today, MasterData &data)
        : m_db(db)
        , m_random(random)
        , m_scale(scale)
        , m_sizes(sizesFor(scale))
        , m_first(first)
        , m_today(today)
        , m_data(data)
    {}

    void build()
    {
        createCompany();
        createDepartmentsAndRegions();
        createWarehousesAndAccounts();
        createGoods();
        createPartners();
        createEmployees();
        createUsers();
    }

    void createCompany()
    {
        m_db.exec("UPDATE CompanyInfo SET fAddress = '杭州市西湖区文三路168号', "
                  "fTel = '0571-88886666', fWhich = '310012', fPostCode = '0571-88886667', "
                  "fLawMan = '张建国', fEmail = 'office@mingyuan.example', "
                  "fBank = '中国工商银行杭州文三路支行', fBankAccount = '1202020109900123456', "
                  "fTaxAccout = '330106700000123', fCompanyType = '有限责任公司', "
                  "fHomePage = 'www.mingyuan.example'");
    }

    void createDepartmentsAndRegions()
    {
        Inserter bm(m_db, "BM", {"ID", "MC", "ParentCode", "ZJM", "JE"});
        for (const DepartmentTemplate &d : departments()) {
            bm << d.id << d.name << d.parent << initials(d.name) << d.budget;
            bm.run();
            m_data.departments.push_back(d.id);
        }
        Inserter dq(m_db, "DQ", {"ID", "MC", "ParentCode", "ParentName"});
        for (const RegionTemplate &r : regions()) {
            std::string parentName = "全国";
            for (const RegionTemplate &p : regions()) {
                if (p.id == r.parent)
                    parentName = p.name;
            }
            dq << r.id << r.name << r.parent << parentName;
            dq.run();
            const QStringList cities =
                QString::fromUtf8(r.cities).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (const QString &city : cities)
                m_cities.push_back({r.id, utf8(city)});
        }
    }

    void createWarehousesAndAccounts()
    {
        m_db.exec(
            "UPDATE CK SET BMID = 7, WZ = '公司一号库房', BZ = '办公用品及商品' WHERE ID = 1");
        Inserter ck(m_db, "CK", {"ID", "XH", "MC", "WZ", "BZ", "BMID"});
        ck << 2 << 2 << "原料仓"
           << "生产区东侧"
           << "生产原材料" << 7;
        ck.run();
        ck << 3 << 3 << "门市部仓库"
           << "文三路门市"
           << "门市零售" << 6;
        ck.run();
        constexpr const char *branches[] = {"北京分仓", "上海分仓", "广州分仓", "成都分仓",
                                            "武汉分仓"};
        for (int id = 4; id <= m_sizes.warehouses; ++id) {
            ck << id << id << branches[(id - 4) % 5] << ""
               << "分公司仓库" << 7;
            ck.run();
        }
        for (int id = 1; id <= m_sizes.warehouses; ++id) {
            if (id != 2)
                m_data.tradeWarehouses.push_back(id);
        }

        const double scale = small() ? 1.0 : 60.0 * m_scale;
        sql::Statement zh =
            m_db.prepare("UPDATE ZH SET MC = ?, KHYH = ?, YHZH = ?, QCJE = ? WHERE ID = ?");
        auto account = [&](int id, const char *name, const char *bank, const char *number,
                           double opening) {
            zh.bind(1, std::string_view(name));
            zh.bind(2, std::string_view(bank));
            zh.bind(3, std::string_view(number));
            zh.bind(4, opening);
            zh.bind(5, int64_t(id));
            zh.step();
            zh.reset();
            m_data.accounts[id] = opening;
        };
        account(1, "现金", "", "", 50000.0 * scale);
        account(2, "工商银行基本户", "中国工商银行杭州文三路支行", "1202020109900123456",
                1000000.0 * scale);
        Inserter extra(m_db, "ZH", {"ID", "MC", "YHL", "KHYH", "YHZH", "QCJE"});
        extra << 3 << "建设银行一般户" << 1 << "中国建设银行杭州高新支行"
              << "33001616735059000111" << 300000.0 * scale;
        extra.run();
        m_data.accounts[3] = 300000.0 * scale;
        m_db.exec("UPDATE SFKFS SET ZHID = 3 WHERE ID = 5");
    }

    void createGoods()
    {
        Inserter category(m_db, "Pub_ItemType", {"ItemType", "TypeName", "ParentCode"});
        for (const CategoryTemplate &c : goodsCategories()) {
            category << c.id << c.name << c.parent;
            category.run();
        }

        const auto catalogue = goodsCatalogue();
        const int count = small() ? int(catalogue.size()) : m_sizes.goods;
        const auto brands = goodsBrands();
        Inserter hp(m_db, "HP", {"ID",   "BH",       "BarCode",    "HPLBID",    "PM",  "GG",
                                 "DW",   "HPHSFFID", "HPHSFSID",   "JJ",        "JJJ", "JHY",
                                 "JVIP", "JQJ",      "F1",         "F2",        "F3",  "SX",
                                 "XX",   "CKID",     "IsMaterial", "IsProduct", "ZJM", "BZ"});
        for (int i = 0; i < count; ++i) {
            const GoodsTemplate &t = catalogue[size_t(i) % catalogue.size()];
            Goods g;
            g.id = i + 1;
            g.category = t.category;
            g.role = t.role;
            g.stockKind = t.batches ? 2 : 1;
            g.unit = t.unit;
            if (small()) {
                g.name = t.name;
                g.gg = t.gg;
                g.jj = t.price;
                g.code = QStringLiteral("%1%2")
                             .arg(t.category, 2, 10, QLatin1Char('0'))
                             .arg(i + 1, 3, 10, QLatin1Char('0'))
                             .toStdString();
            } else {
                const size_t round = size_t(i) / catalogue.size();
                g.name = std::string(brands[round % brands.size()]) + t.name;
                g.gg = t.gg;
                if (round >= brands.size())
                    g.gg += " " + std::to_string(round / brands.size()) + "型";
                g.jj = roundCents(t.price * (0.8 + 0.4 * m_random.unit()));
                g.code = QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0')).toStdString();
            }
            g.jjj = roundCents(g.jj * 1.25);
            g.jhy = roundCents(g.jj * 1.20);
            g.jvip = roundCents(g.jj * 1.15);
            g.jqj = roundCents(g.jj * 1.40);
            g.f1 = roundCents(g.jj * 1.30);
            g.f2 = roundCents(g.jj * 1.35);
            g.f3 = roundCents(g.jj * 1.22);
            if (g.jj >= 500) {
                g.low = 2;
                g.high = 10;
            } else if (g.jj >= 50) {
                g.low = 5;
                g.high = 40;
            } else {
                g.low = 20;
                g.high = 150;
            }
            if (g.role == GoodsRole::Material)
                g.warehouse = 2;
            else if (g.role == GoodsRole::Product || small())
                g.warehouse = 1;
            else
                g.warehouse = m_random.chance(0.5) ? 1 : m_random.pick(m_data.tradeWarehouses);
            const std::string barcode =
                "69" + QStringLiteral("%1").arg(i + 1, 11, 10, QLatin1Char('0')).toStdString();
            hp << g.id << g.code << barcode << g.category << g.name << g.gg << g.unit << 1
               << g.stockKind << g.jj << g.jjj << g.jhy << g.jvip << g.jqj << g.f1 << g.f2 << g.f3
               << g.low << g.high << g.warehouse << (g.role != GoodsRole::Product)
               << (g.role != GoodsRole::Material) << initials(g.name)
               << (g.stockKind == 2 ? "按采购批次领用" : "");
            hp.run();
            m_data.goods.push_back(g);
        }
        for (const Goods &g : m_data.goods) {
            switch (g.role) {
            case GoodsRole::Trade:
                m_data.tradeGoods[g.warehouse].push_back(g.id);
                if (g.stockKind == 2)
                    m_data.batchGoods.push_back(g.id);
                break;
            case GoodsRole::Material:
                m_data.materials.push_back(g.id);
                break;
            case GoodsRole::Product:
                m_data.products.push_back(g.id);
                break;
            }
        }
    }

    std::string companyName(const std::string &city, std::span<const char *const> trades,
                            std::string *shortName)
    {
        for (int attempt = 0;; ++attempt) {
            std::string base = city + m_random.pick(tradeNames());
            if (attempt > 8)
                base += std::to_string(attempt);
            if (m_usedNames.insert(base).second) {
                *shortName = base;
                return base + m_random.pick(trades);
            }
        }
    }

    void createPartners()
    {
        Inserter vip(m_db, "VIP", {"id", "VIPCardID", "VIPName", "VIPLevelID", "ZK"});
        vip << 1 << "C001"
            << "普通客户" << 1 << 1.0;
        vip.run();
        vip << 2 << "C002"
            << "银牌客户" << 2 << 0.95;
        vip.run();
        vip << 3 << "C003"
            << "金牌客户" << 3 << 0.9;
        vip.run();

        constexpr const char *priceLevels[] = {"销售价", "销售价", "销售价",
                                               "会员价", "VIP价",  "零售价"};
        Inserter kh(m_db, "KH", {"ID",   "BH",   "MC",   "QC",      "ZJM",     "DQID",       "LXR",
                                 "DH",   "CZ",   "DZ",   "YB",      "KHYH",    "YHZH",       "NSH",
                                 "QCJE", "XYED", "Laiy", "Zhuangt", "LevelID", "PriceLevel", "S1"});
        m_data.customers.push_back({1, "散客", "零售价", 1, false});
        for (int i = 0; i < m_sizes.customers; ++i) {
            const auto &[region, city] = m_random.pick(m_cities);
            Partner p;
            p.id = i + 2;
            p.region = region;
            std::string shortName;
            const std::string full = companyName(city, customerTrades(), &shortName);
            p.name = shortName;
            p.priceLevel = m_random.pick(std::span<const char *const>(priceLevels));
            const double opening = m_random.chance(0.3) ? m_random.between(10, 300) * 100.0 : 0;
            m_data.receivable[p.id] = opening;
            kh << p.id << QStringLiteral("K%1").arg(p.id, 4, 10, QLatin1Char('0')).toStdString()
               << p.name << full << initials(p.name) << region << personName(m_random)
               << phone(m_random, "0571") << phone(m_random, "0571")
               << city + "市" + m_random.pick(streets()) +
                      std::to_string(m_random.between(1, 300)) + "号"
               << std::to_string(m_random.between(100000, 899999)) << "中国农业银行" + city + "分行"
               << std::to_string(m_random.between(100000000, 999999999)) + "0001"
               << "91330" + std::to_string(m_random.between(1000000, 9999999)) << opening
               << double(m_random.between(5, 50) * 10000)
               << m_random.pick(std::span<const char *const>(
                      std::array<const char *, 4>{"老客户介绍", "网络", "展会", "上门拜访"}))
               << "成交客户" << m_random.between(1, 3) << p.priceLevel << mobile(m_random);
            kh.run();
            m_data.customers.push_back(p);
        }

        Inserter gys(m_db, "GYS",
                     {"ID", "BH", "MC", "QC", "ZJM", "DQID", "LXR", "DH", "CZ", "DZ", "KHYH",
                      "YHZH", "NSH", "QCJE", "S1", "BZ"});
        for (int i = 0; i < m_sizes.suppliers; ++i) {
            const auto &[region, city] = m_random.pick(m_cities);
            Partner p;
            p.id = i + 1;
            p.region = region;
            p.materials = i % 3 == 2;
            std::string shortName;
            const std::string full = companyName(city, supplierTrades(), &shortName);
            p.name = shortName;
            const double opening = m_random.chance(0.3) ? m_random.between(10, 300) * 100.0 : 0;
            m_data.payable[p.id] = opening;
            gys << p.id << QStringLiteral("G%1").arg(p.id, 4, 10, QLatin1Char('0')).toStdString()
                << p.name << full << initials(p.name) << region << personName(m_random)
                << phone(m_random, "0571") << phone(m_random, "0571")
                << city + "市" + m_random.pick(streets()) +
                       std::to_string(m_random.between(1, 300)) + "号"
                << "中国银行" + city + "分行"
                << std::to_string(m_random.between(100000000, 999999999)) + "0002"
                << "91330" + std::to_string(m_random.between(1000000, 9999999)) << opening
                << mobile(m_random) << (p.materials ? "原材料供应商" : "办公用品及设备供应商");
            gys.run();
            (p.materials ? m_data.materialSuppliers : m_data.tradeSuppliers).push_back(p.id);
            m_data.suppliers.push_back(p);
        }
    }

    void createEmployees()
    {
        struct Post
        {
            int department;
            const char *post;
        };
        // The small demo's staff; larger sets repeat the pattern over more people.
        constexpr Post staff[] = {
            {2, "总经理"},   {2, "副总经理"}, {3, "部门经理"}, {3, "文员"},     {4, "会计"},
            {4, "出纳"},     {5, "采购员"},   {5, "采购员"},   {6, "部门经理"}, {11, "销售员"},
            {11, "销售员"},  {12, "销售员"},  {12, "销售员"},  {7, "仓管员"},   {7, "仓管员"},
            {8, "部门经理"}, {9, "主管"},     {9, "操作工"},   {9, "操作工"},   {10, "主管"},
            {10, "操作工"},  {10, "操作工"},  {3, "司机"},     {3, "文员"},
        };
        constexpr const char *education[] = {"本科", "大专", "大专", "中专", "高中", "硕士"};
        constexpr const char *majors[] = {"市场营销", "会计学",   "机械制造", "计算机应用",
                                          "工商管理", "物流管理", "电子商务", "国际贸易"};
        constexpr const char *nations[] = {"汉族", "汉族", "汉族", "汉族", "回族", "满族"};
        constexpr const char *parties[] = {"群众", "群众", "中共党员", "共青团员"};
        const std::string provinces[] = {"浙江杭州", "浙江宁波", "江苏南京", "安徽合肥",
                                         "河南郑州", "湖北武汉", "四川成都", "江西南昌"};

        Inserter yg(m_db, "YG",
                    {"ID",     "BH",   "XM",   "ZJM",   "XB",   "BMID",  "YGLBID", "ZW",
                     "CSRQ",   "XL",   "DH",   "BP",    "ZZ",   "SFZH",  "JG",     "YB",
                     "RZRQ",   "JSFF", "JBGZ", "YWYBZ", "HF",   "MZ",    "ZZMM",   "BYYX",
                     "ZUANYE", "JSZC", "XLLB", "LYLY",  "GZKH", "QDRQ",  "HTDQSJ", "LZ",
                     "LZLX",   "LZYY", "LZRQ", "ZZRQ",  "DAH",  "EMAIL", "BZ"});
        const int staffSize = int(std::size(staff));
        for (int i = 0; i < m_sizes.employees; ++i) {
            const Post &post = staff[i % staffSize];
            Employee e;
            e.id = i + 1;
            e.code = QStringLiteral("Y%1").arg(e.id, 4, 10, QLatin1Char('0')).toStdString();
            e.name = personName(m_random);
            e.department = post.department;
            e.post = post.post;
            e.salesman = e.post == "销售员" || (e.department == 6 && e.post == "部门经理");
            e.buyer = e.post == "采购员";
            e.keeper = e.post == "仓管员";
            e.pieceWorker = e.post == "操作工";
            // One who left during the period; the documents never name them.
            e.left = i == staffSize - 1;

            QDate birth(m_random.between(1965, 2001), m_random.between(1, 12),
                        m_random.between(1, 28));
            if (i == 3 || i == 11) { // birthdays this month, one of them today
                const QDate sameDay(birth.year(), m_today.month(), i == 3 ? m_today.day() : 1);
                birth = sameDay.isValid() ? sameDay : QDate(birth.year(), m_today.month(), 28);
            }
            const QDate joined = m_first.addDays(-m_random.between(200, 4000));
            QDate signedOn = joined;
            while (signedOn.addYears(3) < m_today.addDays(-60))
                signedOn = signedOn.addYears(3);
            QDate contractEnd = signedOn.addYears(3).addDays(-1);
            if (i == 5 || i == 14) // contracts ending this month
                contractEnd = QDate(m_today.year(), m_today.month(), m_today.daysInMonth());
            const bool male = m_random.chance(0.55);
            const QDate leftOn = m_today.addDays(-m_random.between(20, 60));

            yg << e.id << e.code << e.name << initials(e.name) << (male ? "男" : "女")
               << e.department << (e.pieceWorker ? 3 : 1) << e.post << dateText(birth)
               << m_random.pick(std::span<const char *const>(education)) << phone(m_random, "0571")
               << mobile(m_random)
               << "杭州市" + std::string(m_random.pick(streets())) +
                      std::to_string(m_random.between(1, 300)) + "号"
               << "330106" + dateText(birth).substr(0, 4) + dateText(birth).substr(5, 2) +
                      dateText(birth).substr(8, 2) + std::to_string(m_random.between(1000, 9999))
               << provinces[m_random.between(0, 7)] << "310012" << dateText(joined)
               << (e.pieceWorker ? 2 : 1) << double(m_random.between(25, 80) * 100)
               << (e.salesman || e.buyer) << m_random.chance(0.6)
               << m_random.pick(std::span<const char *const>(nations))
               << m_random.pick(std::span<const char *const>(parties)) << "浙江工业大学"
               << m_random.pick(std::span<const char *const>(majors))
               << (m_random.chance(0.3) ? "助理工程师" : "") << "全日制"
               << "社会招聘"
               << "6222020" + std::to_string(m_random.between(100000000, 999999999))
               << dateText(signedOn) << dateText(contractEnd) << e.left
               << (e.left ? "主动辞职" : "") << (e.left ? "个人发展" : "")
               << (e.left ? dateText(leftOn) : std::string()) << dateText(joined.addMonths(3))
               << "DA" + e.code.substr(1) << ""
               << "";
            yg.run();
            m_data.employees.push_back(e);
            if (e.left)
                continue;
            if (e.salesman)
                m_data.salesmen.push_back(e.id);
            if (e.buyer)
                m_data.buyers.push_back(e.id);
            if (e.keeper)
                m_data.keepers.push_back(e.id);
            if (e.pieceWorker)
                m_data.pieceWorkers.push_back(e.id);
            m_data.byDepartment[e.department].push_back(e.id);
            m_data.active.push_back(e.id);
        }
    }

    void createUsers()
    {
        struct Group
        {
            int id;
            const char *name;
            int department;
            const char *nodes; // FuncNodeNo prefixes granted, separated by ","
        };
        constexpr Group groups[] = {
            {2, "采购组", 5, "04,0502,0206,0203"},
            {3, "仓库组", 7, "05,06,0205,0206"},
            {4, "财务组", 4, "07,0404,0407,0605"},
        };
        Inserter group(m_db, "AppUserGroup", {"ID", "gName", "gMemo", "bmid", "mc"});
        for (const Group &g : groups) {
            group << g.id << g.name << "" << g.department
                  << (g.department == 5   ? "采购部"
                      : g.department == 7 ? "仓储部"
                                          : "财务部");
            group.run();
            for (const QString &prefix :
                 QString::fromLatin1(g.nodes).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                sql::Statement grant = m_db.prepare(
                    "INSERT INTO Sys_GroupFuncRight (CompanyCode, UserGroupNo, FuncNodeNo, "
                    "ObjectName, FuncItems, GrantDate) "
                    "SELECT 'VZ', ?, t.FuncNodeNo, t.ObjectName, "
                    "(SELECT group_concat(FuncItemNo, ',') FROM (SELECT FuncItemNo FROM "
                    "Sys_FuncItem i WHERE i.ObjectType = t.ObjectType AND FuncItemNo <> "
                    "'UnAudit' ORDER BY IndexNo)), ? FROM Sys_FuncTree_office t "
                    "WHERE t.ObjectName <> '' AND t.FuncNodeNo LIKE ? ORDER BY t.FuncNodeNo");
                grant.bind(1, int64_t(g.id));
                grant.bind(2, std::string_view(dateText(m_first)));
                grant.bind(3, prefix.toStdString() + "%");
                grant.step();
            }
        }
        Inserter user(m_db, "AppUser",
                      {"ID", "uCode", "uName", "uPassword", "gID", "gName", "YGID", "aYGMC"});
        const int buyer = m_data.buyers.front();
        const int keeper = m_data.keepers.front();
        const int accountant = m_data.staffOf(4).front();
        user << 2 << "CG01" << m_data.employee(buyer).name << ""
             << "(2)"
             << "采购组" << buyer << m_data.employee(buyer).name;
        user.run();
        user << 3 << "CK01" << m_data.employee(keeper).name << ""
             << "(3)"
             << "仓库组" << keeper << m_data.employee(keeper).name;
        user.run();
        user << 4 << "KJ01" << m_data.employee(accountant).name
             << auth::hashPassword(QStringLiteral("123")).toStdString() << "(4)"
             << "财务组" << accountant << m_data.employee(accountant).name;
        user.run();
        m_data.operators = {"系统管理员", m_data.employee(buyer).name, m_data.employee(keeper).name,
                            m_data.employee(accountant).name};
    }

private:
    bool small() const { return m_scale <= 0; }

    sql::Database &m_db;
    Random &m_random;
    int m_scale;
    Sizes m_sizes;
    QDate m_first;
    QDate m_today;
    MasterData &m_data;
    std::vector<std::pair<int, std::string>> m_cities; // region, city
    std::set<std::string> m_usedNames;
};

class PersonnelRecords
{
public:
    PersonnelRecords(sql::Database &db, Random &random, const MasterData &master,
                     const QDate &first, const QDate &today)
        : m_db(db)
        , m_random(random)
        , m_master(master)
        , m_first(first)
        , m_today(today)
    {}

    // A day counted from the first of the period (negative: before it), never after today.
    std::string dayOfPeriod(int from, int to)
    {
        const int days = int(m_first.daysTo(m_today));
        return dateText(m_first.addDays(std::min(m_random.between(from, to), days)));
    }

    void create()
    {
        const int days = int(m_first.daysTo(m_today));

        Inserter contract(m_db, "Rs_Contract",
                          {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_beginDate",
                           "F_endDate", "F_useFlag", "F_HTtype", "F_DAcode"});
        Inserter training(m_db, "Rs_PX",
                          {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_beginDate",
                           "F_endDate", "F_kecheng", "F_zhengshu"});
        Inserter appraisal(
            m_db, "Rs_KH",
            {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_KHtype", "F_KHcj", "F_PJemp"});
        Inserter move(
            m_db, "Rs_DD",
            {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_OLDdept", "F_NewDept", "F_NewDuty"});
        Inserter reward(
            m_db, "Rs_JC",
            {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_JCtype", "F_JE", "F_reason"});
        Inserter raise(
            m_db, "Rs_TX",
            {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_beginPrice", "F_endPrice"});
        Inserter history(m_db, "Rs_Work",
                         {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_beginDate", "F_endDate",
                          "F_company", "F_duty"});
        Inserter certificate(
            m_db, "Rs_ZJ",
            {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_zhengshu", "F_DAcode"});
        Inserter leave(m_db, "Oa_Leave",
                       {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_BillDate", "F_StartDate",
                        "F_EndDate", "F_Hours", "F_type", "F_reason"});
        Inserter overtime(m_db, "Oa_OverTime",
                          {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_BillDate",
                           "F_StartDate", "F_EndDate", "F_Hours", "F_reason"});
        Inserter house(m_db, "Oa_House",
                       {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_BillDate", "F_HouseNo",
                        "F_BedNo", "F_beginDate"});
        Inserter keys(m_db, "Oa_Keys",
                      {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_BillDate", "F_KeyName",
                       "F_BorrowMan", "F_BorrowDate", "F_ReturnDate", "F_UnReturn"});
        Inserter pass(
            m_db, "Oa_Pass",
            {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_BillDate", "F_PassDate", "F_Thing"});
        Inserter visit(m_db, "Oa_Visit",
                       {"F_empID", "F_code", "F_name", "F_dept", "RQ", "F_BillDate", "F_Visitor",
                        "F_Inc", "F_VisitDate", "F_Interviewee"});
        Inserter linkman(m_db, "Oa_Linkman",
                         {"F_empID", "F_code", "F_Name", "F_Dept", "RQ", "F_BillDate", "F_Sex",
                          "F_Tel", "F_Handset", "F_Email", "F_QQ"});

        for (const Employee &e : m_master.employees) {
            const std::string dept = departmentName(e.department);
            auto begin = [&](Inserter &insert, const std::string &rq) -> Inserter & {
                return insert << e.id << e.code << e.name << dept << rq;
            };
            const std::string signedOn = dayOfPeriod(-900, 0);
            begin(contract, signedOn)
                << signedOn
                << dateText(QDate::fromString(QString::fromStdString(signedOn), Qt::ISODate)
                                .addYears(3)
                                .addDays(-1))
                << !e.left << "固定期限劳动合同"
                << "HT" + e.code.substr(1);
            contract.run();
            begin(history, dayOfPeriod(-3000, -2000))
                << dayOfPeriod(-5000, -4000) << dayOfPeriod(-2500, -1500)
                << m_random.pick(tradeNames()) + std::string("实业有限公司") << e.post;
            history.run();
            if (m_random.chance(0.5)) {
                const std::string rq = dayOfPeriod(0, days);
                begin(training, rq)
                    << rq << rq
                    << m_random.pick(std::span<const char *const>(std::array<const char *, 4>{
                           "安全生产培训", "新员工入职培训", "财务软件操作", "销售技巧"}))
                    << "结业证书";
                training.run();
            }
            const std::string quarter = dayOfPeriod(days - 40, days - 20);
            begin(appraisal, quarter)
                << "季度考评" << double(m_random.between(60, 98)) << m_master.employee(1).name;
            appraisal.run();
            if (m_random.chance(0.1)) {
                begin(move, dayOfPeriod(0, days)) << "行政部" << dept << e.post;
                move.run();
            }
            if (m_random.chance(0.15)) {
                const bool good = m_random.chance(0.7);
                begin(reward, dayOfPeriod(0, days))
                    << (good ? "奖励" : "处罚") << double(good ? 500 : 100)
                    << (good ? "季度销售先进" : "迟到");
                reward.run();
            }
            if (m_random.chance(0.2)) {
                const double base = m_random.between(25, 60) * 100.0;
                begin(raise, dayOfPeriod(0, days)) << base << base + 300;
                raise.run();
            }
            if (m_random.chance(0.3)) {
                begin(certificate, dayOfPeriod(-800, 0)) << "职业资格证书"
                                                         << "ZS" + e.code.substr(1);
                certificate.run();
            }
            if (e.left)
                continue;
            for (int n = m_random.between(0, 2); n > 0; --n) {
                const std::string rq = dayOfPeriod(0, days);
                begin(leave, rq) << rq << rq + " 09:00:00" << rq + " 17:30:00" << 7.5
                                 << (m_random.chance(0.5) ? "事假" : "病假") << "个人原因";
                leave.run();
            }
            if (e.pieceWorker || e.keeper || m_random.chance(0.2)) {
                const std::string rq = dayOfPeriod(0, days);
                begin(overtime, rq)
                    << rq << rq + " 18:00:00" << rq + " 21:00:00" << 3.0 << "月末盘点加班";
                overtime.run();
            }
            if (e.pieceWorker) {
                const std::string rq = dayOfPeriod(-400, 0);
                begin(house, rq) << rq << "A" + std::to_string(m_random.between(101, 308))
                                 << std::to_string(m_random.between(1, 4)) << rq;
                house.run();
            }
        }

        for (int n = 0; n < std::max(6, int(m_master.active.size()) / 4); ++n) {
            const Employee &e = m_master.employee(m_random.pick(m_master.active));
            const std::string dept = departmentName(e.department);
            const std::string rq = dayOfPeriod(0, days);
            keys << e.id << e.code << e.name << dept << rq << rq
                 << m_random.pick(std::span<const char *const>(
                        std::array<const char *, 3>{"仓库钥匙", "会议室钥匙", "档案室钥匙"}))
                 << e.name << rq << rq << m_random.chance(0.2);
            keys.run();
            pass << e.id << e.code << e.name << dept << rq << rq << rq
                 << m_random.pick(std::span<const char *const>(
                        std::array<const char *, 3>{"外出送货", "拜访客户", "银行办事"}));
            pass.run();
            visit << e.id << e.code << e.name << dept << rq << rq << personName(m_random)
                  << m_random.pick(m_master.suppliers).name << rq << e.name;
            visit.run();
            linkman << e.id << e.code << personName(m_random)
                    << m_random.pick(m_master.customers).name << rq << rq
                    << (m_random.chance(0.5) ? "男" : "女") << phone(m_random, "0571")
                    << mobile(m_random) << "contact" + std::to_string(n) + "@example.com"
                    << std::to_string(m_random.between(10000000, 99999999));
            linkman.run();
        }

        createWages();
    }

    void createWages()
    {
        m_db.exec(R"(
INSERT INTO Gz_GZong (id, F_Name) VALUES (1, '钣金工'), (2, '焊工'), (3, '喷涂工'), (4, '装配工');
INSERT INTO Gz_GXu (id, F_Name, F_Dw, F_DJ, F_GzID) VALUES
    (1, '下料', '件', 0.8, 1), (2, '折弯', '件', 1.2, 1), (3, '焊接', '件', 2.5, 2),
    (4, '喷涂', '件', 1.5, 3), (5, '组装', '套', 6.0, 4), (6, '包装', '件', 0.5, 4);
INSERT INTO Gz_GongZ (id, F_Name, F_Dw, F_DJ) VALUES
    (1, '普工', '小时', 15), (2, '技工', '小时', 22), (3, '加班', '小时', 25);
)");
        Inserter piece(m_db, "Gz_JJGZ",
                       {"F_code", "F_empID", "RQ", "F_GxID", "F_SL", "F_DJ", "F_JBGZ", "BZ"});
        Inserter time(m_db, "GZ_JSGZ",
                      {"F_code", "F_empID", "RQ", "F_GxID", "F_SL", "F_DJ", "F_JBGZ", "BZ"});
        constexpr double processPrices[] = {0.8, 1.2, 2.5, 1.5, 6.0, 0.5};
        constexpr double hourPrices[] = {15, 22, 25};
        for (QDate month = m_first; month <= m_today; month = month.addMonths(1)) {
            const QDate payday(month.year(), month.month(), std::min(25, month.daysInMonth()));
            if (payday > m_today)
                break;
            for (const int id : m_master.pieceWorkers) {
                const Employee &e = m_master.employee(id);
                for (int process = 1; process <= 6; ++process) {
                    if (!m_random.chance(0.5))
                        continue;
                    piece << e.code << id << dateText(payday) << process
                          << double(m_random.between(200, 1500)) << processPrices[process - 1]
                          << (process == 1 ? 1800.0 : 0.0) << "";
                    piece.run();
                }
            }
            for (const int id : m_master.keepers) {
                const Employee &e = m_master.employee(id);
                for (int trade = 1; trade <= 3; trade += 2) {
                    time << e.code << id << dateText(payday) << trade
                         << double(trade == 1 ? 176 : m_random.between(8, 30))
                         << hourPrices[trade - 1] << (trade == 1 ? 1500.0 : 0.0) << "";
                    time.run();
                }
            }
        }
    }

private:
    sql::Database &m_db;
    Random &m_random;
    const MasterData &m_master;
    QDate m_first;
    QDate m_today;
};

} // namespace

MasterData createMasterData(sql::Database &db, Random &random, int scale, const QDate &first,
                            const QDate &today)
{
    MasterData data;
    MasterDataBuilder(db, random, scale, first, today, data).build();
    return data;
}

void createPersonnelRecords(sql::Database &db, Random &random, const MasterData &master,
                            const QDate &first, const QDate &today)
{
    PersonnelRecords(db, random, master, first, today).create();
}

} // namespace demodata::Internal
