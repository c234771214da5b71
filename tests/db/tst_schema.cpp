// The account-set schema: creation, the columns the client's SQL needs, the storage
// conventions, migrations of older sets, and the catalogue data of a new set.
#include "accountdbtestutil.h"

#include "demodata/demodata.h"
#include "server/accountdb.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

using dbtest::integer;
using dbtest::rows;
using dbtest::text;

namespace {

QString newAccountSet(const QTemporaryDir &dir, const QString &name = QStringLiteral("测试帐套"))
{
    const QString path = dir.filePath(QStringLiteral("001/VzData.db"));
    server::AccountDbOptions options;
    options.accountName = name;
    server::createAccountDatabase(path, options);
    return path;
}

// A database holding the migrations up to `version` only, as an older program left it.
sql::Database databaseAtVersion(const QString &path, int version)
{
    sql::Database db(path.toStdString());
    server::migrateAccountDatabase(db, version);
    return db;
}

std::string join(const std::vector<std::string> &items)
{
    std::string result;
    for (const std::string &item : items)
        result += (result.empty() ? "" : ", ") + item;
    return result;
}

} // namespace

TEST(AccountDb, CreatesAFileAtTheLatestVersionInWalMode)
{
    QTemporaryDir dir;
    const QString path = newAccountSet(dir, QStringLiteral("O'Neil 商行"));
    // Nothing of the build is left beside the file.
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files),
              QStringList{QStringLiteral("VzData.db")});

    sql::Database db(path.toStdString());
    EXPECT_EQ(server::schemaVersionOf(db), server::accountSchemaVersion());
    EXPECT_GE(server::accountSchemaVersion(), 3);
    EXPECT_EQ(text(db, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(text(db, "PRAGMA integrity_check"), "ok");
    // The account set's name is stored as given, quote included.
    EXPECT_EQ(text(db, "SELECT fCompanyName FROM CompanyInfo"), "O'Neil 商行");
}

TEST(AccountDb, NeverOverwritesAnExistingFile)
{
    QTemporaryDir dir;
    const QString path = newAccountSet(dir);
    {
        sql::Database db(path.toStdString());
        db.exec("INSERT INTO HP (ID, BH, PM) VALUES (7, '0007', '已有的货品')");
    }
    server::AccountDbOptions options;
    options.accountName = QStringLiteral("另一个");
    EXPECT_THROW(server::createAccountDatabase(path, options), sql::Error);

    sql::Database db(path.toStdString());
    EXPECT_EQ(text(db, "SELECT PM FROM HP WHERE ID = 7"), "已有的货品");
    EXPECT_EQ(text(db, "SELECT fCompanyName FROM CompanyInfo"), "测试帐套");
}

TEST(AccountDb, TwoSessionsCreatingTheSameSetLeaveOneGoodFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("002/VzData.db"));
    std::atomic<int> created{0};
    std::atomic<int> refused{0};
    auto create = [&](const QString &name) {
        demodata::DemoOptions demo;
        demo.today = QDate(2024, 5, 20);
        server::AccountDbOptions options;
        options.accountName = name;
        options.fill = demodata::demoFill(demo); // a long build, so that the two overlap
        try {
            server::createAccountDatabase(path, options);
            ++created;
        } catch (const sql::Error &) {
            ++refused;
        }
    };
    std::thread first(create, QStringLiteral("甲"));
    std::thread second(create, QStringLiteral("乙"));
    first.join();
    second.join();
    EXPECT_EQ(created, 1);
    EXPECT_EQ(refused, 1);

    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files),
              QStringList{QStringLiteral("VzData.db")});
    sql::Database db(path.toStdString());
    EXPECT_EQ(text(db, "PRAGMA integrity_check"), "ok");
    EXPECT_GT(integer(db, "SELECT count(*) FROM Inv_ItemList"), 0);
}

TEST(AccountDb, AFailedFillLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("003/VzData.db"));
    server::AccountDbOptions options;
    options.accountName = QStringLiteral("半途");
    bool filled = false;
    options.fill = [&](sql::Database &db) {
        // The fill sees the finished schema and the set's name.
        EXPECT_EQ(text(db, "SELECT fCompanyName FROM CompanyInfo"), "半途");
        db.exec("INSERT INTO HP (ID, BH, PM) VALUES (1, '0001', '货品')");
        filled = true;
        throw sql::Error("the fill failed");
    };
    EXPECT_THROW(server::createAccountDatabase(path, options), sql::Error);
    EXPECT_TRUE(filled);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files), QStringList());

    options.fill = [](sql::Database &db) {
        db.exec("INSERT INTO HP (ID, BH, PM) VALUES (1, '0001', '货品')");
    };
    server::createAccountDatabase(path, options);
    sql::Database db(path.toStdString());
    EXPECT_EQ(text(db, "SELECT PM FROM HP WHERE ID = 1"), "货品");
}

TEST(AccountDb, RefusesAFileItCannotWrite)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    server::AccountDbOptions options;
    EXPECT_THROW(server::createAccountDatabase(
                     dir.filePath(QStringLiteral("not-a-folder/VzData.db")), options),
                 sql::Error);
}

TEST(Schema, HasEveryTableAndColumnTheClientNames)
{
    QTemporaryDir dir;
    sql::Database db(newAccountSet(dir).toStdString());
    const auto requirements = dbtest::readRequirements(QStringLiteral(VZ_REQUIRED_COLUMNS));
    ASSERT_GT(requirements.size(), 150u);

    std::vector<std::string> problems;
    for (const dbtest::Requirement &r : requirements) {
        const std::string where = "line " + std::to_string(r.line) + ": " + r.table;
        if (!dbtest::hasTableOrView(db, r.table)) {
            problems.push_back(where + " is missing");
            continue;
        }
        for (const std::string &column : r.columns) {
            const bool present = dbtest::hasColumn(db, r.table, column);
            if (!r.absent && !present)
                problems.push_back(where + "." + column + " is missing");
            if (r.absent && present)
                problems.push_back(where + "." + column + " must not exist");
        }
    }
    EXPECT_TRUE(problems.empty()) << join(problems);
}

TEST(Schema, DeclaresEveryColumnWithATypeOfTheConventions)
{
    QTemporaryDir dir;
    sql::Database db(newAccountSet(dir).toStdString());
    const QRegularExpression allowed(
        QStringLiteral("^(INTEGER|FLOAT|DATE|DATETIME|BIT|BLOB|TEXT|VARCHAR\\(\\d+\\))$"));

    std::vector<std::string> problems;
    for (const std::string &table : dbtest::tables(db)) {
        const std::string ddl =
            text(db, "SELECT sql FROM sqlite_master WHERE name = '" + table + "'");
        const bool workTable = table.rfind("rpt_", 0) == 0;
        for (const dbtest::Column &c : dbtest::columns(db, table)) {
            const std::string where = table + "." + c.name;
            const QString type = QString::fromStdString(c.declaredType);
            if (!allowed.match(type).hasMatch())
                problems.push_back(where + " is declared " + c.declaredType);
            // Passwords are the one text compared exactly.
            if ((type.startsWith(QLatin1String("VARCHAR")) || type == QLatin1String("TEXT")) &&
                c.collation != "NOCASE" && where != "AppUser.uPassword")
                problems.push_back(where + " compares case-sensitively");
            if (type == QLatin1String("BIT") &&
                (!c.notNull || ddl.find("CHECK (" + c.name + " IN (0, 1))") == std::string::npos))
                problems.push_back(where + " is a boolean that may hold other values than 0 or 1");
            if (type == QLatin1String("FLOAT") && !workTable &&
                (!c.notNull || c.defaultValue.empty()))
                problems.push_back(where + " is a measure without NOT NULL and a default");
            if (QString::fromStdString(c.name).compare(QLatin1String("ID"), Qt::CaseInsensitive) ==
                    0 &&
                !(c.primaryKey && type == QLatin1String("INTEGER")))
                problems.push_back(where + " is not the INTEGER PRIMARY KEY");
        }
    }
    EXPECT_TRUE(problems.empty()) << join(problems);
}

TEST(Schema, StoresValuesTheWayTheClientsQueriesExpect)
{
    QTemporaryDir dir;
    sql::Database db(newAccountSet(dir).toStdString());
    db.exec("INSERT INTO HP (ID, BH, PM, JJ) VALUES (10, 'ab01', 'Paper', 17)");

    // Text equality ignores case, as in Jet, and prefix searches use the code index.
    EXPECT_EQ(integer(db, "SELECT ID FROM HP WHERE BH = 'AB01'"), 10);
    const std::string plan =
        join(rows(db, "EXPLAIN QUERY PLAN SELECT * FROM HP WHERE BH LIKE 'ab%'"));
    EXPECT_NE(plan.find("HP_BH"), std::string::npos) << plan;

    // Measures keep real affinity: 17 divided by 100 is not 0.
    EXPECT_EQ(text(db, "SELECT typeof(JJ) FROM HP WHERE ID = 10"), "real");
    EXPECT_DOUBLE_EQ(dbtest::real(db, "SELECT JJ / 100 FROM HP WHERE ID = 10"), 0.17);

    // Amounts and flags default to 0, goods to the usual kinds, the ledger to no discount.
    db.exec("INSERT INTO XSKDZB (ID, DJBH, RQ) VALUES (2024030001, 'XS2024030001', '2024-03-01')");
    EXPECT_EQ(text(db, "SELECT JE || '/' || uFlag || '/' || XSJE FROM XSKDZB"), "0.0/0/0.0");
    EXPECT_EQ(text(db, "SELECT HPHSFFID || HPHSFSID || IsMaterial || IsProduct || ZT FROM HP "
                       "WHERE ID = 10"),
              "11110");
    db.exec("INSERT INTO Inv_ItemList (RQ, BillType, Flag, DJBH, HPID, CKID, SL, DJ) "
            "VALUES ('2024-03-01', 'LL', '-1', 'LL2024030001', 10, 1, 4, 2.5)");
    EXPECT_EQ(text(db, "SELECT Flag || '/' || typeof(Flag) || '/' || NZK FROM Inv_ItemList"),
              "-1/integer/1.0");

    // One number per header table; booleans refuse Jet's -1 and anything but 0 and 1.
    EXPECT_THROW(db.exec("INSERT INTO XSKDZB (ID, DJBH, RQ) VALUES (1, 'xs2024030001', "
                         "'2024-03-02')"),
                 sql::Error);
    EXPECT_THROW(db.exec("UPDATE HP SET ZT = -1 WHERE ID = 10"), sql::Error);
    EXPECT_THROW(db.exec("INSERT INTO AppUser (ID, uCode) VALUES (9, 'sys')"), sql::Error);

    // The category and stock views follow their tables.
    EXPECT_EQ(text(db, "SELECT MC FROM HPLB WHERE ID = 3"), "办公用品");
    EXPECT_DOUBLE_EQ(dbtest::real(db, "SELECT JCS FROM HPKC WHERE HPID = 10 AND CKID = 1"), -4);
}

TEST(Migration, UpgradesAnOlderSetInPlaceAndKeepsItsData)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.db"));
    {
        sql::Database db = databaseAtVersion(path, 1);
        EXPECT_EQ(server::schemaVersionOf(db), 1);
        EXPECT_EQ(integer(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                              "name = 'Inv_ItemList_HPID_RQ'"),
                  0);
        db.exec("INSERT INTO HP (ID, BH, PM) VALUES (1, '0001', '旧货品')");
    }
    sql::Database db(path.toStdString());
    server::upgradeAccountDatabase(db);
    EXPECT_EQ(server::schemaVersionOf(db), server::accountSchemaVersion());
    EXPECT_EQ(text(db, "SELECT PM FROM HP WHERE ID = 1"), "旧货品");
    EXPECT_EQ(integer(db, "SELECT count(*) FROM sqlite_master WHERE name = 'Inv_ItemList_Ledger'"),
              1);
    EXPECT_EQ(text(db, "SELECT uCode FROM AppUser"), "SYS");

    // A second upgrade finds nothing to do.
    const auto before = rows(db, "SELECT count(*) FROM Sys_FuncTree_office UNION ALL "
                                 "SELECT count(*) FROM AppUser UNION ALL SELECT count(*) FROM HP");
    server::upgradeAccountDatabase(db);
    EXPECT_EQ(rows(db, "SELECT count(*) FROM Sys_FuncTree_office UNION ALL "
                       "SELECT count(*) FROM AppUser UNION ALL SELECT count(*) FROM HP"),
              before);
}

TEST(Migration, AFailedStepLeavesTheSetAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clash.db"));
    // The set stops before the catalogue, and a row in its way makes that step fail
    // half-way.
    const int beforeCatalogue = 2;
    sql::Database db = databaseAtVersion(path, beforeCatalogue);
    db.exec("INSERT INTO AppUser (ID, uCode) VALUES (1, 'OLD')");

    EXPECT_THROW(server::upgradeAccountDatabase(db), sql::Error);
    EXPECT_EQ(server::schemaVersionOf(db), beforeCatalogue);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM CompanyInfo"), 0);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Sys_FuncTree_office"), 0);
    EXPECT_EQ(text(db, "SELECT uCode FROM AppUser"), "OLD");
}

TEST(Migration, CodesBecomeUniqueKeysUnlessATableHoldsDuplicates)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dup.db"));
    // The last version before the codes became keys, with a duplicate goods code (twice, one
    // in another case) and one of employees; customers and suppliers are clean.
    const int beforeKeys = 10;
    {
        sql::Database db = databaseAtVersion(path, beforeKeys);
        db.exec("INSERT INTO HP (ID, BH, PM) VALUES (1, '11059', '螺丝'), (2, '11059', '螺母'),"
                "(3, 'a-1', '垫片'), (4, 'A-1', '垫圈'), (5, 'B', '钉')");
        db.exec("INSERT INTO YG (ID, BH, XM) VALUES (1, '007', '张三'), (2, '007', '李四')");
        db.exec("INSERT INTO KH (ID, BH, MC) VALUES (901, 'K901', '甲'), (902, 'K902', '乙')");
    }
    sql::Database db(path.toStdString());
    QStringList notes;
    server::upgradeAccountDatabase(db, [&](const QString &note) { notes.append(note); });
    EXPECT_EQ(server::schemaVersionOf(db), server::accountSchemaVersion());
    // Nothing was lost or changed.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM HP"), 5);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM YG"), 2);

    // The duplicates, by table and code, in the table and in the notes.
    EXPECT_EQ(rows(db, "SELECT TableName, KeyName, Code, Rows FROM KeyDuplicates ORDER BY ID"),
              (std::vector<std::string>{"HP|HP_BH|11059|2", "HP|HP_BH|a-1|2", "YG|YG_BH|007|2"}));
    ASSERT_EQ(notes.size(), 2) << notes.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(notes[0].contains(QStringLiteral("HP")) &&
                notes[0].contains(QStringLiteral("'11059' (2 rows)")) &&
                notes[0].contains(QStringLiteral("'a-1' (2 rows)")))
        << notes[0].toStdString();
    EXPECT_TRUE(notes[1].contains(QStringLiteral("YG")) &&
                notes[1].contains(QStringLiteral("'007' (2 rows)")))
        << notes[1].toStdString();

    // Tables with duplicates keep a plain index on the code; the others have the key, and it
    // ignores case as the codes compare.
    struct Case
    {
        const char *insert;
        bool refused;
    };
    const Case cases[] = {
        {"INSERT INTO HP (ID, BH) VALUES (910, 'B')", false},
        {"INSERT INTO YG (ID, BH, XM) VALUES (910, '007', '王五')", false},
        {"INSERT INTO KH (ID, BH) VALUES (910, 'k901')", true},
        {"INSERT INTO GYS (ID, BH) VALUES (910, 'G9'), (911, 'g9')", true},
        {"INSERT INTO AppUser (ID, uCode) VALUES (910, 'sys')", true},
    };
    for (const Case &c : cases) {
        bool refused = false;
        try {
            db.exec(c.insert);
        } catch (const sql::Error &) {
            refused = true;
        }
        EXPECT_EQ(refused, c.refused) << c.insert;
    }
    EXPECT_EQ(integer(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name IN "
                          "('HP_BH', 'KH_BH', 'GYS_BH', 'YG_BH')"),
              4);
}

TEST(Migration, RefusesASetOfANewerProgram)
{
    QTemporaryDir dir;
    sql::Database db(newAccountSet(dir).toStdString());
    const int newer = server::accountSchemaVersion() + 1;
    db.exec("PRAGMA user_version = " + std::to_string(newer));
    EXPECT_THROW(server::upgradeAccountDatabase(db), sql::Error);
    EXPECT_EQ(server::schemaVersionOf(db), newer);
}

TEST(Catalogue, GivesANewSetWhatItsFirstDayNeeds)
{
    QTemporaryDir dir;
    sql::Database db(newAccountSet(dir).toStdString());

    // The administrator, alone, with an empty password, in the group holding every right.
    EXPECT_EQ(rows(db, "SELECT ID, uCode, uPassword, gID FROM AppUser"),
              std::vector<std::string>{"1|SYS||(1)"});
    EXPECT_EQ(integer(db, "SELECT count(*) FROM AppUserGroup WHERE ID = 1"), 1);

    // One settings row: one audit level, no discount.
    EXPECT_EQ(rows(db, "SELECT fAuditNum, fZK FROM CompanyInfo"),
              std::vector<std::string>{"1|1.0"});

    // Roots of the trees, the walk-in customer, a warehouse, cash and bank.
    EXPECT_EQ(text(db, "SELECT ParentCode FROM BM WHERE ID = 1"), "0");
    EXPECT_EQ(text(db, "SELECT ParentCode FROM DQ WHERE ID = 1"), "0");
    EXPECT_EQ(text(db, "SELECT MC FROM KH WHERE ID = 1"), "散客");
    EXPECT_EQ(integer(db, "SELECT count(*) FROM CK C JOIN BM B ON C.BMID = B.ID"), 1);
    EXPECT_EQ(rows(db, "SELECT DISTINCT YHL FROM ZH ORDER BY YHL"),
              (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(integer(db, "SELECT count(*) FROM SFKFS WHERE ZHID NOT IN (SELECT ID FROM ZH)"), 0);

    // The code lists the documents choose from, in both directions where they have one.
    EXPECT_EQ(rows(db, "SELECT DISTINCT RKL FROM QTKCBDLX ORDER BY RKL"),
              (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(rows(db, "SELECT DISTINCT SRL FROM SRZCLB ORDER BY SRL"),
              (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(rows(db, "SELECT MC || ':' || NSL FROM FPLX ORDER BY ID"),
              (std::vector<std::string>{"收据:0.0", "普通发票:3.0", "增值税发票:17.0"}));
    EXPECT_GT(integer(db, "SELECT count(*) FROM Pub_ItemType"), 0);
    EXPECT_GT(integer(db, "SELECT count(*) FROM YGLB"), 0);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM zc_Project WHERE pid = 9991"),
              integer(db, "SELECT count(*) FROM YGLB"));
    EXPECT_EQ(text(db, "SELECT MC FROM SJZL ORDER BY XH LIMIT 1"), "销售价");
    EXPECT_GT(integer(db, "SELECT count(*) FROM pub_Project WHERE ParentCode = "
                          "(SELECT ItemType FROM pub_Project WHERE TypeName = '计量单位')"),
              5);

    // The menu list: parents first, then their items, in one order.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM AppMenu WHERE mIsParent = 1 AND mLevel <> 0"), 0);
    EXPECT_EQ(integer(db, "SELECT count(DISTINCT mIndex) FROM AppMenu"),
              integer(db, "SELECT count(*) FROM AppMenu"));
}

TEST(Catalogue, ImportFieldMapsNameRealColumnsWithTheKeyFirst)
{
    QTemporaryDir dir;
    sql::Database db(newAccountSet(dir).toStdString());
    for (const std::string kind : {"hp", "yg"}) {
        const auto fields =
            rows(db, "SELECT Code, DataType FROM ExportCompTable WHERE Type = '" + kind +
                         "' AND VZSystem = '" + kind + "' ORDER BY OrderIndex");
        ASSERT_GT(fields.size(), 5u) << kind;
        EXPECT_EQ(fields.front(), "BH|S") << kind;
        for (const std::string &field : fields) {
            const std::string code = field.substr(0, field.find('|'));
            EXPECT_TRUE(dbtest::hasColumn(db, kind, code)) << kind << "." << code;
        }
    }
}

TEST(Catalogue, FunctionTreeCoversEveryMenuTileFormAndReport)
{
    QTemporaryDir dir;
    sql::Database db(newAccountSet(dir).toStdString());

    // Names the main window, the workspace and the document forms check rights against.
    const std::vector<std::pair<std::string, std::string>> objects = {
        {"mnuQcData", "Bill"},
        {"mnuDataIn", "Data"},
        {"mnuInitData", "Data"},
        {"mnuBackup", "Data"},
        {"mnuRestore", "Data"},
        {"mnuCompact", "Data"},
        {"mnuYearJZ", "Data"},
        {"mnuUser", "Data"},
        {"Password_mnu", "Data"},
        {"mnuPopedom", "Data"},
        {"mnuSystemSet", "Data"},
        {"mnuAlert", "Data"},
        {"mnuAcount", "Data"},
        {"mnuBm", "Data"},
        {"mnuDq", "Data"},
        {"mnuKh", "Data"},
        {"mnuGys", "Data"},
        {"mnuYg", "Data"},
        {"mnuCk", "Data"},
        {"mnuHp", "Data"},
        {"mnuHplb", "Data"},
        {"mnuQtkcbdlx", "Data"},
        {"mnuZh", "Data"},
        {"mnuSrzclb", "Data"},
        {"mnuSfkfs", "Data"},
        {"mnuProject", "Data"},
        {"mnuYgdy", "Data"},
        {"mnuYght", "Data"},
        {"mnuYgpx", "Data"},
        {"mnuYgkp", "Data"},
        {"mnuYgdd", "Data"},
        {"mnuYgjc", "Data"},
        {"mnuYgtx", "Data"},
        {"mnuYgsrtx", "Report"},
        {"mnuYgxxfx", "Report"},
        {"mnuCgsq", "Bill"},
        {"mnuCgsh", "Bill"},
        {"mnuBbGysGhHz", "Report"},
        {"mnuBbGysGhMx", "Report"},
        {"mnuBbYGCgHz", "Report"},
        {"mnuBbHpCgHz", "Report"},
        {"mnuBbHpCgMx", "Report"},
        {"mnu_CG_Static_Month", "Report"},
        {"mnu_CG_Static_Chart", "Report"},
        {"mnu_CG_Static_Price", "Report"},
        {"mnu_CG_Static_Struct", "Report"},
        {"mnuSq", "Bill"},
        {"mnuLl", "Bill"},
        {"mnuTl", "Bill"},
        {"mnuBbHpXsMx", "Report"},
        {"mnuBBMLBHZ", "Report"},
        {"mnuBbYwyXsMx", "Report"},
        {"mnuBbYwyXsHz", "Report"},
        {"mnuBBMHZ", "Report"},
        {"mnuBBRate", "Report"},
        {"mnuBbHpTlMx", "Report"},
        {"mnu_LL_Static_Month_wp", "Report"},
        {"mnu_LL_Static_Month_ry", "Report"},
        {"mnu_LL_Static_Month_bm", "Report"},
        {"mnu_LL_Static_Tu", "Report"},
        {"FrameStockPd", "Bill"},
        {"mnuKcpd", "Bill"},
        {"mnuCkdb", "Bill"},
        {"mnuKctz", "Bill"},
        {"mnuQtkcbd", "Bill"},
        {"mnuBbCkkcHz", "Report"},
        {"mnuBbCkkcMx", "Report"},
        {"mnuBbCkkcHz_FC", "Report"},
        {"mnuBbCkbj", "Report"},
        {"mnuBbPdDif", "Report"},
        {"mnuFykz", "Bill"},
        {"mnuYhckqk", "Data"},
        {"mnuQtsr", "Bill"},
        {"mnuXjyhBb", "Report"},
        {"mnuBbSzLsz", "Report"},
        {"mnuBbSzHz", "Report"},
        {"mnuBbSzMx", "Report"},
        {"mnuXsdd", "Bill"},
        {"mnuXskd", "Bill"},
        {"mnuXsth", "Bill"},
        {"mnuCgdd", "Bill"},
        {"mnuCgth", "Bill"},
        {"mnuCpjc", "Bill"},
        {"Quick_mnu", "Data"},
        {"Tool_mnu", "Data"},
        {"Tool_UpLoad", "Data"},
        {"URL_mnu", "Data"},
        {"About_mnu", "Data"},
    };
    for (const auto &[name, type] : objects) {
        // The rights queries compare object names as the document forms spell them.
        EXPECT_EQ(rows(db, "SELECT ObjectType FROM Sys_FuncTree_office WHERE ObjectName = '" +
                               name + "'"),
                  std::vector<std::string>{type})
            << name;
    }

    // Every node hangs under a top node listed before it; top nodes carry no object.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Sys_FuncTree_office c WHERE c.PrevNodeNo <> "
                          "'0000' AND NOT EXISTS (SELECT 1 FROM Sys_FuncTree_office p WHERE "
                          "p.FuncNodeNo = c.PrevNodeNo AND p.PrevNodeNo = '0000' AND "
                          "p.FuncNodeNo < c.FuncNodeNo AND p.ObjectName = '')"),
              0);
    // Every object type offers items; documents the ones the form rights test for.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Sys_FuncTree_office t WHERE ObjectName <> '' "
                          "AND NOT EXISTS (SELECT 1 FROM Sys_FuncItem i WHERE i.ObjectType = "
                          "t.ObjectType)"),
              0);
    const auto billItems = rows(db, "SELECT FuncItemNo FROM Sys_FuncItem WHERE ObjectType = "
                                    "'Bill' ORDER BY FuncItemNo");
    for (const char *item : {"Insert", "Delete", "Auditing1", "UnAudit", "Print"})
        EXPECT_NE(std::find(billItems.begin(), billItems.end(), item), billItems.end()) << item;

    // The administrators' group holds every leaf with all its items.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Sys_GroupFuncRight WHERE UserGroupNo = 1"),
              integer(db, "SELECT count(*) FROM Sys_FuncTree_office WHERE ObjectName <> ''"));
    EXPECT_EQ(text(db, "SELECT FuncItems FROM Sys_GroupFuncRight WHERE UserGroupNo = 1 AND "
                       "ObjectName = 'mnuCgsh'"),
              "Insert,Modify,Delete,Auditing1,UnAudit,Print,Export");

    // The shared quick-launch buttons open existing leaves.
    EXPECT_GT(integer(db, "SELECT count(*) FROM Sys_UserQuick WHERE UserNo = 'pub'"), 3);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Sys_UserQuick q WHERE NOT EXISTS (SELECT 1 FROM "
                          "Sys_FuncTree_office t WHERE t.FuncNodeNo = q.FuncNodeNo AND "
                          "t.ObjectName <> '')"),
              0);
}

TEST(Catalogue, ChangingTheAuditLevelsKeepsTheFirstLevel)
{
    QTemporaryDir dir;
    sql::Database db(newAccountSet(dir).toStdString());
    // What the settings window executes when the company moves to three levels and back.
    db.exec("delete from Sys_FuncItem where Indexno like '04%'");
    for (int level = 2; level <= 3; ++level) {
        db.exec("insert into  Sys_FuncItem(ObjectType,IndexNo,FuncItemNo,FuncItemName) "
                "Values('Bill','04" +
                std::to_string(level) + "','Auditing" + std::to_string(level) + "','" +
                (level == 2 ? "二审" : "三审") + "')");
    }
    EXPECT_EQ(rows(db, "SELECT FuncItemNo FROM Sys_FuncItem WHERE ObjectType = 'Bill' AND "
                       "FuncItemNo LIKE 'Auditing%' ORDER BY IndexNo"),
              (std::vector<std::string>{"Auditing1", "Auditing2", "Auditing3"}));
    db.exec("delete from Sys_FuncItem where Indexno like '04%'");
    EXPECT_EQ(rows(db, "SELECT FuncItemNo FROM Sys_FuncItem WHERE ObjectType = 'Bill' AND "
                       "FuncItemNo LIKE 'Auditing%'"),
              std::vector<std::string>{"Auditing1"});
}
