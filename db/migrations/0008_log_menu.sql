-- The operation log has a menu item of its own: a function-tree node for its rights (held by
-- the administrators' group, as every node is) and its place in the menu list, after the
-- system settings.

INSERT INTO Sys_FuncTree_office (FuncNodeNo, FuncNodeName, PrevNodeNo, ObjectType, ObjectName)
VALUES ('0114', '操作日志', '0100', 'Data', 'mnuLog');

INSERT INTO Sys_GroupFuncRight (CompanyCode, UserGroupNo, FuncNodeNo, ObjectName, FuncItems, GrantDate)
SELECT 'VZ', 1, '0114', 'mnuLog',
       (SELECT group_concat(FuncItemNo, ',')
          FROM (SELECT FuncItemNo FROM Sys_FuncItem WHERE ObjectType = 'Data' ORDER BY IndexNo)),
       date('now', 'localtime')
 WHERE EXISTS (SELECT 1 FROM AppUserGroup WHERE ID = 1);

UPDATE AppMenu SET mIndex = mIndex + 1
 WHERE mIndex > (SELECT mIndex FROM AppMenu WHERE mName = 'mnuSystemSet');
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent)
SELECT 'mnuLog', '操作日志', 1,
       coalesce((SELECT mIndex + 1 FROM AppMenu WHERE mName = 'mnuSystemSet'),
                (SELECT ifnull(max(mIndex), 0) + 1 FROM AppMenu)),
       0;
