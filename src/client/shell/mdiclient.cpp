// The workspace with its module pages and function tiles.
#include "client/shell/mdiclient.h"

#include "client/common/sqltext.h"
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/data/clientdataset.h"
#include "client/data/serveraccess.h"
#include "client/shell/pictures.h"
#include "client/widgets/messagebox.h"

#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int TopHeight = 64;
constexpr int ButtonLeft = 14;
constexpr int ButtonTop = 16;
constexpr int ButtonHeight = 30;
constexpr int ButtonStep = 42;
constexpr int SelectedWidth = 107;
constexpr int NormalWidth = 83;
// $FFF4EF in the form designer's blue-green-red order.
const QColor NormalButtonColor(0xef, 0xf4, 0xff);

const QString TitleBlue = QStringLiteral("#1f4e8c");

QString buttonStyle(const QColor &color)
{
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid #9db4d6;"
                          " border-radius: 3px; text-align: left; padding-left: 10px;"
                          " color: #1f3f6e; }"
                          "QPushButton:hover { border-color: #2f6db5; }")
        .arg(color.name());
}

void drawBanner(QPainter &p, const QSize &size, const QString &company, const QString &user)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), 0);
    sky.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    sky.setColorAt(0.6, QColor(0x3b, 0x74, 0xbd));
    sky.setColorAt(1, QColor(0x7f, 0xa9, 0xdd));
    p.fillRect(QRect(QPoint(0, 0), size), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 24));
    p.drawEllipse(QPoint(size.width() - 120, -40), 160, 120);
    QFont title = p.font();
    title.setPixelSize(22);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(20, 0, size.width() / 2, size.height()), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("业务导航"));
    QFont small = p.font();
    small.setPixelSize(13);
    small.setBold(false);
    p.setFont(small);
    const QString right = (company.isEmpty() ? SessionInfo().AccountName : company) +
                          (user.isEmpty() ? QString() : QStringLiteral("    操作员：") + user);
    p.drawText(QRect(140, 0, size.width() - 160, size.height()), Qt::AlignVCenter | Qt::AlignRight,
               right);
}

// The top picture: top.jpg stretched over the width when it exists, else a drawn banner.
class TopPicture : public QWidget
{
public:
    explicit TopPicture(QWidget *parent)
        : QWidget(parent)
    {
        const QString file = ExeDirFile(QStringLiteral("top.jpg"));
        if (QFileInfo::exists(file))
            m_picture.load(file);
    }
    void setTexts(const QString &company, const QString &user)
    {
        m_company = company;
        m_user = user;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (!m_picture.isNull())
            p.drawPixmap(rect(), m_picture);
        else
            drawBanner(p, size(), m_company, m_user);
    }

private:
    QPixmap m_picture;
    QString m_company;
    QString m_user;
};

// Tiles flow in rows as wide as the page allows.
class FlowLayout : public QLayout
{
public:
    explicit FlowLayout(QWidget *parent, int spacing)
        : QLayout(parent)
        , m_spacing(spacing)
    {}
    ~FlowLayout() override
    {
        while (QLayoutItem *item = takeAt(0))
            delete item;
    }
    void addItem(QLayoutItem *item) override { m_items.append(item); }
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override
    {
        return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
    }
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return place(QRect(0, 0, width, 0), false); }
    void setGeometry(const QRect &rect) override
    {
        QLayout::setGeometry(rect);
        place(rect, true);
    }
    QSize sizeHint() const override { return minimumSize(); }
    QSize minimumSize() const override
    {
        QSize size;
        for (QLayoutItem *item : m_items)
            size = size.expandedTo(item->minimumSize());
        const QMargins m = contentsMargins();
        return size + QSize(m.left() + m.right(), m.top() + m.bottom());
    }

private:
    int place(const QRect &rect, bool apply) const
    {
        const QMargins m = contentsMargins();
        const QRect area = rect.adjusted(m.left(), m.top(), -m.right(), -m.bottom());
        int x = area.x();
        int y = area.y();
        int rowHeight = 0;
        for (QLayoutItem *item : m_items) {
            const QSize hint = item->sizeHint();
            if (x + hint.width() > area.right() + 1 && rowHeight > 0) {
                x = area.x();
                y += rowHeight + m_spacing;
                rowHeight = 0;
            }
            if (apply)
                item->setGeometry(QRect(QPoint(x, y), hint));
            x += hint.width() + m_spacing;
            rowHeight = qMax(rowHeight, hint.height());
        }
        return y + rowHeight - rect.y() + m.bottom();
    }

    QList<QLayoutItem *> m_items;
    int m_spacing;
};

} // namespace

struct TfrmMDIClient::TileEntry
{
    const char *name;
    const char *caption;
    TFunctionPicture picture;
};

namespace {

struct PageEntry
{
    const char *button;
    const char *caption;
    const char *page;
};

// The module buttons in the column's order, with their pages' names; a page's index is its
// position in the page control.
const PageEntry modulePages[] = {
    {"FlatBBase", "基础资料", "TabBase"},     {"FlatBPur", "采购管理", "TabPur"},
    {"FlatBSale", "库存管理", "TabSale"},     {"FlatBInvend", "领用管理", "TabInVend"},
    {"FlatBSystem", "系统管理", "TabSystem"}, {"FlatBAbout", "联系信息", "TabAbout"},
    {"FlatBCw", "财务管理", "TabCW"},         {"FlatBRs", "人事管理", "TabRs"},
    {"FlatBXs", "销售管理", "TabXs"},
};
// The column shows the modules in working order; the page control keeps the pages' order.
const int columnOrder[] = {0, 1, 8, 2, 3, 6, 7, 4, 5};

} // namespace

TfrmMDIClient::TfrmMDIClient(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMDIClient"));
    setWindowTitle(QStringLiteral("业务导航"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xf3, 0xf7, 0xfc));
    setPalette(pal);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    m_top = new TopPicture(this);
    m_top->setObjectName(QStringLiteral("ImageTop"));
    m_top->setFixedHeight(TopHeight);
    outer->addWidget(m_top);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    outer->addLayout(body, 1);

    // The module column: buttons placed by hand, so that the frame shape can move around
    // the chosen one.
    m_moduleColumn = new QWidget(this);
    m_moduleColumn->setObjectName(QStringLiteral("PanelModules"));
    m_moduleColumn->setFixedWidth(ButtonLeft + SelectedWidth + 14);
    m_moduleColumn->setAutoFillBackground(true);
    QPalette columnPalette = m_moduleColumn->palette();
    columnPalette.setColor(QPalette::Window, QColor(0xdd, 0xe8, 0xf6));
    m_moduleColumn->setPalette(columnPalette);
    m_frameShape = new QFrame(m_moduleColumn);
    m_frameShape->setObjectName(QStringLiteral("ShapeFrame"));
    m_frameShape->setStyleSheet(QStringLiteral("QFrame#ShapeFrame { border: 2px solid #2f6db5; "
                                               "border-radius: 4px; background: transparent; }"));
    QFont buttonFont = font();
    buttonFont.setPixelSize(13);
    buttonFont.setBold(true);
    int row = 0;
    for (int pageIndex : columnOrder) {
        const PageEntry &page = modulePages[pageIndex];
        auto *button = new QPushButton(QString::fromUtf8(page.caption), m_moduleColumn);
        button->setObjectName(QLatin1String(page.button));
        button->setFont(buttonFont);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::PointingHandCursor);
        button->setGeometry(ButtonLeft, ButtonTop + row * ButtonStep, NormalWidth, ButtonHeight);
        button->setStyleSheet(buttonStyle(NormalButtonColor));
        connect(button, &QPushButton::clicked, this, [this, button] { ModuleButtonClick(button); });
        m_moduleButtons << button;
        m_modulePages << pageIndex;
        if (QLatin1String(page.button) == QLatin1String("FlatBAbout"))
            FlatBAbout = button;
        ++row;
    }
    body->addWidget(m_moduleColumn);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    using P = TFunctionPicture;
    const QList<QList<TileEntry>> pages = {
        {{"mnuZh", "帐户资料", P::fpData},
         {"mnuGys", "供应商资料", P::fpData},
         {"mnuHplb", "货品类别", P::fpData},
         {"mnuSrzclb", "收入支出类别", P::fpData},
         {"mnuHp", "货品资料", P::fpData},
         {"mnuBm", "部门资料", P::fpData},
         {"mnuCk", "仓库资料", P::fpData},
         {"mnuYg", "员工资料", P::fpData},
         {"mnuSfkfs", "收付款方式", P::fpData}},
        {{"mnuCgsh", "采购入库单", P::fpBill},
         {"mnuCgth", "采购退货单", P::fpBill},
         {"mnuCgfk", "采购付款单", P::fpBill},
         {"mnuBbHpCgHz", "货品采购汇总表", P::fpReport},
         {"mnuBbHpCgMx", "货品采购明细表", P::fpReport},
         {"mnuBbGysGhHz", "供应商供货汇总表", P::fpReport},
         {"mnuBbGysGhMx", "供应商供货明细表", P::fpReport},
         {"mnu_CG_Static_Month", "年采购量分析", P::fpReport},
         {"mnu_CG_Static_Chart", "采购图形分析", P::fpReport},
         {"mnu_CG_Static_Price", "采购价格分析", P::fpReport},
         {"mnu_CG_Static_Struct", "采购结构分析", P::fpReport},
         {"mnuBbYGCgHz", "采购员采购汇总表", P::fpReport}},
        {{"mnuKcpd", "库存盘点", P::fpBill},
         {"mnuBbCkkcHz", "库存总帐", P::fpReport},
         {"mnuBbCkkcMx", "库存明细帐", P::fpReport},
         {"mnuBbCkbj", "库存报警明细表", P::fpReport},
         {"mnuKctz", "库存调整", P::fpBill},
         {"mnuCkdb", "仓库调拨", P::fpBill},
         {"mnuBbCkkcHz_FC", "分仓库存汇总表", P::fpReport},
         {"mnuQTkcbd", "其他库存变动", P::fpBill},
         {"mnuCpjc", "产品进仓单", P::fpBill}},
        {{"FrameStockPd", "盘点流程", P::fpBill},
         {"mnuLl", "物品领用单", P::fpBill},
         {"mnuTl", "物品归还单", P::fpBill},
         {"mnuBbYwyXsMx", "人员领用明细表", P::fpReport},
         {"mnuBBMHZ", "部门领用汇总表", P::fpReport},
         {"mnuBbHpXsMx", "物品领用明细表", P::fpReport},
         {"mnuBBMLBHZ", "物品类别领用汇总表", P::fpReport},
         {"mnuBbHpTlMx", "物品归还明细帐表", P::fpReport},
         {"mnu_LL_Static_Month_wp", "物品月领用分析", P::fpReport},
         {"mnu_LL_Static_Month_ry", "人员月领用分析", P::fpReport},
         {"mnu_LL_Static_Month_bm", "部门月领用分析", P::fpReport},
         {"mnu_LL_Static_Tu_1", "领用统计图", P::fpReport},
         {"mnuSq", "物品申请单", P::fpBill},
         {"mnu_LL_Static_Tu", "物品领用图表分析", P::fpReport}},
        {{"mnuUser", "用户管理", P::fpTool},
         {"Password_mnu", "更换密码", P::fpTool},
         {"mnuBackup", "备份数据", P::fpTool},
         {"mnuRestore", "恢复数据", P::fpTool},
         {"mnuPopedom", "权限设置", P::fpTool},
         {"mnuAcount", "帐套管理", P::fpTool},
         {"mnuSystemSet", "系统设置", P::fpTool}},
        {},
        {{"mnuFykz", "费用开支单", P::fpBill},
         {"mnuQtsr", "其它收入单", P::fpBill},
         {"mnuYhckqk", "银行存取款", P::fpData},
         {"mnuXjyhBb", "现金银行总帐表", P::fpReport},
         {"mnuBbSzLsz", "现金银行明细帐表", P::fpReport},
         {"mnuBbSzHz", "费用开支及其它收入汇总表", P::fpReport},
         {"mnuBbSzMx", "费用开支及其它收入明细表", P::fpReport}},
        {{"mnuYgdy", "员工档案管理", P::fpData},
         {"mnuYgdd", "员工调动管理", P::fpData},
         {"mnuYgkp", "员工考评管理", P::fpData},
         {"mnuYgpx", "员工培训管理", P::fpData},
         {"mnuYgjc", "员工奖惩管理", P::fpData},
         {"mnuYght", "员工合同管理", P::fpData},
         {"mnuYgtx", "员工调薪管理", P::fpData},
         {"mnuYgxxfx", "员工信息分析图表", P::fpReport},
         {"mnuYgsrtx", "人事信息提醒", P::fpReport}},
        {{"mnuXsdd", "销售订单", P::fpBill},
         {"mnuXskd", "销售出库单", P::fpBill},
         {"mnuXsth", "销售退货单", P::fpBill},
         {"mnuXssk", "销售收款单", P::fpBill}},
    };
    for (int i = 0; i < int(std::size(modulePages)); ++i) {
        const QString pageName = QLatin1String(modulePages[i].page);
        m_pages->addWidget(i == 5 ? createAboutPage() : createPage(pageName, pages[i]));
    }
    body->addWidget(m_pages, 1);

    // Frequently used reports.
    auto *right = new QWidget(this);
    right->setObjectName(QStringLiteral("PanelReports"));
    right->setFixedWidth(200);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(6, 10, 10, 10);
    auto *title = new QLabel(QStringLiteral("常用报表"), right);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(13);
    title->setFont(titleFont);
    title->setStyleSheet(
        QStringLiteral("color: %1; padding: 4px 2px; border-bottom: 2px solid %1;").arg(TitleBlue));
    rightLayout->addWidget(title);
    fcTree_Function = new QTreeWidget(right);
    fcTree_Function->setObjectName(QStringLiteral("fcTree_Function"));
    fcTree_Function->setHeaderHidden(true);
    fcTree_Function->setRootIsDecorated(false);
    fcTree_Function->setIndentation(4);
    fcTree_Function->setIconSize(QSize(16, 16));
    fcTree_Function->setContextMenuPolicy(Qt::CustomContextMenu);
    fcTree_Function->setStyleSheet(
        QStringLiteral("QTreeWidget { border: 1px solid #b9cbe4; background: white; }"
                       "QTreeWidget::item { height: 22px; }"));
    rightLayout->addWidget(fcTree_Function, 1);
    body->addWidget(right);

    auto *popup = new QMenu(fcTree_Function);
    popup->setObjectName(QStringLiteral("PopupReports"));
    popup->addAction(QStringLiteral("清除该常用报表"), this, [this] { DeleteSelectedReport(); })
        ->setObjectName(QStringLiteral("mniDeleteReport"));
    popup->addAction(QStringLiteral("清除全班常用报表"), this, [this] { ClearReports(); })
        ->setObjectName(QStringLiteral("mniClearReports"));
    connect(fcTree_Function, &QTreeWidget::customContextMenuRequested, this,
            [this, popup](const QPoint &at) {
                popup->popup(fcTree_Function->viewport()->mapToGlobal(at));
            });
    connect(fcTree_Function, &QTreeWidget::itemDoubleClicked, this,
            [this] { reportTreeDoubleClicked(); });

    m_reports.Load(ReportFile());
    fillReportTree();
    if (SessionInfo().HideVendorInfo)
        FlatBAbout->hide();
    ModuleButtonClick(ModuleButton(QStringLiteral("FlatBBase")));
}

TfrmMDIClient::~TfrmMDIClient()
{
    SaveReports();
}

QWidget *TfrmMDIClient::createPage(const QString &name, const QList<TileEntry> &tiles)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(12);
    auto addGroup = [&](const QString &caption, bool reports) {
        QList<TileEntry> members;
        for (const TileEntry &tile : tiles) {
            if ((tile.picture == fpReport) == reports)
                members << tile;
        }
        if (members.isEmpty())
            return;
        auto *group = new QGroupBox(caption, page);
        group->setStyleSheet(
            QStringLiteral("QGroupBox { font-weight: bold; color: %1; border: 1px solid #b9cbe4;"
                           " border-radius: 4px; margin-top: 10px; background: white; }"
                           "QGroupBox::title { subcontrol-origin: margin; left: 10px;"
                           " padding: 0 4px; }")
                .arg(TitleBlue));
        auto *flow = new FlowLayout(group, 6);
        flow->setContentsMargins(12, 18, 12, 10);
        for (const TileEntry &entry : members) {
            auto *tile = new QToolButton(group);
            const QString tileName = QLatin1String(entry.name);
            tile->setObjectName(tileName);
            tile->setProperty("workspaceTile", true);
            tile->setText(QString::fromUtf8(entry.caption));
            tile->setIcon(FunctionIcon(entry.picture, 40));
            tile->setIconSize(QSize(40, 40));
            tile->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            tile->setAutoRaise(true);
            tile->setFixedSize(112, 84);
            tile->setCursor(Qt::PointingHandCursor);
            tile->setStyleSheet(QStringLiteral(
                "QToolButton { color: black; border: 1px solid transparent; border-radius: 4px; }"
                "QToolButton:hover { background: #e6effa; border-color: #9db4d6; }"
                "QToolButton:disabled { color: #9a9a9a; }"));
            connect(tile, &QToolButton::clicked, this, [this, tileName] { tileClicked(tileName); });
            flow->addWidget(tile);
        }
        layout->addWidget(group);
    };
    addGroup(QStringLiteral("日常业务"), false);
    addGroup(QStringLiteral("统计分析"), true);
    layout->addStretch(1);
    return page;
}

QWidget *TfrmMDIClient::createAboutPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabAbout"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(30, 24, 30, 24);
    const QString product = SessionInfo().Product.Caption;
    const QList<QPair<QString, QString>> links = {
        {QStringLiteral("电子邮件"), QStringLiteral("mailto:support@vzclient.example.com")},
        {QStringLiteral("公司主页"), QStringLiteral("https://vzclient.example.com/")},
        {QStringLiteral("在线客服"), QStringLiteral("https://vzclient.example.com/support")},
    };
    auto *heading = new QLabel(product, page);
    QFont headingFont = heading->font();
    headingFont.setPixelSize(18);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    layout->addWidget(heading);
    for (const auto &[caption, url] : links) {
        auto *label =
            new QLabel(QStringLiteral("%1：<a href=\"%2\">%3</a>")
                           .arg(caption, url, QString(url).remove(QStringLiteral("mailto:"))),
                       page);
        label->setOpenExternalLinks(true);
        label->setTextInteractionFlags(Qt::TextBrowserInteraction);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    return page;
}

QPushButton *TfrmMDIClient::ModuleButton(const QString &name) const
{
    for (QPushButton *button : m_moduleButtons) {
        if (button->objectName() == name)
            return button;
    }
    return nullptr;
}

void TfrmMDIClient::ModuleButtonClick(QPushButton *clicked)
{
    if (!clicked)
        return;
    for (int i = 0; i < m_moduleButtons.size(); ++i) {
        QPushButton *button = m_moduleButtons[i];
        const QRect g = button->geometry();
        if (button == clicked) {
            button->setStyleSheet(buttonStyle(Qt::white));
            if (!button->text().endsWith(QStringLiteral("   ")))
                button->setText(button->text() + QStringLiteral("   "));
            button->setGeometry(g.left(), g.top(), SelectedWidth, g.height());
            m_pages->setCurrentIndex(m_modulePages[i]);
        } else {
            button->setStyleSheet(buttonStyle(NormalButtonColor));
            button->setText(button->text().trimmed());
            button->setGeometry(g.left(), g.top(), NormalWidth, g.height());
        }
    }
    const QRect g = clicked->geometry();
    m_frameShape->setGeometry(g.left() - 4, g.top() - 4, g.width() + 6 + 2, g.height() + 7);
    m_frameShape->lower();
}

QToolButton *TfrmMDIClient::Tile(const QString &name) const
{
    return m_pages->findChild<QToolButton *>(name);
}

QList<QToolButton *> TfrmMDIClient::Tiles() const
{
    QList<QToolButton *> tiles;
    for (QToolButton *tile : m_pages->findChildren<QToolButton *>()) {
        if (tile->property("workspaceTile").toBool())
            tiles << tile;
    }
    return tiles;
}

void TfrmMDIClient::tileClicked(const QString &name)
{
    if (OnTileClick)
        OnTileClick(name);
}

QString TfrmMDIClient::ReportFile()
{
    return ExeDirFile(QStringLiteral("Tree_Function.txt"));
}

void TfrmMDIClient::SaveReports() const
{
    m_reports.Save(ReportFile());
}

void TfrmMDIClient::fillReportTree()
{
    fcTree_Function->clear();
    const QIcon icon = FunctionIcon(fpReport, 16);
    for (const TRecentReport &entry : m_reports.Entries()) {
        auto *item = new QTreeWidgetItem(fcTree_Function, {entry.Title});
        item->setData(0, Qt::UserRole, entry.ItemName);
        item->setIcon(0, icon);
    }
}

void TfrmMDIClient::AddRecentReport(const QString &caption)
{
    const bool changed = m_reports.Add(caption, [](const QString &title) {
        TTmpDataSet tmp;
        tmp->SetCommandText(
            QStringLiteral("select ObjectName from Sys_FuncTree_office where  FuncNodeName=") +
            QuotedStr(title));
        tmp->Open();
        const QString name = tmp->IsEmpty() ? QString() : tmp->Fields(0)->AsString();
        tmp->Close();
        return name;
    });
    if (!changed)
        return;
    fillReportTree();
    if (fcTree_Function->topLevelItemCount() > 0)
        fcTree_Function->setCurrentItem(fcTree_Function->topLevelItem(0));
}

void TfrmMDIClient::DeleteSelectedReport()
{
    QTreeWidgetItem *item = fcTree_Function->currentItem();
    if (!item)
        return;
    m_reports.RemoveAt(fcTree_Function->indexOfTopLevelItem(item));
    fillReportTree();
}

void TfrmMDIClient::ClearReports()
{
    m_reports.Clear();
    fillReportTree();
}

void TfrmMDIClient::reportTreeDoubleClicked()
{
    if (QTreeWidgetItem *item = fcTree_Function->currentItem())
        tileClicked(item->data(0, Qt::UserRole).toString());
}

void TfrmMDIClient::SetBannerText(const QString &company, const QString &user)
{
    static_cast<TopPicture *>(m_top)->setTexts(company, user);
}

void TfrmMDIClient::closeEvent(QCloseEvent *event)
{
    // The workspace stays open as long as the frame.
    event->ignore();
}
