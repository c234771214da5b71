// A clerk at a workstation of their own: enters purchase receipts through the real form
// against a running vzserver, saves each (and audits it when asked), and prints every number
// it was given, then "retries N" for the numbers it had to draw again. Tests and benchmarks
// run twenty of them at once. With --wait it says "ready" once its form is open and starts
// entering at the first line on its input, so that twenty start together.
//
//   docclerk ADDRESS DOCUMENTS LINES [--audit] [--late-numbers] [--wait]
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/documents/purin.h"
#include "client/forms/globalobj.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QPointer>

#include <cstdio>
#include <cstring>

namespace {

class TClerkReceipt : public TfrmPurIn
{
public:
    bool Audit() { return AuditBill(true); }
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: docclerk ADDRESS DOCUMENTS LINES [--audit] [--late-numbers]\n");
        return 2;
    }
    const QString address = QString::fromLocal8Bit(argv[1]);
    const int documents = std::atoi(argv[2]);
    const int lineCount = std::atoi(argv[3]);
    bool audit = false;
    bool late = false;
    bool wait = false;
    for (int i = 4; i < argc; ++i) {
        audit |= std::strcmp(argv[i], "--audit") == 0;
        late |= std::strcmp(argv[i], "--late-numbers") == 0;
        wait |= std::strcmp(argv[i], "--wait") == 0;
    }

    TData data;
    data.cn().SetHost(address);
    QString account = QStringLiteral("001");
    if (data.cn().AppServer().ConnectAct(0, account)) {
        std::fprintf(stderr, "docclerk: account set refused\n");
        return 1;
    }
    SessionInfo().DatabaseKind = 0;
    FuncRight() = TSystemFunctionRight();
    FuncRight().SetDataSets(&data.Tmp(), &data.Tmpf(), &data.Tmpl());
    FuncRight().UserCode = QStringLiteral("SYS");
    FuncRight().UserName = QStringLiteral("系统管理员");
    FuncRight().Boolean3 = late;
    // Any message is a failure the clerk would see.
    TMessageBoxScript boxes;

    QStringList codes;
    {
        TTmpDataSet goods;
        goods->SetCommandText(QStringLiteral("select BH from HP where not ZT order by ID"));
        goods->Open();
        for (goods->First(); !goods->Eof() && codes.size() < lineCount; goods->Next())
            codes << goods->Fields(0)->AsString();
    }
    QPointer<TClerkReceipt> form = CreateForm<TClerkReceipt>();
    form->FOpenMode = QStringLiteral("A");
    form->show();
    QApplication::processEvents();
    if (wait) {
        std::printf("ready\n");
        std::fflush(stdout);
        char go[16];
        if (!std::fgets(go, sizeof go, stdin))
            return 1;
    }
    int failures = 0;
    for (int document = 0; document < documents; ++document) {
        if (document > 0)
            form->aNew->trigger();
        TClientDataSet &header = *form->ZbDataSet();
        header.FieldByName(QStringLiteral("GYSID"))->SetAsInteger(1);
        header.FieldByName(QStringLiteral("aGYSMC"))->SetAsString(QStringLiteral("供应商一"));
        header.FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        header.FieldByName(QStringLiteral("YWY"))->SetAsString(QStringLiteral("张三"));
        TClientDataSet &lines = *form->MxDataSet();
        lines.First();
        for (const QString &code : codes) {
            if (lines.Eof())
                lines.Append();
            else
                lines.Edit();
            lines.FieldByName(QStringLiteral("aBH"))->SetAsString(code);
            lines.FieldByName(QStringLiteral("SL"))->SetAsFloat(1);
            lines.Post();
            lines.Next();
        }
        form->aSave->trigger();
        if (form->IsModified()) {
            ++failures;
            break;
        }
        std::printf("%s\n", qPrintable(header.FieldByName(QStringLiteral("DJBH"))->AsString()));
        if (audit && !form->Audit()) {
            ++failures;
            break;
        }
    }
    std::printf("retries %d\n", form->NumberRetries());
    std::fprintf(stderr, "requests %d\n", data.cn().RequestCount());
    for (const TMessageRequest &request : boxes.Requests())
        std::fprintf(stderr, "docclerk: message \"%s\"\n", qPrintable(request.Text));
    {
        TMessageBoxScript no{mrNo, mrNo};
        form->Close();
    }
    return failures == 0 && boxes.Count() == 0 ? 0 : 1;
}
