-- The receipts from customers and the payments to suppliers get their menu items: the receipt
-- after the sales return, the payment after the purchase return. Their function-tree nodes
-- (and so their rights) exist already. Each step moves the rest of the list down behind its
-- anchor.

UPDATE AppMenu SET mIndex = mIndex + 1
 WHERE mIndex > (SELECT mIndex FROM AppMenu WHERE mName = 'mnuXsth');
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent)
SELECT 'mnuXssk', '销售收款单', 1, mIndex + 1, 0 FROM AppMenu WHERE mName = 'mnuXsth';

UPDATE AppMenu SET mIndex = mIndex + 1
 WHERE mIndex > (SELECT mIndex FROM AppMenu WHERE mName = 'mnuCgth');
INSERT INTO AppMenu (mName, mCaption, mLevel, mIndex, mIsParent)
SELECT 'mnuCgfk', '采购付款单', 1, mIndex + 1, 0 FROM AppMenu WHERE mName = 'mnuCgth';
