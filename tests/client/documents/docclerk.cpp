// A clerk at a workstation of their own: enters purchase receipts through the real form
// against a running vzserver, saves each (and audits it when asked), and prints every number
// it was given, then "retries N" for the numbers it had to draw again. Tests and benchmarks
// run twenty of them at once. With --wait it says "ready" once its form is open and starts
// entering at the first line on its input, so that twenty start together. With --pre-entered
// the lines take the goods read once at the start, as a picker would fill them, instead of one
// look-up per typed code: what is left to measure is the saving and the auditing.
//
//   docclerk ADDRESS DOCUMENTS LINES [--audit] [--late-numbers] [--wait] [--pre-entered]
#include "client/core/paths.h"
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
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

class TClerkReceipt : public TfrmPurIn
{
public:
    bool Audit() { return AuditBill(true); }
    bool PreEntered = false;

protected:
    void sMxDataChange(TDataSource &Sender, TField *Field) override
    {
        if (!PreEntered)
            TfrmPurIn::sMxDataChange(Sender, Field);
    }
};

struct TGoods
{
    QString Code;
    QVariant Id, Name, Unit, Price, Costing;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Each clerk is a workstation of its own, with its own SysConfig.ini.
    QTemporaryDir clientFolder;
    SetExeDir(clientFolder.path());
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
    bool preEntered = false;
    for (int i = 4; i < argc; ++i) {
        audit |= std::strcmp(argv[i], "--audit") == 0;
        late |= std::strcmp(argv[i], "--late-numbers") == 0;
        wait |= std::strcmp(argv[i], "--wait") == 0;
        preEntered |= std::strcmp(argv[i], "--pre-entered") == 0;
    }

    TData data;
    data.cn().SetHost(address);
    CurUserCode = QStringLiteral("SYS"); // the connection logs SYS in
    CurUserPassword.clear();
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

    QList<TGoods> goodsList;
    {
        TTmpDataSet goods;
        goods->SetCommandText(
            QStringLiteral("select BH, ID, PM, DW, JJ, HPHSFSID from HP where not ZT order by ID"));
        goods->Open();
        for (goods->First(); !goods->Eof() && goodsList.size() < lineCount; goods->Next())
            goodsList.append({goods->Fields(0)->AsString(), goods->Fields(1)->Value(),
                              goods->Fields(2)->Value(), goods->Fields(3)->Value(),
                              goods->Fields(4)->Value(), goods->Fields(5)->Value()});
    }
    QPointer<TClerkReceipt> form = CreateForm<TClerkReceipt>();
    form->PreEntered = preEntered;
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
        for (const TGoods &goods : goodsList) {
            if (lines.Eof())
                lines.Append();
            else
                lines.Edit();
            lines.FieldByName(QStringLiteral("aBH"))->SetAsString(goods.Code);
            if (preEntered) {
                lines.FieldByName(QStringLiteral("HPID"))->SetValue(goods.Id);
                lines.FieldByName(QStringLiteral("aPM"))->SetValue(goods.Name);
                lines.FieldByName(QStringLiteral("aDW"))->SetValue(goods.Unit);
                lines.FieldByName(QStringLiteral("DJ"))->SetValue(goods.Price);
                if (TField *costing = lines.FindField(QStringLiteral("HPHSFSID")))
                    costing->SetValue(goods.Costing);
            }
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
