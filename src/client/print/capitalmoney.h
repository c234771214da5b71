// Amounts in capital Chinese numerals, the way invoices and delivery notes write them.
#pragma once

#include <QString>

// Rounded to the cent: "壹万贰仟叁佰肆拾伍元陆角柒分", "壹佰元整", "壹仟零壹元整", "伍角整",
// "壹元零伍分", "零元整"; a negative amount starts with "负".
QString CapitalMoney(double amount);
