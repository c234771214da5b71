-- The texts the client builds with its dialect routines (date literals, conditional
-- expressions, null handling, boolean literals), in the Jet (file database) form. Pieces are joined as the
-- client joins them; user values are sample values.

-- next record ID
select iif(isnull(max(ID)), 1, max(ID)+1) from XSKDZB where ID > 0;

-- next record ID of the edit form
select iif(isnull(max(ID)), 1, max(ID)+1) from Gys;

-- next record ID of a tree table
select iif(isnull(max(ID)), 1, max(ID)+1) from BM;

-- stock on hand
 select sum(flag*sl) as qty From Inv_ItemList  where 1=1  and hpid =7 and RQ <= #2024-03-01# and CKID = 1;

-- weighted average cost
 select sum(sl*dj)/sum(sl) From Inv_ItemList  where flag=1  and hpid =7 and RQ <= #2024-03-01# and CKID = 1;

-- goods lookup of the document form
 select BH,PM,GG,ZJM  from HP H inner join  Pub_ItemType  C on H.HPLBID=C.ItemType  and h.zt=false order by H.BH;

-- goods lookup with a category scope
 select BH,PM,GG,ZJM  from HP H inner join ( SELECT A.TypeName AS ParentName, C.* FROM Pub_ItemType  C LEFT JOIN Pub_ItemType  A ON C.ParentCode=A.ItemType where C.ItemType not in (select ItemType from Sys_GroupUnRight_HPLB where UserGroupNo in (1,2)) ) C  on H.HPLBID=C.ItemType  where H.IsMaterial = true and h.zt=false order by H.BH;

-- other stock change posting
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID)  select D.RQ,'QB',iif(L.RKL,1,-1) ,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,0 from (QTKCBDZB M left outer join QTKCBD D on M.ID=D.ZBID)  left outer join QTKCBDLX L  on M.QTKCBDLXID = L.ID where M.DJBH='QB2024030001';

-- employee list
 select Y.*, C.MC as aBMMC, 'yglb' as aYGLBMC, iif(YWYBZ,'是','否')  as aYWYBZ, '月薪' as aJSFF, iif(LZ,'是','否')  as aLZ from YG Y inner join  BM C  on Y.BMID = C.ID where 1=1  and bh like 'Y%' or XM like 'Y%' or y.zjm like 'Y%' order by BH ;

-- employee list of a department
 select Y.*, C.MC as aBMMC, 'yglb' as aYGLBMC, iif(YWYBZ,'是','否')  as aYWYBZ, '月薪' as aJSFF, iif(LZ,1,0)  as aLZ from YG Y inner join ( SELECT A.MC  AS ParentName, C.* FROM BM C LEFT JOIN  BM  A ON C.ParentCode=A.ID where C.ID in (1,2) ) C on Y.BMID = C.ID where 1=1  and C.ID In(2,5 ) order by BH ;

-- income and expense categories
 select *,iif(SRL,'收入类','支出类')  as aSRL from Srzclb  order by BH;

-- category picker, expenses
select *,iif(SRL,'收入类','支出类')  as aSRL from SRZCLB  where 1=1 and SRL = false and BH like 'S%' order by BH;

-- category picker, income
select *,iif(SRL,'收入类','支出类')  as aSRL from SRZCLB  where 1=1 and SRL = true order by BH;

-- category picker, all (empty filter)
select *,iif(SRL,'收入类','支出类')  as aSRL from SRZCLB  where 1=1 and  order by BH;

-- category picker, all, searching
select *,iif(SRL,'收入类','支出类')  as aSRL from SRZCLB  where 1=1 and  and BH like 'S%' and MC like '%费%' order by BH;

-- goods picker
 select H.*,  C.TypeName as aHPLBMC  from HP H inner join  Pub_ItemType  C on H.HPLBID=C.ItemType where 1=1   and H.IsMaterial =true and H.IsProduct =true and H.ZT =false order by H.BH ;

-- goods picker search
 select H.*, C.TypeName as aHPLBMC from HP H inner join  Pub_ItemType  C on H.HPLBID=C.ItemType  where h.zt = false and bh like 'A%' or pm like 'A%' or zjm like 'A%' order by H.BH ;

-- goods picker stock
 select mc,sum(flag*sl) as qty From Inv_ItemList a,  CK C  where 1=1  and  a.CKID=C.ID   and hpid =7 and RQ <= #2024-03-31# group by mc ;

-- goods picker stock, warehouse scope
 select mc,sum(flag*sl) as qty From Inv_ItemList a, ( select b.mc as bmmc,c.* from CK  C  left join BM B on c.bmid=b.id where BMID in (1,2) ) C  where 1=1  and  a.CKID=C.ID   and hpid =7 and RQ <= #2024-03-31# group by mc ;

-- document list, dates and drafts
select Z.*,   '增值税发票' as aFPLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, S.MC as aSFKFSMC, H.MC as aZHMC from (((CGSHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left outer join  ZH H on  Z.ZHID = H.ID where 1=1  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31# and uFlag <>1 order by Z.DJBH;

-- document list, audited
select Z.*,   '增值税发票' as aFPLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, S.MC as aSFKFSMC, H.MC as aZHMC from (((CGSHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left outer join  ZH H on  Z.ZHID = H.ID where 1=1  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31# and uFlag=1 order by Z.DJBH;

-- document list, pending audits
select Z.*,   '增值税发票' as aFPLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, S.MC as aSFKFSMC, H.MC as aZHMC from (((CGSHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left outer join  ZH H on  Z.ZHID = H.ID where 1=1  and uFlag <>2 order by Z.DJBH;

-- single document view
select Z.*,   '增值税发票' as aFPLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, S.MC as aSFKFSMC, H.MC as aZHMC from (((CGSHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left outer join  ZH H on  Z.ZHID = H.ID where 1=1  and Z.ID = 5 order by Z.DJBH;

-- stock ledger
select * from ( select (H.BH+'_'+PM ) as BHPM,'' as ZBID_BH,'' as RQ,'0000' as RQ_orderby,-2 as id, '' as DJ, H.BH,PM,'' as GG ,'' as DW,'' as TypeName,'' as LX, 0 as SLA,0 as DJA,0 as JEA,0 as SLB,0 as DJB,0 as JEB,0 as SLC,0 as DJC,0 as JEC,0 as SLD,0 as DJD,0 as JED from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y  where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ <=#2024-03-31# and M.RQ <=#2024-03-31# union  select '' as BHPM,'期初结存' as ZBID_BH,'' as RQ,'0001' as RQ_orderby,-1 as id, '' as DJ,BH,PM,'' as GG ,'' as DW,'' as TypeName,'' as LX, SLA,DJA,JEA,0 as SLB,0 as DJB,0 as JEB,0 as SLC,0 as DJC,0 as JEC,0 as SLD,0 as DJD,0 as JED from ( select hpid,sum(sl*flag) as SLA,sum(sl*cbdj*flag) as JEA,iif(sum(sl*flag)=0,0,sum(sl*cbdj*flag)/sum(sl*flag))  as DJA  from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ <#2024-03-01#) m group by hpid ) a left join hp b on a.hpid=b.id where SLA <> 0 union select '' as BHPM,DJBH as ZBID_BH, RQ, RQ as RQ_orderby,id,DJ,BH,PM,GG,DW,TypeName,switch(BillType='CS','采购收货',BillType='CT','采购退货',BillType='XS','销售出库',BillType='XT','销售退货',BillType='CKDB','仓库调拨',BillType='KCPD','盘亏盘盈',BillType='KCTZ','库存调整',true,switch(BillType='LL','领料',BillType='TL','退料',BillType='CJ','产品进仓',BillType='QB','库存变动',BillType='PS','零售',BillType='HPZZ','货品组装',BillType='HPCF','货品拆分')) as LX, 0 as SLA,0 as DJA,0 as JEA, iif(flag = 1,SL,0) as SLB, iif(flag = 1,DJ,0) as DJB, iif(flag = 1,JE,0) as JEB, iif(flag = -1,SL,0) as SLC, iif(flag = -1,CBDJ,0) as DJC, iif(flag = -1,SL*CBDJ,0) as JEC, SLD,iif(SLD=0,0,JED/SLD) ,iif(SLD=0,0,JED)  from (select a.*, (select sum(sl*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as SLD, (select sum(sl*cbdj*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as JED from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) a) b union  select '' as BHPM,'期末结存' as ZBID_BH,'' as RQ,'zzzz' as RQ_orderby,999999 as id, '' as DJ,BH,PM,'' as GG,'' as DW,'' as TypeName,'' as LX, 0 as SLA,0 as DJA,0 as JEA,0 as SLB,0 as DJB,0 as JEB,0 as SLC,0 as DJC,0 as JEC,SLD,DJD,iif(SLD=0,0,JED)  from ( select hpid,sum(sl*flag) as SLD,sum(sl*cbdj*flag) as JED,iif(sum(sl*flag)=0,0,sum(sl*cbdj*flag)/sum(sl*flag))  as DJD from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ <=#2024-03-31#) m group by hpid ) a left join hp b on a.hpid=b.id ) k  order by BH,RQ_orderby,id;

-- stock ledger, movements only
 select (BH+'_'+PM ) as BHPM,DJBH as ZBID_BH, RQ, RQ as RQ_orderby,id,DJ,BH,PM,GG,DW,TypeName,switch(BillType='CS','采购收货',BillType='CT','采购退货',BillType='XS','销售出库',BillType='XT','销售退货',BillType='CKDB','仓库调拨',BillType='KCPD','盘亏盘盈',BillType='KCTZ','库存调整',true,switch(BillType='LL','领料',BillType='TL','退料',BillType='CJ','产品进仓',BillType='QB','库存变动',BillType='PS','零售',BillType='HPZZ','货品组装',BillType='HPCF','货品拆分')) as LX, 0 as SLA,0 as DJA,0 as JEA, iif(flag = 1,SL,0) as SLB, iif(flag = 1,DJ,0) as DJB, iif(flag = 1,JE,0) as JEB, iif(flag = -1,SL,0) as SLC, iif(flag = -1,CBDJ,0) as DJC, iif(flag = -1,SL*CBDJ,0) as JEC, SLD,iif(SLD=0,0,JED/SLD) ,iif(SLD=0,0,JED)  from (select a.*, (select sum(sl*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as SLD, (select sum(sl*cbdj*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as JED from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) a) b order by BH,RQ,id;

-- stock ledger with attributes
select * from ( select (H.BH+'_'+PM ) as BHPM,'' as ZBID_BH,'' as RQ,'0000' as RQ_orderby,-2 as id, '' as DJ, H.BH,PM,'' as GG ,'' as SX1,0 as SX4,'' as DW,'' as TypeName,'' as LX, 0 as SLA,0 as DJA,0 as JEA,0 as SLB,0 as DJB,0 as JEB,0 as SLC,0 as DJC,0 as JEC,0 as SLD,0 as DJD,0 as JED from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y  where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ <=#2024-03-31# and M.RQ <=#2024-03-31# union  select '' as BHPM,'期初结存' as ZBID_BH,'' as RQ,'0001' as RQ_orderby,-1 as id, '' as DJ,BH,PM,'' as GG ,'' as SX1,0 as SX4,'' as DW,'' as TypeName,'' as LX, SLA,DJA,JEA,0 as SLB,0 as DJB,0 as JEB,0 as SLC,0 as DJC,0 as JEC,0 as SLD,0 as DJD,0 as JED from ( select hpid,sum(sl*flag) as SLA,sum(sl*cbdj*flag) as JEA,iif(sum(sl*flag)=0,0,sum(sl*cbdj*flag)/sum(sl*flag))  as DJA  from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ <#2024-03-01#) m group by hpid ) a left join hp b on a.hpid=b.id where SLA <> 0 union select '' as BHPM,DJBH as ZBID_BH, RQ, RQ as RQ_orderby,id,DJ,BH,PM,GG,SX1,SX4,DW,TypeName,switch(BillType='CS','采购收货',BillType='CT','采购退货',BillType='XS','销售出库',BillType='XT','销售退货',BillType='CKDB','仓库调拨',BillType='KCPD','盘亏盘盈',BillType='KCTZ','库存调整',true,switch(BillType='LL','领料',BillType='TL','退料',BillType='CJ','产品进仓',BillType='QB','库存变动',BillType='PS','零售',BillType='HPZZ','货品组装',BillType='HPCF','货品拆分')) as LX, 0 as SLA,0 as DJA,0 as JEA, iif(flag = 1,SL,0) as SLB, iif(flag = 1,DJ,0) as DJB, iif(flag = 1,JE,0) as JEB, iif(flag = -1,SL,0) as SLC, iif(flag = -1,CBDJ,0) as DJC, iif(flag = -1,SL*CBDJ,0) as JEC, SLD,iif(SLD=0,0,JED/SLD) ,iif(SLD=0,0,JED)  from (select a.*, (select sum(sl*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as SLD, (select sum(sl*cbdj*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as JED from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) a) b union  select '' as BHPM,'期末结存' as ZBID_BH,'' as RQ,'zzzz' as RQ_orderby,999999 as id, '' as DJ,BH,PM,'' as GG,'' as SX1,0 as SX4,'' as DW,'' as TypeName,'' as LX, 0 as SLA,0 as DJA,0 as JEA,0 as SLB,0 as DJB,0 as JEB,0 as SLC,0 as DJC,0 as JEC,SLD,DJD,iif(SLD=0,0,JED)  from ( select hpid,sum(sl*flag) as SLD,sum(sl*cbdj*flag) as JED,iif(sum(sl*flag)=0,0,sum(sl*cbdj*flag)/sum(sl*flag))  as DJD from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ <=#2024-03-31#) m group by hpid ) a left join hp b on a.hpid=b.id ) k  order by BH,RQ_orderby,id;

-- stock ledger, movements only with attributes
 select (BH+'_'+PM ) as BHPM,DJBH as ZBID_BH, RQ, RQ as RQ_orderby,id,DJ,BH,PM,GG,SX1,SX4,DW,TypeName,switch(BillType='CS','采购收货',BillType='CT','采购退货',BillType='XS','销售出库',BillType='XT','销售退货',BillType='CKDB','仓库调拨',BillType='KCPD','盘亏盘盈',BillType='KCTZ','库存调整',true,switch(BillType='LL','领料',BillType='TL','退料',BillType='CJ','产品进仓',BillType='QB','库存变动',BillType='PS','零售',BillType='HPZZ','货品组装',BillType='HPCF','货品拆分')) as LX, 0 as SLA,0 as DJA,0 as JEA, iif(flag = 1,SL,0) as SLB, iif(flag = 1,DJ,0) as DJB, iif(flag = 1,JE,0) as JEB, iif(flag = -1,SL,0) as SLC, iif(flag = -1,CBDJ,0) as DJC, iif(flag = -1,SL*CBDJ,0) as JEC, SLD,iif(SLD=0,0,JED/SLD) ,iif(SLD=0,0,JED)  from (select a.*, (select sum(sl*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as SLD, (select sum(sl*cbdj*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as JED from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) a) b order by BH,RQ,id;

-- stock general ledger
 select BH, PM, GG,DW,TypeName,SLA,JEA,SLB,JEB,SLC,JEC,(SLA+SLB-SLC) as SLD,iif(isnull(JEA),0,JEA)+iif(isnull(JEB),0,JEB)-iif(isnull(JEC),0,JEC) as JED ,SX1,SX4 from ( select BH, PM, GG,DW,TypeName, iif(isnull(J.QCJCSL),0,J.QCJCSL)as SLA, iif(isnull(J.QCJCJE),0,J.QCJCJE)as JEA, iif(isnull(J.BQSRSL),0,J.BQSRSL)as SLB, iif(isnull(J.BQSRJE),0,J.BQSRJE)as JEB, iif(isnull(J.BQFCSL),0,J.BQFCSL)as SLC, iif(isnull(J.BQFCJE),0,J.BQFCJE)as JEC ,SX1,SX4 from ( select HPID,BH, PM, GG,DW,TypeName, sum(iif(RQ < #2024-03-01#,SL * Flag  ,0) ) as QCJCSL,  sum(iif(RQ < #2024-03-01#,SL * JJ*Flag  ,0) ) as QCJCJE,  sum(iif(M.Flag = 1 and RQ >= #2024-03-01#,SL  ,0) ) as BQSRSL,  sum(iif(M.Flag = 1 and RQ >= #2024-03-01#,SL * CBDJ*NZK*(1+NSL/100)  ,0) ) as BQSRJE,  sum(iif(M.Flag = -1 and RQ >= #2024-03-01#,SL  ,0) ) as BQFCSL,  sum(iif(M.Flag = -1 and RQ >= #2024-03-01#,SL * CBDJ*NZK*(1+NSL/100),0) ) as BQFCJE,  0.00 as SLD ,  0.00 as JED ,SX1,SX4 from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ <=#2024-03-31#) M group by HPID,BH, PM, GG,DW,TypeName ,SX1,SX4) J) H  where SLA <> 0 or SLB <> 0 or SLC <> 0  order by H.BH;

-- stock general ledger by warehouse
 select BH, PM, GG,DW,TypeName,SLA,JEA,SLB,JEB,SLC,JEC,(SLA+SLB-SLC) as SLD,iif(isnull(JEA),0,JEA)+iif(isnull(JEB),0,JEB)-iif(isnull(JEC),0,JEC) as JED ,SX1,SX4,CKID,CKMC from ( select BH, PM, GG,DW,TypeName, iif(isnull(J.QCJCSL),0,J.QCJCSL)as SLA, iif(isnull(J.QCJCJE),0,J.QCJCJE)as JEA, iif(isnull(J.BQSRSL),0,J.BQSRSL)as SLB, iif(isnull(J.BQSRJE),0,J.BQSRJE)as JEB, iif(isnull(J.BQFCSL),0,J.BQFCSL)as SLC, iif(isnull(J.BQFCJE),0,J.BQFCJE)as JEC ,SX1,SX4,CKID,CKMC from ( select HPID,BH, PM, GG,DW,TypeName, sum(iif(RQ < #2024-03-01#,SL * Flag  ,0) ) as QCJCSL,  sum(iif(RQ < #2024-03-01#,SL * JJ*Flag  ,0) ) as QCJCJE,  sum(iif(M.Flag = 1 and RQ >= #2024-03-01#,SL  ,0) ) as BQSRSL,  sum(iif(M.Flag = 1 and RQ >= #2024-03-01#,SL * CBDJ*NZK*(1+NSL/100)  ,0) ) as BQSRJE,  sum(iif(M.Flag = -1 and RQ >= #2024-03-01#,SL  ,0) ) as BQFCSL,  sum(iif(M.Flag = -1 and RQ >= #2024-03-01#,SL * CBDJ*NZK*(1+NSL/100),0) ) as BQFCJE,  0.00 as SLD ,  0.00 as JED ,SX1,SX4,CKID,CKMC from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ <=#2024-03-31#) M group by HPID,BH, PM, GG,DW,TypeName ,SX1,SX4,CKID,CKMC) J) H  where SLA <> 0 or SLB <> 0 or SLC <> 0  order by H.BH;

-- stock by warehouse: warehouses
select id,mc from ck order by id ;

-- stock by warehouse: chosen warehouses
select id,mc from ck where id in(1,2) order by id ;

-- stock by warehouse: work table
 create table rpt_Static_StockQty(hpid int,s1 float,s2 float,s3 float,AllQty float);

-- stock by warehouse: source
 select  HPID,CKID,SX1,SX2,SX3,SX4,SX5,SX6, sum(M.SL*Flag) as SL,  sum(M.SL*DJ*Flag) as JE  from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ <=#2024-03-31#) M group by HPID,CKID,SX1,SX2,SX3,SX4,SX5,SX6;

-- stock by warehouse: first row
 insert into rpt_Static_StockQty (hpid,s1) values (7,12.5);

-- stock by warehouse: later rows
 update rpt_Static_StockQty set s2 = 3 where hpid =7;

-- stock by warehouse: totals
 update rpt_Static_StockQty set AllQty = iif(isnull(s1),0,s1)+iif(isnull(s2),0,s2)+iif(isnull(s3),0,s3);

-- stock by warehouse: report
 select b.BH, b.PM, b.GG,b.DW,a.s1 as 总仓,a.s2 as 1号仓库,a.s3 as 二 号库,a.AllQty ,SX1,SX4 from rpt_Static_StockQty a, hp b  where a.hpid=b.id  and AllQty <> 0 order by bh;

-- stock by warehouse: drop the work table
drop table rpt_Static_StockQty;

-- price analysis rows, customer list
 select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,GYS K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='CS' and K.Id in (3,4) and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- price analysis rows, one customer
 select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,GYS K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='CS' and K.Id = 3 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- price analysis rows, supplier name
 select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,GYS K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='CS' and K.MC = 'O''Neil 五金' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- price analysis rows, goods code
 select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,GYS K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='CS' and H.BH ='A01' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- price analysis rows, employee
 select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,GYS K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='CS' and Y.XM  = '张三' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- price analysis rows, category
 select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,GYS K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='CS' and  (L.ItemType= 12 or L.ItemType In( select ItemType from Pub_ItemType where ParentCode=12)) and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- price analysis rows, goods information
 select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,GYS K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='CS' and (H.SX1 like '%红%') and (H.SX4 >= '1.5') or (H.GG = 'M6') and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- stock alarms
 select H.BH ,H.PM  ,H.GG ,H.DW , XX  ,B.Qty ,SX ,SX1 from hp H , (select hpid,sum(SL*Flag) as Qty from Inv_Itemlist group by hpid ) as  b where H.id=b.hpid  and SX>0 and (B.Qty >XX or B.Qty <SX) and H.PM like '%螺丝%' and B.Qty <SX  order by H.BH;

-- stocktaking differences
 select CKMC,TypeName,BH, PM, GG,DW,DJ,SL,DJ*SL AS JE from ( select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on M.YGID=Y.ID  where 1=1  and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) M where billtype='KCPD' order by BH;

-- purchase details
 select LX, ZBID,RQ,DJBH as DH,GYSMC,BH,PM,GG,SL,DJ,NSL, JE as JEA,  JE* NSL / 100 as JEB,  JE + JE* NSL / 100 as JEC ,SX1,SX4 from ( SELECT '采购收货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as GYSBH,K.MC as GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,SL,DJ,SL*DJ*D.NZK*(1+NSL/100) as JE,D.NZK,D.NSl,D.SX1,D.SX4 from ((((CGSHZB M left join  CGSH D on M.ID = D.ZBID) left join GYS K on K.ID = M.GYSID)  left join YG Y on M.YGID=Y.ID) left join  HP H on D.HPID=H.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) M order by GYSMC,RQ,BH;

-- purchase details by goods
 select LX, ZBID,RQ,DJBH as DH,GYSMC,BH,PM,GG,SL,DJ,NSL, JE as JEA,  JE* NSL / 100 as JEB,  JE + JE* NSL / 100 as JEC  from ( SELECT '采购收货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as GYSBH,K.MC as GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,SL,DJ,SL*DJ*D.NZK*(1+NSL/100) as JE,D.NZK,D.NSl from ((((CGSHZB M left join  CGSH D on M.ID = D.ZBID) left join GYS K on K.ID = M.GYSID)  left join YG Y on M.YGID=Y.ID) left join  HP H on D.HPID=H.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType where uFlag=1 and M.CKID in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) M order by BH,RQ;

-- purchase summary
 select TypeName,M.BH, PM, GG,DW,  sum(M.SL) as SL,  sum(M.JE) as JEA,  sum(M.JE*M.NSL / 100) as JEB,  sum(M.JE+M.JE*M.NSL / 100) as JEC  from ( SELECT '采购收货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as GYSBH,K.MC as GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,SL,DJ,SL*DJ*D.NZK*(1+NSL/100) as JE,D.NZK,D.NSl from ((((CGSHZB M left join  CGSH D on M.ID = D.ZBID) left join GYS K on K.ID = M.GYSID)  left join YG Y on M.YGID=Y.ID) left join  HP H on D.HPID=H.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType where uFlag=1 and M.CKID in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) M  group by TypeName,M.BH, PM,GG,DW;

-- purchase summary by supplier
 select GYSID,GYSBH,GYSMC,  sum(JE) as JEA,  sum(JE*K.NSL / 100) as JEB,  sum(JE+JE*NSL/100) as JEC from ( SELECT '采购收货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as GYSBH,K.MC as GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,SL,DJ,SL*DJ*D.NZK*(1+NSL/100) as JE,D.NZK,D.NSl from ((((CGSHZB M left join  CGSH D on M.ID = D.ZBID) left join GYS K on K.ID = M.GYSID)  left join YG Y on M.YGID=Y.ID) left join  HP H on D.HPID=H.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType where uFlag=1 and M.CKID in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) K  group by GYSID,GYSBH,GYSMC order by GYSBH;

-- purchase summary by buyer
 select YWY,  sum(JE) as JEA,  sum(JE*M.NSL / 100) as JEB,  sum(JE+JE*NSL/100) as JEC from ( SELECT '采购收货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as GYSBH,K.MC as GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,SL,DJ,SL*DJ*D.NZK*(1+NSL/100) as JE,D.NZK,D.NSl from ((((CGSHZB M left join  CGSH D on M.ID = D.ZBID) left join GYS K on K.ID = M.GYSID)  left join YG Y on M.YGID=Y.ID) left join  HP H on D.HPID=H.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType where uFlag=1 and M.CKID in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) M  group by YWY order by YWY;

-- purchase receipts and returns
 SELECT '采购收货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as GYSBH,K.MC as GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,SL,DJ,SL*DJ*D.NZK*(1+NSL/100) as JE,D.NZK,D.NSl from ((((CGSHZB M left join  CGSH D on M.ID = D.ZBID) left join GYS K on K.ID = M.GYSID)  left join YG Y on M.YGID=Y.ID) left join  HP H on D.HPID=H.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all  SELECT '采购退货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as GYSBH,K.MC as GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,-SL,DJ,- SL*DJ*D.NZK*(1+NSL/100) as JE,D.NZK,D.NSl from ((((CGTHZB M left join  CGTH D on M.ID = D.ZBID) left join GYS K on K.ID = M.GYSID) left join YG Y on M.YGID=Y.ID) left join  HP H on D.HPID=H.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- issues by recipient
 SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and C.ID in (2,5) order by MC,JSR,M.RQ;

-- issues by goods
 SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# Order by H.BH,M.RQ,M.JSR  ;

-- returns
 SELECT '退料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((tlzb M left join TL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- issues and returns
 SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all  SELECT '退料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,-D.SL,D.DJ,-D.SL*D.DJ as JE,M.BZ,TypeName  from ((((tlzb M left join TL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- issues and returns, department scope
 SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join ( SELECT A.MC  AS ParentName, C.* FROM BM C LEFT JOIN  BM  A ON C.ParentCode=A.ID where C.ID in (1,2) ) C on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all  SELECT '退料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,-D.SL,D.DJ,-D.SL*D.DJ as JE,M.BZ,TypeName  from ((((tlzb M left join TL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join ( SELECT A.MC  AS ParentName, C.* FROM BM C LEFT JOIN  BM  A ON C.ParentCode=A.ID where C.ID in (1,2) ) C on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- issues by category
 select MC,TypeName,sum(SL) as SL, sum(SL*DJ) as JE from ( SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and C.ID in (2,5)) a Group by MC,TypeName order by MC,TypeName;

-- issues by recipient, summary
 select YGBH,XM,BH,PM,sum(SL) as SL,sum(val(Format(SL*DJ, '0.00'))) as JE from ( SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and C.ID in (2,5)) a Group by YGBH,XM,BH,PM order by XM;

-- issues by department
select * from(select 1 as flag,BMID,MC,'' as BMMC,BH,PM,GG,DW,DJ,SL,JE from ( SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and C.ID in (2,5)) a union all select 0 as flag,BMID,MC,MC as BMMC,'','小计','','','',sum(sl),sum(je) from ( SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and C.ID in (2,5)) a group by BMID,MC union all select -1 as flag,0,'' as MC,'','','合计','','','',sum(sl),sum(je) from ( SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and C.ID in (2,5)) a)a  order by BMID,flag,bh ;

-- stock value
 select sum(flag*sl*dj) as amount From Inv_ItemList M  where 1=1  and M.RQ <=#2024-03-31#;

-- issue rate by department
 select MC,JE,JE*100/(JE+12345.67) as Rate from ( select MC,sum(SL * DJ) as JE from ( SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and C.ID in (2,5)) a Group by a.MC) b ;

-- cash and bank details
 select  M.LX, M.ZHID, M.RQ, M.ID, M.DJBH as DH, M.JEA, M.JEB,K.MC as ZHMC,S.MC as SFKFSMC  from  ((select '采购收货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, XFJE as JEB, JE as JYJE from CGSHZB M where uFlag = 1 and XFJE <> 0  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all select '采购付款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, FKJE as JEB, JE as JYJE from CGFKZB M where uFlag = 1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all select '采购退货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, -XFJE as JEB, JE as JYJE from CGTHZB M where  uFlag=1 and XFJE <> 0  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all select '销售出库' as LX, ZHID,SFKFSID, RQ, ID, DJBH, XSJE as JEA, 0.000 as JEB, JE as JYJE  from XSKDZB M where  uFlag = 1 and XSJE <> 0  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all select '销售收款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, FKJE as JEA, 0.000 as JEB, JE as JYJE  from XSSKZB M where   uFlag = 1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all select '销售退货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, -XSJE as JEA, 0.000 as JEB, JE as JYJE  from XSTHZB M where  uFlag = 1 and XSJE <> 0  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all select '费用开支' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, JE as JEB, JE as JYJE from FYKZZB M   where  uFlag = 1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all select '其它收入' as LX, ZHID,SFKFSID, RQ, ID, DJBH, JE as JEA, 0.000 as JEB, JE as JYJE from QTSRZB M where  uFlag = 1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all select '帐户转入' as LX, ZRZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, JE as JEA, 0.000 as JEB, JE as JYJE  from YHCKQK M where 1=1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# union all select '帐户转出' as LX, ZCZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, 0.000 as JEA, JE as JEB, JE as JYJE from YHCKQK M where 1=1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#) M  left outer join  ZH K on M.ZHID=K.ID)  left join  SFKFS S on M.SFKFSID=S.ID where 1=1  and M.LX='销售收款' order by K.MC,M.RQ,M.DJBH;

-- cash and bank details, one account
 select  M.LX, M.ZHID, M.RQ, M.ID, M.DJBH as DH, M.JEA, M.JEB,K.MC as ZHMC,S.MC as SFKFSMC  from  ((select '采购收货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, XFJE as JEB, JE as JYJE from CGSHZB M where uFlag = 1 and XFJE <> 0  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2 union all select '采购付款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, FKJE as JEB, JE as JYJE from CGFKZB M where uFlag = 1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2 union all select '采购退货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, -XFJE as JEB, JE as JYJE from CGTHZB M where  uFlag=1 and XFJE <> 0  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2 union all select '销售出库' as LX, ZHID,SFKFSID, RQ, ID, DJBH, XSJE as JEA, 0.000 as JEB, JE as JYJE  from XSKDZB M where  uFlag = 1 and XSJE <> 0  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2 union all select '销售收款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, FKJE as JEA, 0.000 as JEB, JE as JYJE  from XSSKZB M where   uFlag = 1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2 union all select '销售退货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, -XSJE as JEA, 0.000 as JEB, JE as JYJE  from XSTHZB M where  uFlag = 1 and XSJE <> 0  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2 union all select '费用开支' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, JE as JEB, JE as JYJE from FYKZZB M   where  uFlag = 1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2 union all select '其它收入' as LX, ZHID,SFKFSID, RQ, ID, DJBH, JE as JEA, 0.000 as JEB, JE as JYJE from QTSRZB M where  uFlag = 1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2 union all select '帐户转入' as LX, ZRZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, JE as JEA, 0.000 as JEB, JE as JYJE  from YHCKQK M where 1=1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2 union all select '帐户转出' as LX, ZCZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, 0.000 as JEA, JE as JEB, JE as JYJE from YHCKQK M where 1=1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and ZHID = 2) M  left outer join  ZH K on M.ZHID=K.ID)  left join  SFKFS S on M.SFKFSID=S.ID where 1=1  order by K.MC,M.RQ,M.DJBH;

-- cash and bank summary
 select *  from ( select Z.ID, Z.MC, Z.YHZH, iif(isnull(Z.QCJE),0,Z.QCJE)+iif(isnull(J.QCJE),0,J.QCJE) as  JEA, J.JEB, J.JEC,(iif(isnull(Z.QCJE),0,Z.QCJE)+iif(isnull(J.QCJE),0,J.QCJE)+ iif(isnull(JEB),0,JEB) - iif(isnull(JEC),0,JEC)) as JED  from ZH Z left join ( select ZHID,  sum(iif(RQ < #2024-03-01#,JEA - JEB,0) ) as QCJE,  sum(iif(RQ >= #2024-03-01#,JEA,0) ) as JEB,  sum(iif(RQ >= #2024-03-01#,JEB,0) ) as JEC from (select '采购收货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, XFJE as JEB, JE as JYJE from CGSHZB M where uFlag = 1 and XFJE <> 0  and RQ <= #2024-03-31# union all select '采购付款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, FKJE as JEB, JE as JYJE from CGFKZB M where uFlag = 1  and RQ <= #2024-03-31# union all select '采购退货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, -XFJE as JEB, JE as JYJE from CGTHZB M where  uFlag=1 and XFJE <> 0  and RQ <= #2024-03-31# union all select '销售出库' as LX, ZHID,SFKFSID, RQ, ID, DJBH, XSJE as JEA, 0.000 as JEB, JE as JYJE  from XSKDZB M where  uFlag = 1 and XSJE <> 0  and RQ <= #2024-03-31# union all select '销售收款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, FKJE as JEA, 0.000 as JEB, JE as JYJE  from XSSKZB M where   uFlag = 1  and RQ <= #2024-03-31# union all select '销售退货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, -XSJE as JEA, 0.000 as JEB, JE as JYJE  from XSTHZB M where  uFlag = 1 and XSJE <> 0  and RQ <= #2024-03-31# union all select '费用开支' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, JE as JEB, JE as JYJE from FYKZZB M   where  uFlag = 1  and RQ <= #2024-03-31# union all select '其它收入' as LX, ZHID,SFKFSID, RQ, ID, DJBH, JE as JEA, 0.000 as JEB, JE as JYJE from QTSRZB M where  uFlag = 1  and RQ <= #2024-03-31# union all select '帐户转入' as LX, ZRZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, JE as JEA, 0.000 as JEB, JE as JYJE  from YHCKQK M where 1=1  and RQ <= #2024-03-31# union all select '帐户转出' as LX, ZCZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, 0.000 as JEA, JE as JEB, JE as JYJE from YHCKQK M where 1=1  and RQ <= #2024-03-31#) M  where 1=1  group by ZHID) J on Z.ID = J.ZHID) B  where JEA <> 0 or JEB <> 0 or JEC <> 0 or JED <> 0  order by ID;

-- income and expense details
 select M.LX,JSR, M.ZBID, M.RQ, M.DJBH as DH, M.JEA, M.JEB,M.ZYA,M.ZYB,L.MC,M.Vender  from ( select '费用开支' as LX, JSR,Z.RQ, Z.ID as ZBID, Z.DJBH, M.SRZCLBID,M.ZY as ZYA, '' as ZYB,G.MC AS Vender, M.JE as JEA, 0.00000 as JEB  from (FYKZZB Z left join  FYKZ M on M.ZBID = Z.ID) left join GYS G on Z.GYSID=G.ID where  uFlag= 1 and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31# union all  select '其它收入' as LX,JSR,Z.RQ,Z.ID as ZBID, Z.DJBH, M.SRZCLBID,'' as ZYA,M.ZY as ZYB,K.MC AS Vender, 0.00000 as JEA, M.JE as JEB  from (QTSRZB Z left join QTSR M on M.ZBID = Z.ID) left join KH K on Z.KHID=K.ID where  uFlag=1 and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#)  M, SRZCLB L where L.ID = M.SRZCLBID  and M.LX ='费用开支' and M.Vender like '东方%' order by M.RQ, M.DJBH;

-- income and expense summary
select L.ID, B.LX,L.BH,L.MC, B.JEA1 as JEA, B.JEB1 as JEB from SRZCLB L, (select LX,M.SRZCLBID,sum(M.JEA) as JEA1, sum(M.JEB) as JEB1 from ( select '费用开支' as LX, JSR,Z.RQ, Z.ID as ZBID, Z.DJBH, M.SRZCLBID,M.ZY as ZYA, '' as ZYB,G.MC AS Vender, M.JE as JEA, 0.00000 as JEB  from (FYKZZB Z left join  FYKZ M on M.ZBID = Z.ID) left join GYS G on Z.GYSID=G.ID where  uFlag= 1 and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31# and M.SRZCLBID = 4 union all  select '其它收入' as LX,JSR,Z.RQ,Z.ID as ZBID, Z.DJBH, M.SRZCLBID,'' as ZYA,M.ZY as ZYB,K.MC AS Vender, 0.00000 as JEA, M.JE as JEB  from (QTSRZB Z left join QTSR M on M.ZBID = Z.ID) left join KH K on Z.KHID=K.ID where  uFlag=1 and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31# and M.SRZCLBID = 4) M  where 1= 1 group by LX,M.SRZCLBID) as B where L.ID = B.SRZCLBID order by B.LX,L.BH;

-- sales chart by 月份
 select top 12 a.sX as 月份,sum(a.sY)  as 销售图形分析 from   ( SELECT  Right(left(z.rq,7),2)+ '月'  AS sX, M.sl*dj as sY    FROM (select * from XSKDZB WHERE uFlag=1)  Z, XSKD  M    WHERE Z.ID=M.ZBID  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#  ) a   group by a.sX   order by a.sX  ;

-- sales chart by 部门
 select top 12 a.sX as 部门,sum(a.sY)  as 销售图形分析 from   ( SELECT   C.MC  AS sX, M.sl*dj as sY    FROM (select * from XSKDZB WHERE uFlag=1)  Z, XSKD  M  ,YG AS B,BM as C    WHERE Z.ID=M.ZBID  and Z.YGID =B.ID and b.bmid=c.id  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#  ) a   group by a.sX   order by sum(a.sY) desc ;

-- sales chart by 员工
 select top 12 a.sX as 员工,sum(a.sY)  as 销售图形分析 from   ( SELECT   Y.XM  AS sX, M.sl*dj as sY    FROM (select * from XSKDZB WHERE uFlag=1)  Z, XSKD  M  ,YG AS Y    WHERE Z.ID=M.ZBID  and Z.YGID =Y.ID  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#  ) a   group by a.sX   order by sum(a.sY) desc ;

-- sales chart by 货品
 select top 12 a.sX as 货品,sum(a.sY)  as 销售图形分析 from   ( SELECT   HP.PM  AS sX, M.sl*dj as sY    FROM (select * from XSKDZB WHERE uFlag=1)  Z, XSKD  M  ,HP  as HP   WHERE Z.ID=M.ZBID  and M.HPID =HP.ID  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#  ) a   group by a.sX   order by sum(a.sY) desc ;

-- sales chart by 货品类别
 select top 12 a.sX as 货品类别,sum(a.sY)  as 销售图形分析 from   ( SELECT   H.TypeName  AS sX, M.sl*dj as sY    FROM (select * from XSKDZB WHERE uFlag=1)  Z, XSKD  M ,HP  as HP,Pub_ItemType as H    WHERE Z.ID=M.ZBID  and M.HPID =HP.ID and HP.HPLBID = H.ItemType  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#  ) a   group by a.sX   order by sum(a.sY) desc ;

-- sales chart by 客户
 select top 12 a.sX as 客户,sum(a.sY)  as 销售图形分析 from   ( SELECT   K.MC  AS sX, M.sl*dj as sY    FROM (select * from XSKDZB WHERE uFlag=1)  Z, XSKD  M  ,KH as K    WHERE Z.ID=M.ZBID  and Z.KHID =K.ID  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#  ) a   group by a.sX   order by sum(a.sY) desc ;

-- purchase chart by supplier
 select top 10 a.sX as 供应商,sum(a.sY)  as 采购图形分析 from   ( SELECT   K.MC  AS sX, M.sl*dj as sY    FROM (select * from CGSHZB WHERE uFlag=1)  Z, CGSH  M  ,GYS as K    WHERE Z.ID=M.ZBID  and Z.GYSID =K.ID  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#  ) a   group by a.sX   order by sum(a.sY) desc ;

-- issue chart by employee
 select top 5 a.sX as 员工,sum(a.sY)  as 物品领用图形分析 from   ( SELECT   Y.XM  AS sX, M.sl*dj as sY    FROM (select * from LLZB WHERE uFlag=1)  Z, LL  M  ,YG AS Y    WHERE Z.ID=M.ZBID  and Z.YGID =Y.ID  and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#  ) a   group by a.sX   order by sum(a.sY) desc ;

-- price analysis rows
 select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,KH K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='XS' and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#;

-- structure analysis total
select sum(dj*sl*NZK*(1+NSL/100)) as je from ( select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,KH K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='XS' and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#)a;

-- structure analysis
 select a.BH, a.PM, a.GG,a.DW,sum(sl) as sl_all,sum(dj*sl*NZK*(1+NSL/100)) as je, (sum(dj*sl*NZK*(1+NSL/100))*100/54321.5) as Rate from ( select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,KH K where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='XS' and C.Id in (1,2) and H.PM like '%螺丝%' and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31#)a group by  a.BH, a.PM, a.GG,a.DW;
