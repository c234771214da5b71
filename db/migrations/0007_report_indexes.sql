-- The stock reports sum the ledger per goods and date: quantities and costs (SL, Flag, CBDJ,
-- NZK, NSL, DJ) up to a date, per goods and warehouse. An index holding those columns in goods
-- and date order lets SQLite answer them from the index alone, in the order of their GROUP BY,
-- without reading the wide ledger rows or sorting. The (HPID, RQ) index stays for the single
-- goods lookups of the document forms, which read the rows themselves.
CREATE INDEX Inv_ItemList_Ledger ON Inv_ItemList (HPID, RQ, Flag, SL, CBDJ, NZK, NSL, DJ, CKID);
