-- Catalogue data of a new account set: what a shop needs on its first day.
--
-- The administrator SYS (empty password) and a group holding every right; the company
-- settings row (one audit level, no discount); the function tree that rights and the
-- quick-launch bar are built from, with the function items of each object type; the root
-- department and region, the walk-in customer, a warehouse, cash and bank accounts and
-- payment methods; the small code lists (invoice types, price levels, other stock changes,
-- income and expense categories, goods and employee categories, units and other basic
-- lists); the menu list and the field maps of the goods and employee import.
--
-- The account set's name goes into CompanyInfo.fCompanyName when the file is created.

INSERT INTO CompanyInfo (fAccountID, fBeginDate, fCurrentDate, fEndDate, fNatureMoney,
                         fversion, fCompanyName, fTaxRate, fTaxAddRate, fAuditNum, fZK,
                         fExcelPageSetup, fIsAutoAlarm)
VALUES (1, date('now', 'localtime', 'start of year'), date('now', 'localtime'),
        date('now', 'localtime', 'start of year', '+1 year', '-1 day'), '人民币', 'V9.95', '',
        17, 17, 1, 1, '1.5,1.5,1,1,0.5,0.5', 1);

-- The function tree: one node per menu item, workspace tile, document form and report.
INSERT INTO Sys_FuncTree_office (FuncNodeNo, FuncNodeName, PrevNodeNo, ObjectType, ObjectName) VALUES
    ('0100', '系统管理', '0000', '', ''),
    ('0101', '期初录入', '0100', 'Bill', 'mnuQcData'),
    ('0102', 'Excel数据导入', '0100', 'Data', 'mnuDataIn'),
    ('0103', '系统初始化', '0100', 'Data', 'mnuInitData'),
    ('0104', '备份数据', '0100', 'Data', 'mnuBackup'),
    ('0105', '恢复数据', '0100', 'Data', 'mnuRestore'),
    ('0106', '压缩数据库', '0100', 'Data', 'mnuCompact'),
    ('0107', '年末结转', '0100', 'Data', 'mnuYearJZ'),
    ('0108', '用户管理', '0100', 'Data', 'mnuUser'),
    ('0109', '更换密码', '0100', 'Data', 'Password_mnu'),
    ('0110', '权限设置', '0100', 'Data', 'mnuPopedom'),
    ('0111', '系统设置', '0100', 'Data', 'mnuSystemSet'),
    ('0112', '系统提示', '0100', 'Data', 'mnuAlert'),
    ('0113', '帐套管理', '0100', 'Data', 'mnuAcount'),
    ('0200', '基础资料', '0000', '', ''),
    ('0201', '部门资料', '0200', 'Data', 'mnuBm'),
    ('0202', '地区资料', '0200', 'Data', 'mnuDq'),
    ('0203', '供应商资料', '0200', 'Data', 'mnuGys'),
    ('0204', '人员资料', '0200', 'Data', 'mnuYg'),
    ('0205', '仓库资料', '0200', 'Data', 'mnuCk'),
    ('0206', '货品资料', '0200', 'Data', 'mnuHp'),
    ('0207', '货品类别', '0200', 'Data', 'mnuHplb'),
    ('0208', '其它库存变动类型', '0200', 'Data', 'mnuQtkcbdlx'),
    ('0209', '账户管理', '0200', 'Data', 'mnuZh'),
    ('0210', '收入支出类别', '0200', 'Data', 'mnuSrzclb'),
    ('0211', '收付款方式', '0200', 'Data', 'mnuSfkfs'),
    ('0212', '选项', '0200', 'Data', 'mnuProject'),
    ('0300', '人事管理', '0000', '', ''),
    ('0301', '员工档案管理', '0300', 'Data', 'mnuYgdy'),
    ('0302', '员工合同管理', '0300', 'Data', 'mnuYght'),
    ('0303', '员工培训管理', '0300', 'Data', 'mnuYgpx'),
    ('0304', '员工考评管理', '0300', 'Data', 'mnuYgkp'),
    ('0305', '员工调动管理', '0300', 'Data', 'mnuYgdd'),
    ('0306', '员工奖惩管理', '0300', 'Data', 'mnuYgjc'),
    ('0307', '员工调薪管理', '0300', 'Data', 'mnuYgtx'),
    ('0308', '人事信息提醒', '0300', 'Report', 'mnuYgsrtx'),
    ('0309', '员工信息分析图表', '0300', 'Report', 'mnuYgxxfx'),
    ('0400', '采购管理', '0000', '', ''),
    ('0401', '采购申请单', '0400', 'Bill', 'mnuCgsq'),
    ('0402', '采购入库单', '0400', 'Bill', 'mnuCgsh'),
    ('0403', '供应商供货汇总表', '0400', 'Report', 'mnuBbGysGhHz'),
    ('0404', '供应商供货明细表', '0400', 'Report', 'mnuBbGysGhMx'),
    ('0405', '采购员采购汇总表', '0400', 'Report', 'mnuBbYGCgHz'),
    ('0406', '货品采购汇总表', '0400', 'Report', 'mnuBbHpCgHz'),
    ('0407', '货品采购明细表', '0400', 'Report', 'mnuBbHpCgMx'),
    ('0408', '年采购量分析', '0400', 'Report', 'mnu_CG_Static_Month'),
    ('0409', '采购图形分析', '0400', 'Report', 'mnu_CG_Static_Chart'),
    ('0410', '采购价格分析', '0400', 'Report', 'mnu_CG_Static_Price'),
    ('0411', '采购结构分析', '0400', 'Report', 'mnu_CG_Static_Struct'),
    ('0500', '领用管理', '0000', '', ''),
    ('0501', '物品申请单', '0500', 'Bill', 'mnuSq'),
    ('0502', '物品领用单', '0500', 'Bill', 'mnuLl'),
    ('0503', '物品归还单', '0500', 'Bill', 'mnuTl'),
    ('0504', '物品领用明细表', '0500', 'Report', 'mnuBbHpXsMx'),
    ('0505', '物品类别领用汇总表', '0500', 'Report', 'mnuBBMLBHZ'),
    ('0506', '人员领用明细表', '0500', 'Report', 'mnuBbYwyXsMx'),
    ('0507', '人员领用汇总表', '0500', 'Report', 'mnuBbYwyXsHz'),
    ('0508', '部门领用汇总表', '0500', 'Report', 'mnuBBMHZ'),
    ('0509', '部门领用金额占库存比', '0500', 'Report', 'mnuBBRate'),
    ('0510', '物品归还明细帐表', '0500', 'Report', 'mnuBbHpTlMx'),
    ('0511', '物品月领用分析', '0500', 'Report', 'mnu_LL_Static_Month_wp'),
    ('0512', '人员月领用分析', '0500', 'Report', 'mnu_LL_Static_Month_ry'),
    ('0513', '部门月领用分析', '0500', 'Report', 'mnu_LL_Static_Month_bm'),
    ('0514', '物品领用图表分析', '0500', 'Report', 'mnu_LL_Static_Tu'),
    ('0515', '盘点流程', '0500', 'Bill', 'FrameStockPd'),
    ('0600', '库存管理', '0000', '', ''),
    ('0601', '库存盘点', '0600', 'Bill', 'mnuKcpd'),
    ('0602', '仓库调拨', '0600', 'Bill', 'mnuCkdb'),
    ('0603', '库存调整', '0600', 'Bill', 'mnuKctz'),
    ('0604', '其他库存变动', '0600', 'Bill', 'mnuQTkcbd'),
    ('0605', '库存总帐', '0600', 'Report', 'mnuBbCkkcHz'),
    ('0606', '库存明细帐', '0600', 'Report', 'mnuBbCkkcMx'),
    ('0607', '分仓库存汇总表', '0600', 'Report', 'mnuBbCkkcHz_FC'),
    ('0608', '库存报警明细表', '0600', 'Report', 'mnuBbCkbj'),
    ('0609', '盘点差异表', '0600', 'Report', 'mnuBbPdDif'),
    ('0700', '财务管理', '0000', '', ''),
    ('0701', '费用开支单', '0700', 'Bill', 'mnuFykz'),
    ('0702', '银行存取款', '0700', 'Data', 'mnuYhckqk'),
    ('0703', '其它收入单', '0700', 'Bill', 'mnuQtsr'),
    ('0704', '现金银行总帐表', '0700', 'Report', 'mnuXjyhBb'),
    ('0705', '现金银行明细帐表', '0700', 'Report', 'mnuBbSzLsz'),
    ('0706', '费用开支及其它收入汇总表', '0700', 'Report', 'mnuBbSzHz'),
    ('0707', '费用开支及其它收入明细表', '0700', 'Report', 'mnuBbSzMx'),
    ('0800', '销售及其它单据', '0000', '', ''),
    ('0801', '销售订单', '0800', 'Bill', 'mnuXsdd'),
    ('0802', '销售出库单', '0800', 'Bill', 'mnuXskd'),
    ('0803', '销售退货单', '0800', 'Bill', 'mnuXsth'),
    ('0804', '销售收款单', '0800', 'Bill', 'mnuXssk'),
    ('0805', '采购订单', '0800', 'Bill', 'mnuCgdd'),
    ('0806', '采购退货单', '0800', 'Bill', 'mnuCgth'),
    ('0807', '采购付款单', '0800', 'Bill', 'mnuCgfk'),
    ('0808', '产品进仓单', '0800', 'Bill', 'mnuCpjc'),
    ('0900', '工具', '0000', '', ''),
    ('0901', '设置快捷菜单', '0900', 'Data', 'Quick_mnu'),
    ('0902', '万年历', '0900', 'Data', 'Tool_mnu'),
    ('0903', '上传版本', '0900', 'Data', 'Tool_UpLoad'),
    ('0904', '访问主页', '0900', 'Data', 'URL_mnu'),
    ('0905', '关于', '0900', 'Data', 'About_mnu');

-- Function items. The first audit level is Auditing1; further levels (IndexNo '04' + level)
-- are added and removed with the number of audit levels.
INSERT INTO Sys_FuncItem (ObjectType, IndexNo, FuncItemNo, FuncItemName, PrevItemNo, FuncItemDesc) VALUES
    ('Data', '01', 'Insert', '新增', '', '增加资料'),
    ('Data', '02', 'Modify', '修改', '', '修改资料'),
    ('Data', '03', 'Delete', '删除', '', '删除资料'),
    ('Data', '06', 'Print', '打印', '', '打印资料'),
    ('Data', '07', 'Export', '导出', '', '导出资料'),
    ('Bill', '01', 'Insert', '新增', '', '新增单据'),
    ('Bill', '02', 'Modify', '修改', '', '修改单据'),
    ('Bill', '03', 'Delete', '删除', '', '删除单据'),
    ('Bill', '035', 'Auditing1', '审核', '', '审核单据（第一级）'),
    ('Bill', '05', 'UnAudit', '反审', '', '反审核单据'),
    ('Bill', '06', 'Print', '打印', '', '打印单据'),
    ('Bill', '07', 'Export', '导出', '', '导出单据'),
    ('Report', '06', 'Print', '打印', '', '打印报表'),
    ('Report', '07', 'Export', '导出', '', '导出报表');

-- The administrator and the group that holds every right.
INSERT INTO BM (ID, MC, ParentCode, ZJM) VALUES (1, '公司总部', 0, 'GSZB');
INSERT INTO AppUserGroup (ID, gName, gMemo, bmid, mc) VALUES (1, '管理员', '拥有全部权限', 1, '公司总部');
INSERT INTO AppUser (ID, uCode, uName, uPassword, gID, gName, YGID)
VALUES (1, 'SYS', '系统管理员', '', '(1)', '管理员', 0);
INSERT INTO Sys_GroupFuncRight (CompanyCode, UserGroupNo, FuncNodeNo, ObjectName, FuncItems, GrantDate)
SELECT 'VZ', 1, t.FuncNodeNo, t.ObjectName,
       (SELECT group_concat(FuncItemNo, ',')
          FROM (SELECT FuncItemNo FROM Sys_FuncItem i WHERE i.ObjectType = t.ObjectType ORDER BY IndexNo)),
       date('now', 'localtime')
  FROM Sys_FuncTree_office t
 WHERE t.ObjectName <> ''
 ORDER BY t.FuncNodeNo;

INSERT INTO AppGroupDesktopClass (gName, cName) VALUES
    ('管理员', 'FlatBBase'),
    ('管理员', 'FlatBPur'),
    ('管理员', 'FlatBSale'),
    ('管理员', 'FlatBInvend'),
    ('管理员', 'FlatBSystem'),
    ('管理员', 'FlatBCw'),
    ('管理员', 'FlatBRs'),
    ('管理员', 'FlatBAbout');

-- The shared quick-launch list.
INSERT INTO Sys_UserQuick (VZSystem, UserNo, XH, FuncNodeNo) VALUES
    ('office', 'pub', 0, '0402'),
    ('office', 'pub', 1, '0502'),
    ('office', 'pub', 2, '0206'),
    ('office', 'pub', 3, '0204'),
    ('office', 'pub', 4, '0601'),
    ('office', 'pub', 5, '0605');

-- The menu list, in menu order.
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent) VALUES
    ('subFile', '文件', 0, 1, 1),
    ('mnuQcData', '期初录入', 1, 2, 0),
    ('mnuDataIn', 'Excel数据导入', 1, 3, 0),
    ('mnuInitData', '系统初始化', 1, 4, 0),
    ('mnuBackup', '备份数据', 1, 5, 0),
    ('mnuRestore', '恢复数据', 1, 6, 0),
    ('mnuCompact', '压缩数据库', 1, 7, 0),
    ('mnuYearJZ', '年末结转', 1, 8, 0),
    ('mnuUser', '用户管理', 1, 9, 0),
    ('Password_mnu', '更换密码', 1, 10, 0),
    ('mnuPopedom', '权限设置', 1, 11, 0),
    ('mnuSystemSet', '系统设置', 1, 12, 0),
    ('mnuAlert', '系统提示', 1, 13, 0),
    ('mnuAcount', '帐套管理', 1, 14, 0),
    ('Exit_mnu', '退出系统', 1, 15, 0),
    ('subBase', '基本资料', 0, 16, 1),
    ('mnuBm', '部门资料', 1, 17, 0),
    ('mnuDq', '地区资料', 1, 18, 0),
    ('mnuGys', '供应商资料', 1, 19, 0),
    ('mnuYg', '人员资料', 1, 20, 0),
    ('mnuCk', '仓库资料', 1, 21, 0),
    ('mnuHp', '货品资料', 1, 22, 0),
    ('mnuHplb', '货品类别', 1, 23, 0),
    ('mnuQtkcbdlx', '其它库存变动类型', 1, 24, 0),
    ('mnuZh', '账户管理', 1, 25, 0),
    ('mnuSrzclb', '收入支出类别', 1, 26, 0),
    ('mnuSfkfs', '收付款方式', 1, 27, 0),
    ('mnuProject', '选项...', 1, 28, 0),
    ('subHr', '人事管理', 0, 29, 1),
    ('mnuYgdy', '员工档案管理', 1, 30, 0),
    ('mnuYght', '员工合同管理', 1, 31, 0),
    ('mnuYgpx', '员工培训管理', 1, 32, 0),
    ('mnuYgkp', '员工考评管理', 1, 33, 0),
    ('mnuYgdd', '员工调动管理', 1, 34, 0),
    ('mnuYgjc', '员工奖惩管理', 1, 35, 0),
    ('mnuYgtx', '员工调薪管理', 1, 36, 0),
    ('mnuYgsrtx', '人事信息提醒', 1, 37, 0),
    ('mnuYgxxfx', '员工信息分析图表', 1, 38, 0),
    ('subPurchase', '采购管理', 0, 39, 1),
    ('mnuCgsq', '采购申请单', 1, 40, 0),
    ('mnuCgsh', '采购入库单', 1, 41, 0),
    ('mnuBbGysGhHz', '供应商供货汇总表', 1, 42, 0),
    ('mnuBbGysGhMx', '供应商供货明细表', 1, 43, 0),
    ('mnuBbYGCgHz', '采购员采购汇总表', 1, 44, 0),
    ('mnuBbHpCgHz', '货品采购汇总表', 1, 45, 0),
    ('mnuBbHpCgMx', '货品采购明细表', 1, 46, 0),
    ('mnu_CG_Static_Month', '年采购量分析', 1, 47, 0),
    ('mnu_CG_Static_Chart', '采购图形分析', 1, 48, 0),
    ('mnu_CG_Static_Price', '采购价格分析', 1, 49, 0),
    ('mnu_CG_Static_Struct', '采购结构分析', 1, 50, 0),
    ('subIssue', '领用管理', 0, 51, 1),
    ('mnuLl', '物品领用单', 1, 52, 0),
    ('mnuTl', '物品归还单', 1, 53, 0),
    ('mnuBbHpXsMx', '物品领用明细表', 1, 54, 0),
    ('mnuBBMLBHZ', '物品类别领用汇总表', 1, 55, 0),
    ('mnuBbYwyXsMx', '人员领用明细表', 1, 56, 0),
    ('mnuBbYwyXsHz', '人员领用汇总表', 1, 57, 0),
    ('mnuBBMHZ', '部门领用汇总表', 1, 58, 0),
    ('mnuBBRate', '部门领用金额占库存比', 1, 59, 0),
    ('mnuBbHpTlMx', '物品归还明细帐表', 1, 60, 0),
    ('mnu_LL_Static_Month_wp', '物品月领用分析', 1, 61, 0),
    ('mnu_LL_Static_Month_ry', '人员月领用分析', 1, 62, 0),
    ('mnu_LL_Static_Month_bm', '部门月领用分析', 1, 63, 0),
    ('mnu_LL_Static_Tu', '物品领用图表分析', 1, 64, 0),
    ('subStock', '库存管理', 0, 65, 1),
    ('mnuKcpd', '库存盘点', 1, 66, 0),
    ('mnuCkdb', '仓库调拨', 1, 67, 0),
    ('mnuKctz', '库存调整', 1, 68, 0),
    ('mnuQTkcbd', '其他库存变动', 1, 69, 0),
    ('mnuBbCkkcHz', '库存总帐', 1, 70, 0),
    ('mnuBbCkkcMx', '库存明细帐', 1, 71, 0),
    ('mnuBbCkkcHz_FC', '分仓库存汇总表', 1, 72, 0),
    ('mnuBbCkbj', '库存报警明细表', 1, 73, 0),
    ('mnuBbPdDif', '盘点差异表', 1, 74, 0),
    ('subFinance', '财务管理', 0, 75, 1),
    ('mnuFykz', '费用开支单', 1, 76, 0),
    ('mnuYhckqk', '银行存取款', 1, 77, 0),
    ('mnuQtsr', '其它收入单', 1, 78, 0),
    ('mnuXjyhBb', '现金银行总帐表', 1, 79, 0),
    ('mnuBbSzLsz', '现金银行明细帐表', 1, 80, 0),
    ('mnuBbSzHz', '费用开支及其它收入汇总表', 1, 81, 0),
    ('mnuBbSzMx', '费用开支及其它收入明细表', 1, 82, 0),
    ('subTool', '工具', 0, 83, 1),
    ('Quick_mnu', '设置快捷菜单', 1, 84, 0),
    ('Tool_mnu', '万年历', 1, 85, 0),
    ('Tool_UpLoad', '上传版本', 1, 86, 0),
    ('subHelp', '帮助', 0, 87, 1),
    ('URL_mnu', '访问主页', 1, 88, 0),
    ('About_mnu', '关于', 1, 89, 0);

-- Regions, the walk-in customer, a warehouse, accounts and payment methods.
INSERT INTO DQ (ID, MC, ParentCode) VALUES (1, '全国', 0);
INSERT INTO KH (ID, BH, MC, QC, ZJM, DQID, PriceLevel, BZ)
VALUES (1, '0001', '散客', '零散客户', 'SK', 1, '零售价', '门市零售的客户');
INSERT INTO CK (ID, XH, MC, WZ, BMID) VALUES (1, 1, '总仓', '', 1);
INSERT INTO ZH (ID, MC, YHL, KHYH, YHZH) VALUES
    (1, '现金', 0, '', ''),
    (2, '银行存款', 1, '', '');
INSERT INTO SFKFS (ID, MC, ZHID) VALUES
    (1, '现金', 1),
    (2, '支票', 2),
    (3, '银行转账', 2),
    (4, '刷卡', 2),
    (5, '汇票', 2);

-- Invoice types with the tax rate new lines take, and the sales price levels.
INSERT INTO FPLX (ID, MC, NSL) VALUES
    (1, '收据', 0),
    (2, '普通发票', 3),
    (3, '增值税发票', 17);
INSERT INTO SJZL (ID, MC, XH) VALUES
    (1, '销售价', 1),
    (2, '会员价', 2),
    (3, 'VIP价', 3),
    (4, '零售价', 4),
    (5, '最后销售价', 5),
    (6, '销售价二', 6),
    (7, '销售价三', 7),
    (8, '销售价四', 8);

-- Kinds of other stock changes (RKL 1 = stock increases; THBZ 1 = the goods come back).
INSERT INTO QTKCBDLX (ID, MC, RKL, THBZ) VALUES
    (1, '赠品入库', 1, 0),
    (2, '借入', 1, 1),
    (3, '其它入库', 1, 0),
    (4, '报损出库', 0, 0),
    (5, '借出', 0, 1),
    (6, '样品出库', 0, 0),
    (7, '其它出库', 0, 0);

-- Income and expense categories.
INSERT INTO SRZCLB (ID, BH, MC, SRL, BZ) VALUES
    (1, '101', '办公费', 0, '办公用品、文具、印刷'),
    (2, '102', '差旅费', 0, '交通、住宿、出差补助'),
    (3, '103', '水电费', 0, ''),
    (4, '104', '房租物业', 0, ''),
    (5, '105', '运杂费', 0, '运费、装卸费'),
    (6, '106', '通讯费', 0, '电话、网络'),
    (7, '107', '业务招待费', 0, ''),
    (8, '108', '工资福利', 0, ''),
    (9, '109', '维修费', 0, ''),
    (10, '110', '其它费用', 0, ''),
    (11, '201', '利息收入', 1, ''),
    (12, '202', '租金收入', 1, ''),
    (13, '203', '废品收入', 1, ''),
    (14, '204', '其它收入', 1, '');

-- Goods categories, costing kinds and stock kinds.
INSERT INTO Pub_ItemType (ItemType, TypeName, ParentCode) VALUES
    (1, '原材料', 0),
    (2, '产成品', 0),
    (3, '办公用品', 0),
    (4, '低值易耗品', 0),
    (5, '其它', 0);
INSERT INTO HPHSFF (ID, MC, LB) VALUES
    (1, '库存商品', 1),
    (2, '服务/劳务', 2),
    (3, '其它收入', 3),
    (4, '其它支出', 4),
    (5, '折扣', 5);
INSERT INTO HPHSFS (ID, MC) VALUES
    (1, '加权平均'),
    (2, '先进先出');

-- Employee categories (also listed in zc_Project under 9991 for the employee import).
INSERT INTO YGLB (ID, MC) VALUES
    (1, '正式员工'),
    (2, '试用员工'),
    (3, '临时工'),
    (4, '实习生');
INSERT INTO zc_Project (id, pid, name) VALUES
    (9991, 0, '员工类别'),
    (1, 9991, '正式员工'),
    (2, 9991, '试用员工'),
    (3, 9991, '临时工'),
    (4, 9991, '实习生');

-- Member levels and wage items.
INSERT INTO VIPLevel (ID, MC, ZK) VALUES
    (1, '普通会员', 1),
    (2, '银卡会员', 0.95),
    (3, '金卡会员', 0.9);
INSERT INTO Gz_Item (ID, MC, XH, JJBZ) VALUES
    (1, '基本工资', 1, 1),
    (2, '岗位津贴', 2, 1),
    (3, '加班费', 3, 1),
    (4, '绩效奖金', 4, 1),
    (5, '社保扣款', 5, 0),
    (6, '个人所得税', 6, 0);

-- Basic lists: each top node names a list, its children are the list's values.
INSERT INTO pub_Project (ItemType, TypeName, ParentCode, ParentName, VZSystem) VALUES
    (1, '计量单位', 0, '', 'office'),
    (101, '个', 1, '计量单位', 'office'),
    (102, '件', 1, '计量单位', 'office'),
    (103, '台', 1, '计量单位', 'office'),
    (104, '套', 1, '计量单位', 'office'),
    (105, '只', 1, '计量单位', 'office'),
    (106, '支', 1, '计量单位', 'office'),
    (107, '本', 1, '计量单位', 'office'),
    (108, '张', 1, '计量单位', 'office'),
    (109, '包', 1, '计量单位', 'office'),
    (110, '盒', 1, '计量单位', 'office'),
    (111, '箱', 1, '计量单位', 'office'),
    (112, '瓶', 1, '计量单位', 'office'),
    (113, '桶', 1, '计量单位', 'office'),
    (114, '袋', 1, '计量单位', 'office'),
    (115, '卷', 1, '计量单位', 'office'),
    (116, '把', 1, '计量单位', 'office'),
    (117, '双', 1, '计量单位', 'office'),
    (118, '米', 1, '计量单位', 'office'),
    (119, '千克', 1, '计量单位', 'office'),
    (120, '吨', 1, '计量单位', 'office'),
    (121, '升', 1, '计量单位', 'office'),
    (2, '职务', 0, '', 'office'),
    (201, '总经理', 2, '职务', 'office'),
    (202, '副总经理', 2, '职务', 'office'),
    (203, '部门经理', 2, '职务', 'office'),
    (204, '主管', 2, '职务', 'office'),
    (205, '会计', 2, '职务', 'office'),
    (206, '出纳', 2, '职务', 'office'),
    (207, '采购员', 2, '职务', 'office'),
    (208, '销售员', 2, '职务', 'office'),
    (209, '仓管员', 2, '职务', 'office'),
    (210, '文员', 2, '职务', 'office'),
    (211, '技术员', 2, '职务', 'office'),
    (212, '操作工', 2, '职务', 'office'),
    (213, '司机', 2, '职务', 'office'),
    (3, '学历', 0, '', 'office'),
    (301, '博士', 3, '学历', 'office'),
    (302, '硕士', 3, '学历', 'office'),
    (303, '本科', 3, '学历', 'office'),
    (304, '大专', 3, '学历', 'office'),
    (305, '中专', 3, '学历', 'office'),
    (306, '高中', 3, '学历', 'office'),
    (307, '初中', 3, '学历', 'office'),
    (4, '民族', 0, '', 'office'),
    (401, '汉族', 4, '民族', 'office'),
    (402, '回族', 4, '民族', 'office'),
    (403, '满族', 4, '民族', 'office'),
    (404, '蒙古族', 4, '民族', 'office'),
    (405, '壮族', 4, '民族', 'office'),
    (406, '苗族', 4, '民族', 'office'),
    (407, '土家族', 4, '民族', 'office'),
    (408, '朝鲜族', 4, '民族', 'office'),
    (5, '政治面貌', 0, '', 'office'),
    (501, '中共党员', 5, '政治面貌', 'office'),
    (502, '共青团员', 5, '政治面貌', 'office'),
    (503, '民主党派', 5, '政治面貌', 'office'),
    (504, '群众', 5, '政治面貌', 'office'),
    (6, '客户来源', 0, '', 'office'),
    (601, '老客户介绍', 6, '客户来源', 'office'),
    (602, '电话联系', 6, '客户来源', 'office'),
    (603, '网络', 6, '客户来源', 'office'),
    (604, '展会', 6, '客户来源', 'office'),
    (605, '上门拜访', 6, '客户来源', 'office'),
    (7, '客户状态', 0, '', 'office'),
    (701, '潜在客户', 7, '客户状态', 'office'),
    (702, '意向客户', 7, '客户状态', 'office'),
    (703, '成交客户', 7, '客户状态', 'office'),
    (704, '流失客户', 7, '客户状态', 'office');

-- Field maps of the spreadsheet import: the first field of each map is its key. DataType S
-- is text, F a number; I is a name that the import turns into the key of its table.
INSERT INTO ExportCompTable (Code, Name, DataType, Type, VZSystem, OrderIndex) VALUES
    ('BH', '货品编号', 'S', 'hp', 'hp', 1),
    ('PM', '货品名称', 'S', 'hp', 'hp', 2),
    ('GG', '货品规格', 'S', 'hp', 'hp', 3),
    ('DW', '计量单位', 'S', 'hp', 'hp', 4),
    ('HPLBID', '货品类别', 'I', 'hp', 'hp', 5),
    ('BarCode', '条形码', 'S', 'hp', 'hp', 6),
    ('ZJM', '助记码', 'S', 'hp', 'hp', 7),
    ('JJ', '采购价', 'F', 'hp', 'hp', 8),
    ('JJJ', '批发价', 'F', 'hp', 'hp', 9),
    ('JHY', '会员价', 'F', 'hp', 'hp', 10),
    ('JVIP', 'VIP价', 'F', 'hp', 'hp', 11),
    ('JQJ', '零售价', 'F', 'hp', 'hp', 12),
    ('SX', '最低库存', 'F', 'hp', 'hp', 13),
    ('XX', '最高库存', 'F', 'hp', 'hp', 14),
    ('CKID', '仓库', 'I', 'hp', 'hp', 15),
    ('InSL', '期初数量', 'F', 'hp', 'hp', 16),
    ('BZ', '备注', 'S', 'hp', 'hp', 17),
    ('BH', '员工编号', 'S', 'yg', 'yg', 1),
    ('XM', '姓名', 'S', 'yg', 'yg', 2),
    ('XB', '性别', 'S', 'yg', 'yg', 3),
    ('BMID', '部门', 'I', 'yg', 'yg', 4),
    ('ZW', '职务', 'S', 'yg', 'yg', 5),
    ('CSRQ', '出生日期', 'S', 'yg', 'yg', 6),
    ('MZ', '民族', 'S', 'yg', 'yg', 7),
    ('XL', '学历', 'S', 'yg', 'yg', 8),
    ('ZUANYE', '专业', 'S', 'yg', 'yg', 9),
    ('DH', '电话', 'S', 'yg', 'yg', 10),
    ('BP', '手机', 'S', 'yg', 'yg', 11),
    ('ZZ', '住址', 'S', 'yg', 'yg', 12),
    ('SFZH', '身份证号', 'S', 'yg', 'yg', 13),
    ('JG', '籍贯', 'S', 'yg', 'yg', 14),
    ('RZRQ', '入职日期', 'S', 'yg', 'yg', 15),
    ('JBGZ', '基本工资', 'F', 'yg', 'yg', 16),
    ('BZ', '备注', 'S', 'yg', 'yg', 17);
