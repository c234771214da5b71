// The entries of the main menu.
#include "client/shell/mainmenu.h"

namespace {

using M = TMainMenuEntry;

// clang-format off
const TMainMenuEntry entries[] = {
    {M::Menu, "subFile", "文件(&F)"},
    {M::Submenu, "mnuQcData", "期初录入"},
    // The count window in its opening-stock kind: the first stock a new shop records.
    {M::Child, "dxBarButton1", "商品库存初始化录入", "TFrmPdWork", "KCCS", false, true},
    {M::Submenu, "mnuDataIn", "Excel数据导入"},
    {M::Command, "mnuDataIn_HP", "导入货品资料", "ImportHp", nullptr, false, true},
    {M::Command, "mnuDataIn_YG", "导入员工资料", "ImportYg", nullptr, false, true},
    {M::ModalText, "mnuInitData", "系统初始化", "TFrmInitData", "0"},
    {M::Modal, "mnuBackup", "备份数据", "TFrmExportSQL", nullptr, true},
    {M::Command, "mnuRestore", "恢复数据", "Restore"},
    {M::Command, "mnuCompact", "压缩数据库", "Compact"},
    {M::ModalText, "mnuYearJZ", "年末结转", "TFrmYearJZ", "0"},
    {M::Child, "mnuUser", "用户管理", "TfrmSysUser", nullptr, true},
    {M::Modal, "Password_mnu", "更换密码", "TfrmSysPassword"},
    {M::Child, "mnuPopedom", "权限设置", "TfrmPopedom"},
    {M::Modal, "mnuSystemSet", "系统设置", "TSystemSetFrm"},
    {M::Child, "mnuLog", "操作日志", "TfrmLog"},
    {M::Command, "mnuAlert", "系统提示", "Alert", nullptr, true},
    {M::Modal, "mnuAcount", "帐套管理", "TfrmZTManager"},
    {M::Command, "Exit_mnu", "退出系统", "Exit", nullptr, true},

    {M::Menu, "subBase", "基本资料(&A)"},
    {M::Child, "mnuBm", "部门资料", "TDepartFrm"},
    {M::Child, "mnuDq", "地区资料", "TfrmDq"},
    {M::Child, "mnuKh", "客户资料", "TfrmCust"},
    {M::Child, "mnuGys", "供应商资料", "TfrmVendCust"},
    {M::Child, "mnuYg", "人员资料", "TfrmEemployee", nullptr, true},
    {M::Child, "mnuCk", "仓库资料", "TfrmStockCode"},
    {M::Child, "mnuHp", "货品资料", "TfrmHp"},
    {M::Child, "mnuHplb", "货品类别", "TItemTypeFrm"},
    {M::Child, "mnuQtkcbdlx", "其它库存变动类型", "TfrmQtkcbdlx"},
    {M::Child, "mnuZh", "账户管理", "TfrmArapZh", nullptr, true},
    {M::Child, "mnuSrzclb", "收入支出类别", "TfrmArapZcLb"},
    {M::Child, "mnuSfkfs", "收付款方式", "TfrmArapType"},
    {M::ModalText, "mnuProject", "选项...", "TPub_ProjectFrm", "office", true},

    {M::Menu, "subHr", "人事管理(&B)"},
    {M::Child, "mnuYgdy", "员工档案管理", "TfrmEemployee"},
    {M::HR, "mnuYght", "员工合同管理"},
    {M::HR, "mnuYgpx", "员工培训管理"},
    {M::HR, "mnuYgkp", "员工考评管理"},
    {M::HR, "mnuYgdd", "员工调动管理"},
    {M::HR, "mnuYgjc", "员工奖惩管理"},
    {M::HR, "mnuYgtx", "员工调薪管理"},
    {M::Child, "mnuYgsrtx", "人事信息提醒", "TFrmRptRsTx", nullptr, true},
    {M::Child, "mnuYgxxfx", "员工信息分析图表", "TFrmRptModal_Tu_Rs"},

    {M::Menu, "subPurchase", "采购管理(&C)"},
    {M::Child, "mnuCgsq", "采购申请单", "TfrmCgsqzb"},
    {M::Child, "mnuCgsh", "采购入库单", "TfrmPurInWork"},
    {M::Child, "mnuCgth", "采购退货单", "TfrmPurOutWork"},
    {M::Child, "mnuCgfk", "采购付款单", "TfrmCgfkWork"},
    {M::Child, "mnuBbGysGhHz", "供应商供货汇总表", "TFrmRptCGVentderHZ", nullptr, true},
    {M::Child, "mnuBbGysGhMx", "供应商供货明细表", "TFrmRptCGMX", "供应商供货明细表"},
    {M::Child, "mnuBbYGCgHz", "采购员采购汇总表", "TFrmRptCGYGHZ"},
    {M::Child, "mnuBbHpCgHz", "货品采购汇总表", "TFrmRptCGHZ"},
    {M::Child, "mnuBbHpCgMx", "货品采购明细表", "TFrmRptCGMX", "货品采购明细表"},
    {M::Child, "mnu_CG_Static_Month", "年采购量分析", "TFrm_Static_Month", "年采购量分析", true},
    {M::Child, "mnu_CG_Static_Chart", "采购图形分析", "TFrmRptModal_Tu", "采购图形分析"},
    {M::Child, "mnu_CG_Static_Price", "采购价格分析", "TFrmRptStatic_Price", "采购价格分析"},
    {M::Child, "mnu_CG_Static_Struct", "采购结构分析", "TFrmStatic_Structure", "采购结构分析"},

    {M::Menu, "subSales", "销售管理(&S)"},
    {M::Child, "mnuXsdd", "销售订单", "TfrmXsddzb"},
    {M::Child, "mnuXskd", "销售出库单", "TfrmSalOuntWork"},
    {M::Child, "mnuXsth", "销售退货单", "TfrmSalInWork"},
    {M::Child, "mnuXssk", "销售收款单", "TfrmXsskWork"},

    {M::Menu, "subIssue", "领用管理(&D)"},
    {M::Child, "mnuSq", "物品申请单", "TfrmCgddzb"},
    {M::Child, "mnuLl", "物品领用单", "TfrmStockLlWork"},
    {M::Child, "mnuTl", "物品归还单", "TfrmStockTlWork"},
    {M::Child, "mnuBbHpXsMx", "物品领用明细表", "TFrmRptLLwply", nullptr, true},
    {M::Child, "mnuBBMLBHZ", "物品类别领用汇总表", "TFrmRptLLLBhz"},
    {M::Child, "mnuBbYwyXsMx", "人员领用明细表", "TFrmRptLLryly"},
    {M::Child, "mnuBbYwyXsHz", "人员领用汇总表", "TFrmRptLLrylyHz"},
    {M::Child, "mnuBBMHZ", "部门领用汇总表", "TFrmRptLLbmhz"},
    {M::Child, "mnuBBRate", "部门领用金额占库存比", "TFrmRptLLbmRate"},
    {M::Child, "mnuBbHpTlMx", "物品归还明细帐表", "TFrmRptLLwpgh"},
    {M::Child, "mnu_LL_Static_Month_wp", "物品月领用分析", "TFrm_Static_Month", "物品月领用分析", true},
    {M::Child, "mnu_LL_Static_Month_ry", "人员月领用分析", "TFrm_Static_Month", "人员月领用分析"},
    {M::Child, "mnu_LL_Static_Month_bm", "部门月领用分析", "TFrm_Static_Month", "部门月领用分析"},
    {M::Child, "mnu_LL_Static_Tu", "物品领用图表分析", "TFrmRptModal_Tu", "物品领用图表分析"},

    {M::Menu, "subStock", "库存管理(&E)"},
    {M::Child, "mnuKcpd", "库存盘点", "TFrmPdWork", "KCPD"},
    {M::Child, "mnuCkdb", "仓库调拨", "TfrmStockdbWork", "CKDB"},
    {M::Child, "mnuKctz", "库存调整", "TFrmPdWork", "KCTZ"},
    {M::Child, "mnuQTkcbd", "其他库存变动", "TfrmQtkcbdzb"},
    {M::Child, "mnuCpjc", "产品进仓单", "TfrmProductInWork"},
    {M::Child, "mnuBbCkkcHz", "库存总帐", "TFrmRPTCkkcHz", nullptr, true},
    {M::Child, "mnuBbCkkcMx", "库存明细帐", "TFrmRPTCkMx"},
    {M::Child, "mnuBbCkkcHz_FC", "分仓库存汇总表", "TFrmRptKCZZ_FCHZ"},
    {M::Child, "mnuBbCkbj", "库存报警明细表", "TFrmRPTCkkcBj"},
    {M::Child, "mnuBbPdDif", "盘点差异表", "TFrmRptPdDif"},

    {M::Menu, "subFinance", "财务管理(&F)"},
    {M::Child, "mnuFykz", "费用开支单", "TfrmArapFykzWork"},
    {M::Child, "mnuYhckqk", "银行存取款", "TfrmArapYhck"},
    {M::Child, "mnuQtsr", "其它收入单", "TfrmArapQtsrWork"},
    {M::Child, "mnuXjyhBb", "现金银行总帐表", "TFrmRptXjyhHZ", nullptr, true},
    {M::Child, "mnuBbSzLsz", "现金银行明细帐表", "TFrmRptSzLsz"},
    {M::Child, "mnuBbSzHz", "费用开支及其它收入汇总表", "TFrmRptSzHZ"},
    {M::Child, "mnuBbSzMx", "费用开支及其它收入明细表", "TFrmRptSzMx"},

    {M::Menu, "subTool", "工具(&T)"},
    {M::Command, "Quick_mnu", "设置快捷菜单", "SetQuick"},
    {M::Command, "Tool_mnu", "万年历", "Calendar"},
    {M::Command, "Tool_UpLoad", "上传版本", "Upload"},

    {M::Menu, "subHelp", "帮助(&H)"},
    {M::Command, "URL_mnu", "访问主页", "Url"},
    {M::Command, "About_mnu", "关于", "About"},
};
// clang-format on

} // namespace

std::span<const TMainMenuEntry> MainMenuEntries()
{
    return entries;
}
