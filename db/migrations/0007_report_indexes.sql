-- The stock reports sum the ledger per goods and date: quantities and costs (SL, Flag, CBDJ,
-- NZK, NSL, DJ) up to a date, per goods, warehouse and attribute values. An index holding those
-- columns in goods and date order lets SQLite answer them from the index alone, without
-- reading the wide ledger rows, and the running balances in goods and date order without a
-- sort. Attributes are mostly empty and then cost a byte or none per row.
--
-- It begins with the columns of the (HPID, RQ) index and serves every lookup that one served,
-- so that one goes: posting a document then maintains as many goods-ordered indexes as before.
CREATE INDEX Inv_ItemList_Ledger
    ON Inv_ItemList (HPID, RQ, Flag, SL, CBDJ, NZK, NSL, DJ, CKID, SX1, SX2, SX3, SX4, SX5, SX6);
DROP INDEX Inv_ItemList_HPID_RQ;
