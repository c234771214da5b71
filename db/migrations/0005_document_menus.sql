-- Every document a shop enters has a menu item: the sales documents get a menu of their own
-- after purchasing, and the purchase return, the goods requisition and the product intake
-- join the menus of their subsystems. Their function-tree nodes (and so their rights) exist
-- already; only the menu list learns the new places. Each step moves the rest of the list
-- down behind its anchor.

UPDATE AppMenu SET mIndex = mIndex + 1
 WHERE mIndex > (SELECT mIndex FROM AppMenu WHERE mName = 'mnuCgsh');
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent)
SELECT 'mnuCgth', '采购退货单', 1, mIndex + 1, 0 FROM AppMenu WHERE mName = 'mnuCgsh';

UPDATE AppMenu SET mIndex = mIndex + 4
 WHERE mIndex > (SELECT mIndex FROM AppMenu WHERE mName = 'mnu_CG_Static_Struct');
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent)
SELECT 'subSales', '销售管理', 0, mIndex + 1, 1 FROM AppMenu WHERE mName = 'mnu_CG_Static_Struct'
UNION ALL
SELECT 'mnuXsdd', '销售订单', 1, mIndex + 2, 0 FROM AppMenu WHERE mName = 'mnu_CG_Static_Struct'
UNION ALL
SELECT 'mnuXskd', '销售出库单', 1, mIndex + 3, 0 FROM AppMenu WHERE mName = 'mnu_CG_Static_Struct'
UNION ALL
SELECT 'mnuXsth', '销售退货单', 1, mIndex + 4, 0 FROM AppMenu WHERE mName = 'mnu_CG_Static_Struct';

UPDATE AppMenu SET mIndex = mIndex + 1
 WHERE mIndex > (SELECT mIndex FROM AppMenu WHERE mName = 'subIssue');
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent)
SELECT 'mnuSq', '物品申请单', 1, mIndex + 1, 0 FROM AppMenu WHERE mName = 'subIssue';

UPDATE AppMenu SET mIndex = mIndex + 1
 WHERE mIndex > (SELECT mIndex FROM AppMenu WHERE mName = 'mnuQTkcbd');
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent)
SELECT 'mnuCpjc', '产品进仓单', 1, mIndex + 1, 0 FROM AppMenu WHERE mName = 'mnuQTkcbd';
