-- Customers are maintained from a menu item of their own, like suppliers: a function-tree
-- node for its rights (held by the administrators' group, as every node is) and its place in
-- the menu list, before the suppliers.

INSERT INTO Sys_FuncTree_office (FuncNodeNo, FuncNodeName, PrevNodeNo, ObjectType, ObjectName)
VALUES ('0213', '客户资料', '0200', 'Data', 'mnuKh');

INSERT INTO Sys_GroupFuncRight (CompanyCode, UserGroupNo, FuncNodeNo, ObjectName, FuncItems, GrantDate)
SELECT 'VZ', 1, '0213', 'mnuKh',
       (SELECT group_concat(FuncItemNo, ',')
          FROM (SELECT FuncItemNo FROM Sys_FuncItem WHERE ObjectType = 'Data' ORDER BY IndexNo)),
       date('now', 'localtime')
 WHERE EXISTS (SELECT 1 FROM AppUserGroup WHERE ID = 1);

UPDATE AppMenu SET mIndex = mIndex + 1
 WHERE mIndex >= (SELECT mIndex FROM AppMenu WHERE mName = 'mnuGys');
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent)
SELECT 'mnuKh', '客户资料', 1,
       coalesce((SELECT mIndex - 1 FROM AppMenu WHERE mName = 'mnuGys'),
                (SELECT ifnull(max(mIndex), 0) + 1 FROM AppMenu)),
       0;
