-- A code names a row of the master data to the clerks: goods, customers, suppliers and
-- employees are chosen by it on every document, so two rows under one code could not be told
-- apart. Their code indexes become unique keys (NOCASE, as the columns compare; AppUser.uCode
-- has been one from the start). A table that already holds duplicates keeps a plain index:
-- the upgrade does not fail, it lists every duplicate code in KeyDuplicates and in the server
-- log, and the table stays without the key.

CREATE TABLE KeyDuplicates (
    ID INTEGER PRIMARY KEY,
    TableName VARCHAR(50) NOT NULL COLLATE NOCASE,
    KeyName VARCHAR(50) NOT NULL COLLATE NOCASE,
    Code VARCHAR(255) COLLATE NOCASE,
    Rows INTEGER NOT NULL DEFAULT 0,
    Noted DATETIME
);

DROP INDEX HP_BH;
CREATE UNIQUE INDEX HP_BH ON HP (BH);
DROP INDEX KH_BH;
CREATE UNIQUE INDEX KH_BH ON KH (BH);
DROP INDEX GYS_BH;
CREATE UNIQUE INDEX GYS_BH ON GYS (BH);
DROP INDEX YG_BH;
CREATE UNIQUE INDEX YG_BH ON YG (BH);
