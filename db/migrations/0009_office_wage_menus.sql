-- The personnel menu reaches every kind of personnel, office and wage record: work history and
-- certificates beside the other employee records, then the office registers and the wages
-- with their trade and process tables. Each item is a function-tree node under 人事管理 (held
-- by the administrators' group, as every node is) and a row of the menu list after 员工信息分析图表.

CREATE TEMP TABLE NewHrItems (Seq INTEGER, NodeNo TEXT, Caption TEXT, Name TEXT);
INSERT INTO NewHrItems (Seq, NodeNo, Caption, Name) VALUES
    (1, '0310', '员工履历管理', 'mnuYglh'),
    (2, '0311', '员工证件管理', 'mnuYgzj'),
    (3, '0312', '请假管理', 'mnuOaLeave'),
    (4, '0313', '加班管理', 'mnuOaOverTime'),
    (5, '0314', '宿舍管理', 'mnuOaHouse'),
    (6, '0315', '钥匙管理', 'mnuOaKeys'),
    (7, '0316', '人员外出登记', 'mnuOaPass'),
    (8, '0317', '来访人员登记', 'mnuOaVisit'),
    (9, '0318', '通讯录', 'mnuOaLinkman'),
    (10, '0319', '计件工资', 'mnuGzJJGZ'),
    (11, '0320', '计时工资', 'mnuGzJSGZ'),
    (12, '0321', '计件工种', 'mnuGzGZong'),
    (13, '0322', '计时工种', 'mnuGzGongZ'),
    (14, '0323', '计件工序', 'mnuGzGXu');

INSERT INTO Sys_FuncTree_office (FuncNodeNo, FuncNodeName, PrevNodeNo, ObjectType, ObjectName)
SELECT NodeNo, Caption, '0300', 'Data', Name FROM NewHrItems ORDER BY Seq;

INSERT INTO Sys_GroupFuncRight (CompanyCode, UserGroupNo, FuncNodeNo, ObjectName, FuncItems, GrantDate)
SELECT 'VZ', 1, NodeNo, Name,
       (SELECT group_concat(FuncItemNo, ',')
          FROM (SELECT FuncItemNo FROM Sys_FuncItem WHERE ObjectType = 'Data' ORDER BY IndexNo)),
       date('now', 'localtime')
  FROM NewHrItems
 WHERE EXISTS (SELECT 1 FROM AppUserGroup WHERE ID = 1)
 ORDER BY Seq;

UPDATE AppMenu SET mIndex = mIndex + (SELECT count(*) FROM NewHrItems)
 WHERE mIndex > (SELECT mIndex FROM AppMenu WHERE mName = 'mnuYgxxfx');
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent)
SELECT Name, Caption, 1,
       coalesce((SELECT mIndex FROM AppMenu WHERE mName = 'mnuYgxxfx'),
                (SELECT ifnull(max(mIndex), 0) FROM AppMenu)) + Seq,
       0
  FROM NewHrItems ORDER BY Seq;

DROP TABLE NewHrItems;
