-- A few rows in the main tables, so that the corpus also exercises what the texts compute.
INSERT INTO BM (ID, MC, ParentCode, JE) VALUES (1, '总部', 0, 0), (2, '办公室', 1, 5000), (5, '仓储部', 1, 0);
INSERT INTO DQ (ID, MC, ParentCode) VALUES (1, '华东', 0), (2, '上海', 1);
INSERT INTO CK (ID, XH, MC, BMID) VALUES (1, 1, '总仓', 5), (2, 2, '1号仓库', 5);
INSERT INTO YG (ID, BH, XM, BMID, XB, HF, CSRQ, RZRQ, YWYBZ, LZ) VALUES
    (1, 'Y01', '张三', 2, '男', 1, '1980-03-01', '2020-03-01', 1, 0),
    (2, 'Y02', '李四', 5, '女', 0, '1985-07-15', '2021-03-10', 0, 0);
INSERT INTO Pub_ItemType (ItemType, TypeName, ParentCode) VALUES (12, '五金', 0), (15, '螺丝类', 12);
INSERT INTO HP (ID, BH, PM, GG, DW, ZJM, JJ, JJJ, HPLBID, SX, XX, SX1, SX4, CKID, INSL) VALUES
    (7, 'A01', '螺丝', 'M6', '个', 'LS', 0.1, 0.2, 15, 10, 1000, '红', 1.5, 1, 100),
    (8, 'a02', '螺母', 'M6', '个', 'LM', 0.05, 0.1, 15, 0, 0, '', 0, 1, 0),
    (9, 'B01', '扳手', '', '把', 'BS', 12, 20, 12, 2, 50, '', 0, 2, 0);
INSERT INTO KH (ID, BH, MC, DQID, QMJE, YXJE, PriceLevel) VALUES (3, 'K01', '东方商行', 2, 1000, 200, '销售价');
INSERT INTO GYS (ID, BH, MC, DQID, QMJE, YXJE) VALUES (1, 'G01', '东方五金', 2, 500, 0);
INSERT INTO ZH (ID, MC, YHL, QCJE) VALUES (1, '现金', 0, 100), (2, '工商银行', 1, 1000), (3, '备用金', 0, 50);
INSERT INTO SFKFS (ID, BH, MC, ZHID) VALUES (1, '01', '现金', 1);
INSERT INTO SRZCLB (ID, BH, MC, SRL) VALUES (4, 'S01', '运费', 0), (6, 'S02', '租金收入', 1);
INSERT INTO QTKCBDLX (ID, BH, MC, RKL) VALUES (4, '01', '盘盈', 1);
INSERT INTO CGSHZB (ID, DJBH, RQ, uFlag, GYSID, CKID, YGID, ZHID, SFKFSID, JE, XFJE, CGLX, YWY) VALUES
    (5, 'CS2024030001', '2024-03-02', 1, 1, 1, 1, 1, 1, 117, 100, 1, '张三');
INSERT INTO CGSH (ID, ZBID, HH, DJBH, RQ, HPID, SL, DJ, JE, NZK, NSL, SX1, SX4) VALUES
    (1, 5, 1, 'CS2024030001', '2024-03-02', 7, 1000, 0.1, 100, 1, 17, '红', 1.5);
INSERT INTO XSKDZB (ID, DJBH, RQ, uFlag, KHID, CKID, YGID, ZHID, SFKFSID, JE, XSJE, YSJE, XSLX, SKQX, YWY) VALUES
    (5, 'XS2024030001', '2024-03-05', 1, 3, 1, 1, 1, 1, 40, 10, 10, 2, 30, '张三');
INSERT INTO XSKD (ID, ZBID, HH, DJBH, RQ, HPID, SL, DJ, JE, NZK, NSL, CBDJ) VALUES
    (1, 5, 1, 'XS2024030001', '2024-03-05', 7, 200, 0.2, 40, 1, 17, 0.1);
INSERT INTO LLZB (ID, DJBH, RQ, uFlag, CKID, YGID, JSR, BMID, JE) VALUES (5, 'LL2024030001', '2024-03-06', 1, 1, 2, '李四', 5, 5);
INSERT INTO LL (ID, ZBID, HH, DJBH, RQ, HPID, SL, DJ, JE) VALUES (1, 5, 1, 'LL2024030001', '2024-03-06', 7, 50, 0.1, 5);
INSERT INTO Inv_ItemList (id, RQ, BillType, Flag, DJBH, HPID, HH, NZK, NSL, SL, DJ, CBDJ, JE, CustVendID, CKID, YGID, SX1, SX4) VALUES
    (1, '2024-02-20', 'CS', 1, 'CS2024020001', 7, 1, 1, 17, 100, 0.1, 0.1, 10, 1, 1, 1, '红', 1.5),
    (2, '2024-03-02', 'CS', 1, 'CS2024030001', 7, 1, 1, 17, 1000, 0.1, 0.1, 100, 1, 1, 1, '红', 1.5),
    (3, '2024-03-05', 'XS', -1, 'XS2024030001', 7, 1, 1, 17, 200, 0.2, 0.1, 40, 3, 1, 1, '红', 1.5),
    (4, '2024-03-06', 'LL', -1, 'LL2024030001', 7, 1, 1, 0, 50, 0.1, 0.1, 5, 0, 1, 2, '红', 1.5),
    (5, '2024-03-07', 'KCPD', 1, 'PD2024030001', 9, 1, 1, 0, 2, 12, 12, 24, 0, 2, 2, '', 0);
INSERT INTO YHCKQK (ID, RQ, JSR, ZCZHID, ZRZHID, JE) VALUES (5, '2024-03-08', '张三', 1, 2, 50);
INSERT INTO FYKZZB (ID, DJBH, RQ, uFlag, GYSID, ZHID, SFKFSID, JSR, JE) VALUES (5, 'FY2024030001', '2024-03-09', 1, 1, 1, 1, '张三', 30);
INSERT INTO FYKZ (ID, ZBID, HH, SRZCLBID, ZY, JE) VALUES (1, 5, 1, 4, '运费', 30);
INSERT INTO XSSKZB (ID, DJBH, RQ, uFlag, KHID, ZHID, SFKFSID, JE, FKJE) VALUES (5, 'SK2024030001', '2024-03-10', 1, 3, 2, 1, 30, 30);
INSERT INTO XSSK (ID, ZBID, HH, DDID, JE) VALUES (1, 5, 1, 5, 30);
INSERT INTO CompanyInfo (ID, CompanyName, AuditNum) VALUES (1, '示例公司', 1);
