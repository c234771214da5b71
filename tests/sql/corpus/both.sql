-- Every SQL text the client sends that is built without the dialect routines: it is sent the
-- same way whatever the dialect of the session, so each runs in both dialects.
-- Pieces are joined as the client joins them; user values are sample values.

-- Start-up: client upgrade check and download
select sName from VersionInfor where sName='VzClientV9.95' and sVersion >'V9.95';
select * from VersionInfor where sFileName = 'VzClient.exe';
delete from VersionInfor where sName='VzClientV9.95';
select * from VersionInfor  where sName = '111' ;

-- Central data module: fixed command texts
select * from AppGroupDesktopClass;
select * from AppMenu order by mIndex;
select Z.DJBH,Z.RQ,Z.JE as ZJE,M.JE as BCJE from XSSKZB Z,XSSK M where Z.ID=M.ZBID;
select H.BH as aBH, H.PM as aPM, H.DW as aDW from HP H,QTKCBD Q where H.ID=Q.HPID;
SELECT BH,PM,GG,ZJM from Hp order by BH;
select * from zc_zy;
select * from zc_item;
select * from zc_wx;
select * from zc_bg ;
select * from zc_gh where 1=2 ;
select * from zc_ql;
select * from zc_jc;
select  *, '现金类'  as aYHL  from ZH order by MC;

-- Workspace frame
select Top 1 ID from SJZL order by XH;
select ObjectName from Sys_FuncTree_office where  FuncNodeName='销售出库单';

-- Rights: the user's scope texts
 select id from bm ;
 select mc from bm ;
 select b.mc as bmmc,c.* from CK  C  left join BM B on c.bmid=b.id ;
 SELECT A.MC  AS ParentName, C.* FROM BM C LEFT JOIN  BM  A ON C.ParentCode=A.ID;
 select id,mc,ParentCode  FROM BM  ;
select XM from YG  order by XM ;
 SELECT A.TypeName AS ParentName, C.* FROM Pub_ItemType  C LEFT JOIN Pub_ItemType  A ON C.ParentCode=A.ItemType;
 select ID, ParentCode,MC  from bm;
 select * from CompanyInfo ;
select bmid from AppUserGroup where id in (1,2);
 select b.mc as bmmc,c.* from CK  C  left join BM B on c.bmid=b.id where BMID in (1,2) ;
 select XM from YG where bmid in(1,2) order by XM ;
 SELECT A.MC  AS ParentName, C.* FROM BM C LEFT JOIN  BM  A ON C.ParentCode=A.ID where C.ID in (1,2) ;
 select distinct a.FuncNodeNo,a.ObjectName,b.FuncNodeName,FuncItems from Sys_GroupFuncRight a left join Sys_FuncTree_office b on a.FuncNodeNo=b.FuncNodeNo where UserGroupNo in (1,2);
select Top 1 ID from CK;
select Top 1 ID from  ( select b.mc as bmmc,c.* from CK  C  left join BM B on c.bmid=b.id where BMID in (1,2) ) C ;
 SELECT A.TypeName AS ParentName, C.* FROM Pub_ItemType  C LEFT JOIN Pub_ItemType  A ON C.ParentCode=A.ItemType where C.ItemType not in (select ItemType from Sys_GroupUnRight_HPLB where UserGroupNo in (1,2)) ;
 select FuncItems from Sys_GroupFuncRight  where UserGroupNo in (1,2) and ObjectName = 'mnuXskd';

-- Rights administration
select F.FuncNodeNo,F.FuncNodeName,F.PrevNodeNo,F.ObjectType,F.ObjectName,U.UserGroupNo,U.FuncItems from Sys_FuncTree_office F left outer join (select * from Sys_GroupFuncRight where CompanyCode='VZ' and UserGroupNo=0) U on F.FuncNodeNo=U.FuncNodeNo order by F.FuncNodeNo;
select F.FuncNodeNo,F.FuncNodeName,F.PrevNodeNo,F.ObjectType,F.ObjectName,U.UserGroupNo,U.FuncItems from Sys_FuncTree_office F left outer join (select * from Sys_GroupFuncRight where CompanyCode='VZ' and UserGroupNo=3) U on F.FuncNodeNo=U.FuncNodeNo order by F.FuncNodeNo;
select FuncItemNo,FuncItemName,PrevItemNo,FuncItemDesc from Sys_FuncItem where ObjectType='Bill';
delete from Sys_GroupFuncRight where CompanyCode='VZ' and UserGroupNo=3;
insert into Sys_GroupFuncRight values('VZ',3,'0101','mnuXskd','Insert,Delete,Auditing','2024-03-01');
 select H.UserGroupNo,H.ItemType,L.TypeName as aHPLBMC  from Sys_GroupUnRight_HPLB H Left outer join Pub_ItemType L on H.ItemType=L.ItemType where H.UserGroupNo=3 order by H.UserGroupNo;
delete from Sys_GroupUnRight_HPLB where UserGroupNo=3;
 insert into Sys_GroupUnRight_HPLB(UserGroupNo,ItemType)  values(3,12);
 select top 1 1 from AppUser where gName = 'O''Neil组';
select max(ID) from AppUser;
update AppUser set uPassword = 'abc'where uCode = 'SYS';

-- Quick-launch buttons
select b.* from Sys_UserQuick a,Sys_FuncTree_office b where a.FuncNodeNo=b.FuncNodeNo and UserNo='SYS' and VZSystem='JXC' order by xh;
select b.* from Sys_UserQuick a,Sys_FuncTree_office b where a.FuncNodeNo=b.FuncNodeNo and UserNo='pub' and VZSystem='JXC' order by xh;
 delete from Sys_UserQuick where UserNo='SYS' and VZSystem='JXC';
 insert into Sys_UserQuick(VZSystem,UserNo,XH,FuncNodeNo) Values('JXC','SYS',1,'0101');

-- Document form
 select * from TableColumns where TableName='TfrmXskd' order by XH;
select * from Pub_PrintModal where ObjectName='销售出库单';
 Delete FROM XSKD  where ZBID= 5;

-- Document lines: stock and prices
 select sum(flag*sl) as qty From Inv_ItemList  where 1=1  and hpid =7 and RQ <= #2024-03-01# and CKID = 1;
 select sum(sl*dj)/sum(sl) From Inv_ItemList  where flag=1  and hpid =7 and RQ <= #2024-03-01# and CKID = 1;
 select JJ from hp where id=7;
 select top 1 dj From Inv_ItemList  where BillType='CS'  and hpid =7 order by rq desc;
 select ID,PM,GG,DW,JJ,JJJ,JHY,JVIP,JQJ,HPHSFSID,TypeName from HP H left join Pub_ItemType P on H.HPLBID=P.ItemType where BH = 'A01';
 select ID,PM,GG,DW,JJ,JJJ,JHY,JVIP,JQJ,HPHSFSID,TypeName,SX1,SX4 from HP H left join Pub_ItemType P on H.HPLBID=P.ItemType where BH = 'A01';
select PriceLevel from kh where id=3;
 select M.DJ  from XSKDZB Z, XSKD M where Z.ID = M.ZBID  and M.HPID=7 and Z.KHID=3 order by Z.DJBH DESC;
select F1 from hp where id=7;
select * from HP where BarCode = '6901234567890';

-- Document save: numbering and costing
Select MaxNo from MaxBillNo where TableName='XSKDZB202403';
INSERT into MaxBillNo(TableName,MaxNo) VALUES ('XSKDZB202403',2);
update MaxBillNo set MaxNo = 5 where TableName = 'XSKDZB202403';
 select sum(sl) From Inv_ItemList  where Billtype in ('LL','XS') and RQ <=#2024-03-01# and ckid=1 and hpid=7;
 select sum(sl) From Inv_ItemList  where Billtype in ('LL','XS') and RQ <=#2024-03-01# and ckid=1 and hpid=7 and DJBH <'LL2024030001';
 select sl,dj from Inv_ItemList where BillType in('aExport','CS','KCPD','KCTZ','TL') and RQ <=#2024-03-01# and ckid=1 and hpid=7 order by rq,id;
select JJ from hp where ID=7;

-- Audit: posting into the stock ledger
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,NZK,NSL,SL,DJ,CBDJ,JE,CustVendID,CKID,F1,YGID) select D.RQ,'CS',1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,DJ,D.SL*D.DJ,M.GYSID,M.CKID,M.CGLX,YGID from CGSHZB M,CGSH D     where M.ID=D.ZBID   and M.DJBH='CS2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,NZK,NSL,SL,DJ,CBDJ,JE,CustVendID,CKID,F1,YGID,SX1,SX4) select D.RQ,'CS',1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,DJ,D.SL*D.DJ,M.GYSID,M.CKID,M.CGLX,YGID,SX1,SX4 from CGSHZB M,CGSH D     where M.ID=D.ZBID   and M.DJBH='CS2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,NZK,NSL,SL,DJ,CBDJ,JE,CustVendID,CKID,F1,YGID) select D.RQ,'CT',-1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,DJ,D.SL*D.DJ,M.GYSID,M.CKID,M.THLX,YGID from CGTHZB M,CGTH D     where M.ID=D.ZBID   and M.DJBH='CT2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,NZK,NSL,SL,DJ,CBDJ,JE,CustVendID,CKID,F1,YGID) select D.RQ,'XS',-1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,CBDJ,D.SL*D.DJ,M.KHID,M.CKID,M.XSLX,YGID from XSKDZB M,XSKD D     where M.ID=D.ZBID   and M.DJBH='XS2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,NZK,NSL,SL,DJ,CBDJ,JE,CustVendID,CKID,F1,YGID) select D.RQ,'XT',1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,CBDJ,D.SL*D.DJ,M.KHID,M.CKID,M.THLX,YGID from XSTHZB M,XSTH D     where M.ID=D.ZBID   and M.DJBH='XT2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID) select D.RQ,'LL',-1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,YGID from LLZB M,LL D     where M.ID=D.ZBID   and M.DJBH='LL2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID) select D.RQ,'TL',1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,YGID from TLZB M,TL D     where M.ID=D.ZBID   and M.DJBH='TL2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID) select D.RQ,'CKDB',1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.DRCID,0 from CKDBZB M,CKDB D     where M.ID=D.ZBID   and M.DJBH='DB2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID) select D.RQ,'CKDB',-1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.DCCID,0 from CKDBZB M,CKDB D     where M.ID=D.ZBID   and M.DJBH='DB2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID) select D.RQ,'KCPD',1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,0  from KCPDZB M,KCPD D     where M.ID=D.ZBID   and M.DJBH='PD2024030001' and (D.SL) <> 0;
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID) select D.RQ,'KCPD',1,M.DJBH,D.HPID,D.HH,D.SL-D.KCSL,D.DJ,DJ,D.SL*D.DJ,M.CKID,0  from KCPDZB M,KCPD D     where M.ID=D.ZBID   and M.DJBH='PD2024030001' and (D.SL-D.KCSL) <> 0;
 update inv_itemlist set RefSL=RefSL+1*5 where DJBH='CS2024030001' and HH=1;
 update inv_itemlist set RefSL=RefSL+-1*5 where DJBH='CS2024030001' and HH=1;
 Delete from Inv_Itemlist where DJBH='XS2024030001';
 insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID) select D.RQ,'CJ',1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,0 from CPJCZB M,CPJC D     where M.ID=D.ZBID   and M.DJBH='CP2024030001';

-- Document types: lines queries and look-ups
select M.*, H.BH as aBH, H.PM as aPM, H.DW as aDW from CGTH M, HP H, M inner join H on M.HPID=H.ID where ZBID = 5;
 select M.*,  H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as aGG,H.HPHSFSID,TypeName  from (CGSH M left join HP H on M.HPID=H.ID) left join Pub_ItemType P on H.HPLBID=P.ItemType  where ZBID = 5  order by M.HH;
select M.*, L.BH as aBH, L.MC as aMC from QTSR M left outer join  SRZCLB L  on M.SRZCLBID=L.ID where ZBID = 5;
select * from GYS where BH = 'G01';
select XM from YG where BH = 'Y01';
 select M.*,  (select HH from CGDD where CGDD.ZBID=M.ZBID and CGDD.HH=M.HH) as TMP,  (select sum(SL) from CGSH where SRCNO=M.DJBH and SRCSEQ=M.HH) as aSHSL,  (M.SL - aSHSL) as aMSSL,  H.BH as aBH, H.PM as aPM, H.DW as aDW , H.GG as aGG  from CGDD M, HP H, M inner join H on M.HPID=H.ID  where ZBID = 5;
 select M.*,  (select sum(SL) from XSKD where SRCNO=M.DJBH and SRCSEQ=M.HH)  as aYTSL,  (M.SL - aYTSL) as aMTSL,  H.BH as aBH, H.PM as aPM, H.DW as aDW , H.GG as aGG  from XSDD M, HP H, M inner join H on M.HPID=H.ID  where ZBID = 5;
select SX from HP where ID = 7;
select sum(JCS) from HPKC where HPID = 7;
 select sum(a.je) as JE from LLZB a,YG b,BM c  where a.uflag = 1 and a.YGID = b.ID and b.BMID=c.ID and c.id=2 and Year(a.rq)=2024;
 select  JE from BM where id=2;
select * from SRZCLB where  BH = 'S01';
select * from SRZCLB where 1=1 and BH = 'S01';
select XM from YG where YWYBZ order by BH;

-- Document lists
select Z.*,   '增值税发票' as aFPLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, S.MC as aSFKFSMC, H.MC as aZHMC from (((CGSHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left outer join  ZH H on  Z.ZHID = H.ID where 1=1  order by Z.DJBH;
select Z.*,   '增值税发票' as aFPLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, S.MC as aSFKFSMC, H.MC as aZHMC from (((CGSHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left outer join  ZH H on  Z.ZHID = H.ID where 1=1 and Z.RQ between #2024-03-01# and #2024-03-31# and Z.uFlag = 0 order by Z.DJBH;
select Z.*, switch(THLX=1,'供应商退现款', THLX=2,'退款转入预付款') as aTHLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC from ((CGTHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join CK C on Z.CKID = C.ID)   where 1=1  order by Z.DJBH;
select Z.*, switch(THLX=1,'供应商退现款', THLX=2,'退款转入预付款') as aTHLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC from ((CGTHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join CK C on Z.CKID = C.ID)   where 1=1 where Z.RQ between #2024-03-01# and #2024-03-31# order by Z.DJBH;
Delete from XSKD where ZBID =5;
Delete from XSKDZB where DJBH ='XS2024030001';
 select M.ID, M.DJBH, M.RQ, M.JE, M.JSR from CGSHZB  M where  uFlag = 1  and M.DJBH IN (  select DJBH from (select DJBH,Zsl,HaverefSL from (select DJBH,sum(SL) as Zsl from CGSH group by DJBH) a left join (select SRCNO,sum(SL) as HaverefSL from CGTH group by SRCNO) b  on a.DJBH=b.SRCNO ) a where  a.Zsl > IIf(isnull(a.HaverefSL),0,a.HaverefSL) ) order by M.RQ,M.DJBH;
 select M.ID, M.DJBH, M.RQ, M.JE, M.YWY as JSR from CGDDZB  M where  uFlag = 1  and M.RQ >=#2024-03-01# and M.RQ <=#2024-03-31# and GYSID in (1,2) and M.DJBH IN (  select DJBH from (select DJBH,Zsl,HaverefSL from (select DJBH,sum(SL) as Zsl from CGDD group by DJBH) a left join (select SRCNO,sum(SL) as HaverefSL from CGSH group by SRCNO) b  on a.DJBH=b.SRCNO ) a where  a.Zsl > IIf(isnull(a.HaverefSL),0,a.HaverefSL) ) order by M.RQ,M.DJBH;
 select M.ID, M.DJBH, M.RQ, M.JE, M.YWY as JSR from XSDDZB  M where  uFlag = 1  and KHID in (3) and M.DJBH IN (  select DJBH from (select DJBH,Zsl,HaverefSL from (select DJBH,sum(SL) as Zsl from XSDD group by DJBH) a left join (select SRCNO,sum(SL) as HaverefSL from XSKD group by SRCNO) b  on a.DJBH=b.SRCNO ) a where  a.Zsl > IIf(isnull(a.HaverefSL),0,a.HaverefSL) ) order by M.RQ,M.DJBH;
 select ZBID,SL,DJ,HPID,DJBH,HH,M.SRCNO,M.SRCSEQ, c.HaverefSL, H.BH as aBH, H.PM as aPM,  H.DW as aDW, H.GG as aGG  FROM ( CGSH  as M LEFT JOIN HP  H ON M.HPID=H.ID )   LEFT JOIN (select SRCNO,SRCSEQ,sum(SL) as HaverefSL from CGTH group by SRCNO,SRCSEQ) C    on  (C.SRCNO=M.DJBH and C.SRCSEQ=M.HH)  where M.ZBID in (5,6) and (c.HaverefSL is null or (M.SL-c.HaverefSL)>0)  Order by M.ZBID,M.HH;
select * from CGSHZB where RQ >= #2024-03-01# and RQ <= #2024-03-31#;
select M.*, H.BH as aBH, H.PM as aPM, H.DW as aDW from CGSH M, HP H, M inner join H on M.HPID=H.ID where ZBID = 5;
select * from KH where ID = 3;
select Z.DJBH, Z.RQ, Z.JE as ZJE, M.JE as BCJE from XSSKZB Z,XSSK M where Z.ID=M.ZBID and M.JE <> 0 and M.DDID = 5;
select Z.DJBH, Z.RQ, Z.JE as ZJE, M.JE as BCJE from CGFKZB Z, CGFK M where Z.ID=M.ZBID and M.JE <> 0 and M.DDID = 5;

-- Receipts and payments
select M.*, D.DJBH as aDDBH, D.RQ+D.SKQX as aSKQX, D.JE as aDDJE, D.YSJE - M.JE as aYSJE, D.JE - D.YSJE + M.JE as aMSJE from XSSK M, XSKDZB D, M inner join D on M.DDID=D.ID where M.ZBID = 5;
select M.*, D.DJBH as aDDBH, D.RQ as aDDRQ, D.JE as aDDJE, D.YFJE - M.JE as aYFJE, D.JE - D.YFJE + M.JE as aMFJE from CGFK M, CGSHZB D, M inner join D on M.DDID=D.ID where M.ZBID = 5;
select * from XSKDZB where ID = 5;
select * from CGSHZB where ID = 5;
select * from XSSKZB where ID = 5 and KHID = 3;
select * from CGFKZB where ID = 5 and GYSID = 1;
select F.DDID, F.JE as BDJE, S.DJBH, S.RQ + S.SKQX as aSKQX, S.JE, S.YSJE from XSSK F, XSKDZB S where F.DDID = S.ID and ZBID = 5;
select F.DDID, F.JE as BDJE, S.DJBH, S.RQ, S.JE, S.YFJE from CGFK F, CGSHZB S where F.DDID = S.ID and ZBID = 5;
select * from XSKDZB where XSLX = 2 and KHID = 3 and JE > YSJE order by ID;
select * from CGSHZB where CGLX = 2 and GYSID = 1 and JE > YFJE order by ID;
select JE from XSSK where ZBID = 5 and DDID = 0;
select Z.*, ZC.MC as aZCZHMC, ZR.MC as aZRZHMC from YHCKQK Z, ZH ZC, ZH ZR, Z left join ZC on Z.ZCZHID = ZC.ID, Z left join ZR on Z.ZRZHID = ZR.ID where Z.ID = 5;

-- List form: reference checks before a delete
 select top 1 1 from CGSH where hpid = 7 union  select top 1 1 from LL where hpid = 7 union  select top 1 1 from XSKD where hpid = 7 union  select top 1 1 from KCPD where hpid = 7;
 select top 1 1 from XSKDZB where khid = 3 union  select top 1 1 from XSTHZB where khid = 3;
 select top 1 1 from KH where dqid = 2 union  select top 1 1 from GYS where dqid = 2;
 select top 1 1 from CGSHZB where gysid = 1 union  select top 1 1 from CGTHZB where gysid = 1;
 select top 1 1 from hp where hplbid = 12;
 select top 1 1 from CK where BMID = 2 union  select top 1 1 from AppUserGroup where gMemo = '2' union  select top 1 1 from YG where bmid = 2;
 select top 1 1 from QTKCBDZB where QTKCBDLXID = 4;
-- List form: table export as SQL text, and its script restored line by line
select * from CK;
delete from CK;
insert into CK(ID,MC,BMID,WZ,BZ,XH) Values(1,'总仓',1,'一楼','',1) ;
insert into CK(ID,MC,BMID,WZ,BZ,XH) Values(2,'O''Neil 仓',Null,Null,null,2) ;
insert into YG(ID,BH,XM,BMID,CSRQ,YWYBZ,LZ) Values(9,'Y09','王五',2,'1980-5-6',True,False) ;
insert into YHCKQK(ID,RQ,JSR,ZCZHID,ZRZHID,PH,JE,BZ) Values(9,'2024-03-01 9:05:00','张三',1,2,'',100,'') ;

-- Edit form: duplicate checks
select MC from CK where  MC= '总仓' and id <> 1;
select PM from HP where  PM= '螺丝' and GG='M6' and id <> 7;
select MC from Gys where  MC= '东方' and id <> 1;

-- Goods
 select H.*, C.TypeName as aHPLBMC from HP H left join  Pub_ItemType  C on H.HPLBID=C.ItemType WHERE 1= 1  order by H.BH;
 select H.*, C.TypeName as aHPLBMC from HP H left join  Pub_ItemType  C on H.HPLBID=C.ItemType WHERE 1= 1  and bh like 'A%' or pm like 'A%' or zjm like 'A%' order by H.BH;
 select H.*, C.TypeName as aHPLBMC from HP H left join ( SELECT A.TypeName AS ParentName, C.* FROM Pub_ItemType  C LEFT JOIN Pub_ItemType  A ON C.ParentCode=A.ItemType where C.ItemType not in (select ItemType from Sys_GroupUnRight_HPLB where UserGroupNo in (1,2)) ) C on H.HPLBID=C.ItemType WHERE 1= 1  and bh like 'l%' or pm like 'l%' or zjm like 'L%'and H.SX1 = '红' order by H.BH;
 select H.*, C.TypeName as aHPLBMC  from HP H Inner join  Pub_ItemType  C  on H.HPLBID=C.ItemType  where 1=1  order by H.BH;
 select H.*, C.TypeName as aHPLBMC  from HP H Inner join  Pub_ItemType  C  on H.HPLBID=C.ItemType  Where (C.ItemType= 12 or C.ItemType In( select ItemType from Pub_ItemType where ParentCode=12)) order by H.BH;
delete from  Pub_ItemType  where ItemType=12;
select Max(ItemType)+1 from Pub_ItemType;
insert into Pub_ItemType(ItemType,TypeName) values(13,'五金');
update Pub_ItemType set TypeName='五金工具' where ItemType=13;
select id,PM from hp;
update hp set ZJM='LS' where id=7;
update hp set ZJM=GetPY(PM);
select MC from HPLB where ID = 12;
delete from hp_pict where  ygid=7;
select * from hp_pict where id = -1;
select iif(isnull(max(ID)), 1, max(ID)+1) as picid from hp_pict;
select * from hp_pict where ygid =7;

-- Partners, warehouses, code tables
 select ID, ParentCode,MC  from dq;
 select K.*,D.MC as aDQMC,VIPName, K.QMJE-K.YXJE as aSJJE  from (KH K left outer join DQ D on K.DQID=D.ID) left outer join VIP V on K.LevelID=V.id where 1=1  order by K.BH;
 select K.*,D.MC as aDQMC,VIPName, K.QMJE-K.YXJE as aSJJE  from (KH K left outer join DQ D on K.DQID=D.ID) left outer join VIP V on K.LevelID=V.id where 1=1  and K.bh like 'K%' or K.MC like 'K%' or K.zjm like 'K%' and D.ID In(2,3 ) order by K.BH;
select MC from DQ where ID = 2;
select QMJE, QMJE-YXJE as aSJJE from KH where ID=3;
 select G.*,QMJE-YXJE as aSJJE, C.MC as aDQMC from GYS G left join DQ C on G.DQID=C.ID where 1=1  and g.bh like 'G%' or g.MC like 'G%' or g.zjm like 'G%' and C.ID In(2 ) order by G.BH;
 select b.mc as bmmc,c.* from  CK C   left join BM B on c.bmid=b.id;
 select b.mc as bmmc,c.* from ( select b.mc as bmmc,c.* from CK  C  left join BM B on c.bmid=b.id where BMID in (1,2) ) C   left join BM B on c.bmid=b.id;
select QMJE from ZH where ID = 2;
select MC from ZH where ID = 2;
select XM from YG where BH = 'Y01';
select XM from YG order by BH;
select ID from BM where 1=1 and ID =  2;
select ID from Dq where 1=1 and ID =  2;
select TypeName from pub_Project where 1=1 and TypeName =  '项目一';

-- Filters and multi-select dialogs
 select id,mc from ck order by id;
 select id,mc from kh order by id;
 select id,mc from gys order by id;
 select id,gName as mc from AppUserGroup order by id;
 select distinct SX1,SX1 from HP order by SX1;
 select Y.XM   from YG Y, BM C  where   Y.BMID = C.ID  and C.MC in ('办公室','O''Neil 部') order by Y.XM ;

-- Column layouts and single-table editors
 select * from TableColumns where TableName='KCPD' order by XH;
 delete from TableColumns where TableName='KCPD';
select Max(ID)+1 from zc_item;
 select * from zc_item where  1=1;
 select * from zc_item where  RQ between #2024-03-01# and #2024-03-31#;

-- Employees and office records
 SELECT A.MC  AS ParentName, C.*  FROM   BM C  LEFT JOIN  BM  A ON C.ParentCode=A.ID;
delete from YG_Pict where  ygid=9;
 select id,mc,ParentCode from bm where iif(isnull(ParentCode), 0, ParentCode)=0;
 select id,mc,ParentCode from bm where ParentCode=1;
 select Z.* from Yg_Ht Z,YG Y,BM C where Z.F_empID =Y.ID and  Y.BMID = C.ID  and C.ID In(2,5 ) order by F_code;
 select Z.* from Yg_Ht Z,YG Y,BM C where Z.F_empID =Y.ID and  Y.BMID = C.ID  and Y.id=9 and Z.F_beginDate between #2024-01-01# and #2024-12-31# order by F_code;
 select Z.*,F_Name as Gx_Name,Y.XM as YG_Name,Y.BH as F_Code  from Gz_JJGZ Z,Gz_Gxu b,YG y,BM c,   Z left join  b on Z.F_GxID=b.id,   Z left join y on F_empID=y.id,    Y left join c on y.bmid=c.id   ;
 select Z.*,F_Name as Gx_Name,Y.XM as YG_Name,Y.BH as F_Code  from Gz_JSGZ Z,Gz_GongZ b,YG y,BM c,   Z left join  b on Z.F_GxID=b.id,   Z left join y on F_empID=y.id,    Y left join c on y.bmid=c.id   ;
select F_DJ from Gz_GXu where id = 3;
select F_DJ,F_Dw from Gz_GongZ where id = 3;

-- Pickers
 select K.*,D.MC as aDQMC,K.QMJE-K.YXJE as aSJJE  from KH K inner join DQ D on K.DQID=D.ID  where 1=1 and not K.ZT   and K.BH like '%K%' and K.MC like '%东%' order by K.BH;
 select *,QMJE-YXJE as aSJJE  from GYS  where not ZT  and BH like '%G%' and MC like '%东%' order by BH;
 select H.*, C.TypeName as aHPLBMC from HP H inner join  Pub_ItemType  C on H.HPLBID=C.ItemType  where 1=1 and  (C.ItemType= 12 or C.ItemType In( select ItemType from Pub_ItemType where ParentCode=12)) and H.IsMaterial =true  and H.IsProduct =true  order by H.BH;

-- Report framework: combo lists
select MC from BM C order by MC;
select MC from ( SELECT A.MC  AS ParentName, C.* FROM BM C LEFT JOIN  BM  A ON C.ParentCode=A.ID where C.ID in (1,2) ) C  order by MC;
select MC from  CK C  order by MC ;
select PM from HP order by PM;
 select TypeName from Pub_ItemType order by TypeName ;
select MC from GYS  order by MC;
select MC from KH  order by MC;
select VIPCardID from VIP order by VIPCardID;
select VIPName from VIP order by VIPName;
select MC from (select MC from KH  union all select MC from GYS) a order by MC;

-- Employee charts
 select b.mc as 部门,count(*) as 员工信息分析图表 from yg a,bm b  where a.bmid=b.id  group by  b.mc  ;
 select a.XB as 性别,count(*) as 员工信息分析图表 from yg a group by a.XB;
 select a.MZ as 名族,count(*) as 员工信息分析图表 from yg a group by a.MZ;
 select a.ZW as 职务,count(*) as 员工信息分析图表 from yg a group by a.ZW;
 select a.ZUANYE as 专业,count(*) as 员工信息分析图表 from yg a group by a.ZUANYE;
 select iif(a.HF, '已婚', '未婚') as 婚否,count(*) as 员工信息分析图表 from yg a group by a.HF;

-- Year analysis (work table)
 create table rpt_Static_Month(keyid int ,Qty1 float,Amount1 float,Qty2 float,Amount2 float,Qty3 float,Amount3 float,Qty4 float,Amount4 float,Qty5 float,Amount5 float,Qty6 float,Amount6 float,Qty7 float,Amount7 float,Qty8 float,Amount8 float,Qty9 float,Amount9 float,Qty10 float,Amount10 float,Qty11 float,Amount11 float,Qty12 float,Amount12 float,AllQty float,AllAmount float );
 SELECT  HPID as keyid , Month(rq) as sMonth, sum(sl) as qty,sum(sl*dj*nzk*(1+nsl/100)) as amount  FROM (select Z.KHID, Z.YWY, Z.RQ, M.HPID, M.SL, M.DJ, M.NZK, M.NSL from XSKDZB Z, XSKD M where Z.ID = M.ZBID and Z.uFlag = 1) a where Year(rq) = 2024 group by  HPID , Month(rq);
 SELECT  KHID as keyid , Month(rq) as sMonth, sum(sl) as qty,sum(sl*dj) as amount  FROM (select Z.KHID, Z.RQ, M.SL, M.DJ from XSKDZB Z, XSKD M where Z.ID = M.ZBID) a where Year(rq) = 2024 group by  KHID , Month(rq);
 insert into rpt_Static_Month (keyid,Qty3,Amount3) values (7,10,123.45);
 update rpt_Static_Month  set  Qty3 =12, Amount3 =150.5 where keyid =7;
 update  rpt_Static_Month   set AllAmount =Amount1+Amount2+Amount3+Amount4+Amount5+Amount6+Amount7+Amount8+Amount9+Amount10+Amount11+Amount12;
 update  rpt_Static_Month   set AllQty =Qty1+Qty2+Qty3+Qty4+Qty5+Qty6+Qty7+Qty8+Qty9+Qty10+Qty11+Qty12;
 select b.PM as keyid,a.*  from rpt_Static_Month a left join HP b on a.keyid=b.ID order by b.PM;
drop table rpt_Static_Month;
 create table rpt_Static_Month(keyid char(20) ,Qty1 float,Amount1 float,Qty2 float,Amount2 float,Qty3 float,Amount3 float,Qty4 float,Amount4 float,Qty5 float,Amount5 float,Qty6 float,Amount6 float,Qty7 float,Amount7 float,Qty8 float,Amount8 float,Qty9 float,Amount9 float,Qty10 float,Amount10 float,Qty11 float,Amount11 float,Qty12 float,Amount12 float,AllQty float,AllAmount float );
 SELECT  YWY as keyid , Month(rq) as sMonth, sum(sl) as qty,sum(sl*dj*nzk*(1+nsl/100)) as amount  FROM (select Z.YWY, Z.RQ, M.SL, M.DJ, M.NZK, M.NSL from XSKDZB Z, XSKD M where Z.ID = M.ZBID) a where Year(rq) = 2024 group by  YWY , Month(rq);
 insert into rpt_Static_Month (keyid,Qty3,Amount3) values ('张三',10,123.45);
 update rpt_Static_Month  set  Qty3 =12, Amount3 =150.5 where keyid ='张三';
 select a.*  from rpt_Static_Month a order by keyid;
drop table rpt_Static_Month;

-- HR reminders
 select count(*) from yg where 1=1  and month(CSRQ)=3 and day(CSRQ) = 1;
 select count(*) from yg where 1=1  and month(HTDQSJ)=3;
 select Y.*, C.MC as aBMMC  from YG Y,  BM C  where   Y.BMID = C.ID  and month(RZRQ)=3 and day(RZRQ) = 1 order by XM ;
 select Y.*, C.MC as aBMMC  from YG Y,  BM C  where   Y.BMID = C.ID  and month(LZRQ)=3 order by XM ;
 select count(*) from yg where 1=1  and month(ZZRQ)=3 and day(ZZRQ) = 1;
 select count(*) from yg where 1=1  and month(QDRQ)=3;

-- Income and expense reports: the category chosen by name
select ID from SRZCLB where MC = '运费';

-- Recompute issue amounts
 select djbh,sum(sl*dj) as je from ll group by djbh;
update llzb set je=123.45 where djbh='LL2024030001';

-- Excel import
Delete  from HP;
select Code,Name,DataType from ExportCompTable where Type = 'HP' and VZSystem ='JXC' order by OrderIndex;
select Code,Name,DataType from ExportCompTable order by OrderIndex;
 select id,MC from bm where mc='办公室';
 select ItemType,TypeName from pub_ItemType where TypeName ='五金';
 select id,mc from ck where mc ='总仓';
 select Name from zc_Project where name ='正式工' and pid=9991;
 insert into bm(id,mc) values (7,'仓储部');
 insert into ck(id,mc) values (7,'二号仓');
 insert into pub_ItemType(ItemType,TypeName) values (14,'电器');
 insert into zc_Project(id,pid,name) values (7,9991,'临时工');
 Insert Into HP(id,BH,PM,GG,DW,JJ,HPLBID,CKID,INSL) values (20,'A20','垫片',Null,'个',0.5,12,1,100);
 Insert Into HP(BH,PM,GG) values ('A21','垫圈','M8');
update hp set HPHSFFID=1,HPHSFSID =1,ZT=False,IsMaterial=True,IsProduct=True;
 select distinct ckid from hp where insl > 0;
 select sum(insl*jj) as je from hp where insl > 0 and ckid=1;
 select id,insl,jj,ckid,SX1,SX2,SX3,SX4,SX5,SX6 from hp where insl > 0 and ckid=1;
insert into KCPDZB(ID,DJBH,RQ,CKID,BillType,JE,uFlag,YGID,BZ) values (2024030002,'PD2024030002','2024-03-01',1,'KCPD',50,1,1,'期初导入');
insert into KCPD(RECID,ZBID,HH,RQ,CKID,HPID,SL,DJ,SX1,SX2,SX3,SX4,SX5,SX6) values ('PD2024030002_1',2024030002,1,'2024-03-01',1,20,100,0.5,'','','',0,0,0);

-- Year-end carry-forward and data initialisation
 delete from XSKD;
insert into KCPDZB(ID,DJBH,RQ,CKID,BillType,JE,uFlag,YGID,BZ) values (2025010001,'PD2025010001','2025-01-01',1,'KCPD',0,1,1,'年末结转');
insert into KCPD(RECID,ZBID,HH,RQ,CKID,HPID,SL,DJ,SX1,SX2,SX3,SX4,SX5,SX6) values ('2025010001_1',2025010001,1,'2025-01-01',1,7,-3,2.5,'红','','',1.5,0,0);
insert into inv_itemlist(RQ,BillType,Flag,DJBH,hpid,hh,sl,dj,cbdj,nzk,nsl,je,ckid,SX1,SX2,SX3,SX4,SX5,SX6) values('2025-01-01','KCPD',1,'PD2025010001',7,1,-3,2.5,2.5,1,0,-7.5,1,'红','','',1.5,0,0);

-- Settings, operation log and alerts
delete from Sys_FuncItem where Indexno like '04%' ;
insert into  Sys_FuncItem(ObjectType,IndexNo,FuncItemNo,FuncItemName) Values('Bill','042','Auditing2','二审');
delete From AppLog where RQ <= #2024-03-01#;
 select * from (select '库存盘点' as sType,count(*) as Qty from (KCPDZB Z inner join  CK C  on Z.CKID = C.ID) where uflag=0 union all select '仓库调拨' as sType,count(*) as Qty from ckdbzb where uflag=0 union all select '库存变动' as sType,count(*) as Qty from qtkcbdzb where uflag=0 union all select '费用开支' as sType,count(*) as Qty from fykzzb where uflag=0 union all select '其它收入' as sType,count(*) as Qty from qtsrzb where uflag=0 union all select '采购订单' as sType,count(*) as Qty from cgddzb where uflag=0 union all select '采购入库' as sType,count(*) as Qty from cgshzb where uflag=0 union all select '采购退货' as sType,count(*) as Qty from cgthzb where uflag=0 union all select '销售订单' as sType,count(*) as Qty from xsddzb where uflag=0 union all select '销售出库' as sType,count(*) as Qty from xskdzb where uflag=0 union all select '销售退货' as sType,count(*) as Qty from xsthzb where uflag=0 union all select '领料' as sType,count(*) as Qty from llzb where uflag=0 union all select '退料' as sType,count(*) as Qty from tlzb where uflag=0 union all select '产品进仓' as sType,count(*) as Qty from cpjczb where uflag=0) a where Qty > 0 ;
 select * from (select '库存盘点' as sType,count(*) as Qty from (KCPDZB Z inner join ( select b.mc as bmmc,c.* from CK  C  left join BM B on c.bmid=b.id where BMID in (1,2) ) C on Z.CKID = C.ID) where uflag=0 union all select '采购入库' as sType,count(*) as Qty from cgshzb where uflag=0 union all select '物品领用' as sType,count(*) as Qty from (llZB Z inner join  CK C  on Z.CKID = C.ID) where uflag=0 union all select '物品归还' as sType,count(*) as Qty from tlzb where uflag=0) a where Qty > 0 ;
