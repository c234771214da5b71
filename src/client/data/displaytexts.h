// Text handlers of coded fields: the shown text of an audit level, a goods accounting
// method, an account kind, a tax rate... The central data modules attach them to their
// datasets' fields; forms attach them to fields of their own datasets the same way:
//   field->OnGetText = uFlagGetText;
// Each sets the text for display and for editing alike; values without a text show empty.
#pragma once

#include <QString>

class TField;

// 0 "草稿" (draft), 1 "审核" (audited).
void uFlagGetText(TField &Sender, QString &Text, bool DisplayText);
// 1 "库存商品", 2 "服务/劳务", 3 "其它收入", 4 "其它支出", 5 "折扣".
void ConverHphsff(TField &Sender, QString &Text, bool DisplayText);
// true "银行存款类", false "现金类".
void ZhYHLGetText(TField &Sender, QString &Text, bool DisplayText);
// true "收入类", false "支出类".
void SrzclbSRLGetText(TField &Sender, QString &Text, bool DisplayText);
// true "入库类", false "出库类".
void QtkcbdlxRKLGetText(TField &Sender, QString &Text, bool DisplayText);
// true "需要", false "不需要".
void QtkcbdlxTHBZGetText(TField &Sender, QString &Text, bool DisplayText);
// 1 "月薪", 2 "计件".
void YgJSFFGetText(TField &Sender, QString &Text, bool DisplayText);
// The rate followed by "%" ("17%"); empty while there is no rate.
void NSLGetText(TField &Sender, QString &Text, bool DisplayText);
// The menu caption indented by four blanks per mLevel, cut to 50 characters.
void AppMenumCaptionGetText(TField &Sender, QString &Text, bool DisplayText);
// Exactly 0 (or nothing) shows empty; any other value with the field's display format.
void ZeroToEmpty(TField &Sender, QString &Text, bool DisplayText);
// The salesperson; "其他" (other) when there is none.
void YwyGetText(TField &Sender, QString &Text, bool DisplayText);
