// The mnemonic code: MnemonicOf on goods names (UTF-8 to GBK, then the byte walk) against the
// walk alone on names already in GBK, and one "update HP set ZJM=GetPY(PM)" over 100,000 goods
// in an SQLite file against an update that writes five characters of the goods code instead.
#include "benchutil.h"

#include "demodata/names.h"
#include "sql/database.h"
#include "sql/translator.h"
#include "text/gbk.h"
#include "text/pinyin.h"

#include <QTemporaryDir>

#include <unicode/ucnv.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int NameCount = 100000;

// Goods names as a large account set has them: a brand, a goods name, and now and then a model
// of Latin letters and digits or the size and packing (GG).
std::vector<std::string> goodsNames()
{
    using namespace demodata::Internal;
    const auto catalogue = goodsCatalogue();
    const auto brands = goodsBrands();
    std::vector<std::string> names;
    names.reserve(NameCount);
    for (int i = 0; i < NameCount; ++i) {
        const GoodsTemplate &goods = catalogue[size_t(i) % catalogue.size()];
        std::string name = std::string(brands[size_t(i / 7) % brands.size()]) + goods.name;
        if (i % 3 == 1)
            name = "JX-" + std::to_string(i % 997) + name;
        else if (i % 3 == 2)
            name += std::string(" ") + goods.gg;
        names.push_back(std::move(name));
    }
    return names;
}

double perNameUs(double ms)
{
    return ms * 1000.0 / NameCount;
}

void fillGoods(sql::Database &db, const std::vector<std::string> &names)
{
    db.exec("CREATE TABLE HP (ID INTEGER PRIMARY KEY, BH VARCHAR(20) COLLATE NOCASE, "
            "PM VARCHAR(100) COLLATE NOCASE, ZJM VARCHAR(50) COLLATE NOCASE)");
    db.exec("BEGIN");
    sql::Statement insert = db.prepare("INSERT INTO HP (ID, BH, PM) VALUES (?, ?, ?)");
    for (size_t i = 0; i < names.size(); ++i) {
        insert.bind(1, int64_t(i + 1));
        insert.bind(2, "HP" + std::to_string(100000 + i));
        insert.bind(3, names[i]);
        insert.step();
        insert.reset();
    }
    db.exec("COMMIT");
}

} // namespace

int main()
{
    const std::vector<std::string> names = goodsNames();
    std::vector<std::string> gbkNames;
    gbkNames.reserve(names.size());
    for (const std::string &name : names)
        gbkNames.push_back(text::ToGbk(name));

    size_t letters = 0;
    const double mnemonicMs = bench::medianMs([&] {
        for (const std::string &name : names)
            letters += text::MnemonicOf(name).size();
    });
    const double walkMs = bench::medianMs([&] {
        for (const std::string &gbk : gbkNames)
            letters += text::GetPY(gbk).size();
    });
    // What a converter per call would add: the per-thread converters avoid it.
    const double openMs = bench::medianMs([&] {
        for (int i = 0; i < NameCount; ++i) {
            UErrorCode status = U_ZERO_ERROR;
            ucnv_close(ucnv_open("GBK", &status));
        }
    });
    std::printf("%d goods names, e.g. %s -> %s, %s -> %s\n", NameCount, names[0].c_str(),
                text::MnemonicOf(names[0]).c_str(), names[2].c_str(),
                text::MnemonicOf(names[2]).c_str());
    bench::reportValue("MnemonicOf per name", perNameUs(mnemonicMs), "us", 2.0);
    bench::reportValue("GetPY on GBK per name", perNameUs(walkMs), "us");
    bench::reportValue("opening a GBK converter per name", perNameUs(openMs), "us");
    // A converter opened per call (the line above) would more than double the subject.
    bench::reportRatio("MnemonicOf / GetPY on GBK (conversion's share)", mnemonicMs, walkMs, 6);

    QTemporaryDir dir;
    sql::Database db(dir.filePath(QStringLiteral("goods.db")).toStdString());
    sql::registerExtensions(db.handle());
    fillGoods(db, names);
    sql::Translator translator(db.handle());
    const std::string update =
        translator.translate("update HP set ZJM=GetPY(PM)", sql::Dialect::Jet)->sql;
    const double updateMs = bench::medianMs([&] { db.exec(update); });
    const double plainMs =
        bench::medianMs([&] { db.exec("UPDATE HP SET ZJM = substr(BH, 4, 5)"); });
    std::printf("\n%s over %d goods in an SQLite file:\n", update.c_str(), NameCount);
    bench::reportValue("update HP set ZJM=GetPY(PM)", updateMs, "ms");
    // The same number of rows and bytes written, with SQLite's substr in place of GetPY.
    bench::reportRatio("GetPY update / substr(BH, 4, 5) update", updateMs, plainMs, 3);
    return letters > 0 ? 0 : 1;
}
