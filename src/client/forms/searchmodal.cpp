// The tree search dialogs.
#include "client/forms/searchmodal.h"

#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/messagebox.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString AllNodes = QStringLiteral("全部");

struct TreeKind
{
    const char *kind;
    const char *provider;
    const char *sql;
    const char *key;
    const char *display;
    const char *caption;
};

const TreeKind TreeKinds[] = {
    {"itemtype", "pItemType", "select ItemType, TypeName, ParentCode from Pub_ItemType", "ItemType",
     "TypeName", "选择上级货品类别"},
    {"dq", "pDq", "select ID, MC, ParentCode from DQ", "ID", "MC", "选择上级地区"},
    {"depart", "pBm", "select ID, MC, ParentCode from BM", "ID", "MC", "选择上级部门"},
    {"pub_project", "pPub_Project", "select ItemType, TypeName, ParentCode from pub_Project",
     "ItemType", "TypeName", "选择上级项目"},
};

} // namespace

TSearchModalFrm::TSearchModalFrm(QWidget *parent)
    : TFrmRoot(parent)
    , m_dataSet(std::make_unique<TClientDataSet>(QStringLiteral("cdsTree")))
    , m_source(std::make_unique<TDataSource>(m_dataSet.get()))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("SearchModalFrm"));
    setWindowTitle(QStringLiteral("查找模板"));
    cdsTree = m_dataSet.get();
    auto *layout = new QVBoxLayout(this);
    stDBTree1 = new TDBTreeView(this);
    stDBTree1->setObjectName(QStringLiteral("stDBTree1"));
    stDBTree1->SetDataSource(m_source.get());
    stDBTree1->SetRootText(AllNodes);
    stDBTree1->SetSyncDataSet(false);
    layout->addWidget(stDBTree1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("选中退出"), this);
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    for (QPushButton *button : {btnOk, btnCancel}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, [this] { Guarded([this] { btnOkClick(); }); });
    connect(stDBTree1, &QTreeView::doubleClicked, this,
            [this] { Guarded([this] { btnOkClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    resize(300, 420);
}

TSearchModalFrm::~TSearchModalFrm()
{
    stDBTree1->SetDataSource(nullptr);
}

void TSearchModalFrm::OpenTree(const QString &providerName, const QString &sqlText,
                               const QString &keyField, const QString &displayField)
{
    cdsTree->Close();
    if (DataExists())
        cdsTree->SetRemoteServer(&Data().cn());
    cdsTree->SetProviderName(providerName);
    cdsTree->SetCommandText(sqlText);
    stDBTree1->SetFields(keyField, QStringLiteral("ParentCode"), displayField, displayField);
    cdsTree->Open();
    stDBTree1->Rebuild();
    stDBTree1->SelectRoot();
    stDBTree1->expandToDepth(0);
}

void TSearchModalFrm::btnOkClick()
{
    if (!stDBTree1->currentIndex().isValid())
        return;
    const QString key = stDBTree1->SelectedKey();
    const QString text = stDBTree1->SelectedText();
    if (OwnKey.isEmpty()) {
        if (text == AllNodes) {
            MessageBox(QStringLiteral("不能选择【全部】节点！"), QStringLiteral("提示"),
                       TMsgIcon::Warning);
            return;
        }
    } else if (key == OwnKey) {
        MessageBox(QStringLiteral("不能选择自己作为上级节点！"), QStringLiteral("提示"),
                   TMsgIcon::Warning);
        return;
    }
    ResultKey = key;
    ResultText = text;
    SetModalResult(mrOk);
}

TSearchItemTypeFrm::TSearchItemTypeFrm(QWidget *parent)
    : TSearchModalFrm(parent)
{
    setObjectName(QStringLiteral("SearchItemTypeFrm"));
    setWindowTitle(QStringLiteral("选择货品类别"));
}

bool TSearchItemTypeFrm::SetKind(const QString &kind, const QString &ownKey)
{
    for (const TreeKind &k : TreeKinds) {
        if (kind.compare(QLatin1String(k.kind), Qt::CaseInsensitive) != 0)
            continue;
        OwnKey = ownKey;
        setWindowTitle(QString::fromUtf8(k.caption));
        OpenTree(QLatin1String(k.provider), QLatin1String(k.sql), QLatin1String(k.key),
                 QLatin1String(k.display));
        return true;
    }
    return false;
}

bool SearchTreeNode(const QString &kind, const QString &ownKey, QString &key, QString &text,
                    QWidget *parent)
{
    TSearchItemTypeFrm dialog(parent);
    if (!dialog.SetKind(kind, ownKey) || dialog.ShowModal() != mrOk)
        return false;
    key = dialog.ResultKey;
    text = dialog.ResultText;
    return true;
}
