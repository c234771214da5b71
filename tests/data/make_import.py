#!/usr/bin/python3
# Writes import.xls, the BIFF workbook the workbook reader tests read (needs Debian's
# python3-xlwt). Run from this folder; the result is committed.
import datetime
import xlwt

book = xlwt.Workbook(encoding="utf-8")
goods = book.add_sheet("货品")
date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
moment = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm:ss")
clock = xlwt.easyxf(num_format_str="hh:mm:ss")
for c, heading in enumerate(["编号", "名称", "单价", "入库日期", "备注"]):
    goods.write(0, c, heading)
goods.write(1, 0, "00012")
goods.write(1, 1, "铅笔")
goods.write(1, 2, 1.25)
goods.write(1, 3, datetime.date(2024, 2, 29), date)
goods.write(1, 4, "HB")
goods.write(2, 0, "00013")
goods.write(2, 1, "Eraser")
goods.write(2, 2, 3)
goods.write(2, 3, datetime.datetime(2025, 1, 2, 13, 45, 30), moment)
# row 2 column 4 stays empty
goods.write(3, 0, "00014")
goods.write(3, 2, -0.5)
goods.write(3, 3, datetime.time(8, 30, 0), clock)
staff = book.add_sheet("Staff")
staff.write(0, 0, "工号")
staff.write(0, 1, "姓名")
staff.write(2, 0, "E01")
staff.write(2, 1, "张三")
book.save("import.xls")
