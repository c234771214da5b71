#include "pgdemo.h"

#include "demodata/demodata.h"
#include "server/accountdb.h"
#include "sql/translator.h"
#include "support/pgcluster.h"

namespace dbtest {

PgDemoSet &PgDemoSet::shared()
{
    static PgDemoSet set;
    return set;
}

PgDemoSet::PgDemoSet()
{
    const QString path = dir.filePath(QStringLiteral("001/VzData.db"));
    demodata::DemoOptions demo;
    demo.today = QDate(2024, 5, 20);
    server::AccountDbOptions options;
    options.accountName = QStringLiteral("演示帐套");
    options.fill = demodata::demoFill(demo);
    server::createAccountDatabase(path, options);
    db.open(path.toStdString());
    sql::registerExtensions(db.handle());
    conninfo = testsupport::PgCluster::shared().createDatabase();
    pg = std::make_unique<pg::Connection>(conninfo);
    report = server::PostgresCopy(db.handle(), *pg).run();
}

} // namespace dbtest
