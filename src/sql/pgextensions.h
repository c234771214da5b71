// What translated SQL needs from PostgreSQL beyond its built-ins: the twins of the SQLite
// functions and collation of registerExtensions, written in SQL and PL/pgSQL so that a database
// needs nothing but a stock server. Both engines give the same answers; the one exception is
// at the end.
//
// The text collation `vz_text` is ICU's "zh-u-co-pinyin-ks-level2-kr-zzzz": Chinese in pinyin
// order, secondary strength (case and full-width against half-width ignored, accents not), and
// no script reordering, so Latin sorts before Han as in GBK. It is nondeterministic, so on
// columns that carry it `=`, `<>`, GROUP BY, DISTINCT and ORDER BY behave as the SQLite
// collation does; where no column brings it (two expressions, an ORDER BY of a computed text)
// the translator adds `collate vz_text` where SQLite's SQL names the collation. PostgreSQL
// refuses LIKE, regular expressions and substring searches on such
// text, so the translator writes Jet's LIKE as
//     x collate "C" ilike pattern escape ''
// which folds ASCII letters only, as SQLite's LIKE does, and treats no character as an escape,
// as SQLite does without an ESCAPE clause. Every function below applies "C" to its text
// arguments itself, so they may be called on columns of either collation.
//
// Functions and their types (Jet dates are date, date-times timestamp(0), numbers double
// precision, integers bigint, text text):
//   vz_datetime(text | double precision | date | timestamp) -> timestamp(0)
//       An invalid date raises SQLSTATE 22007; '' gives Null.
//   vz_str(text | double precision | bigint | boolean | date | timestamp) -> text
//       A value as Jet's & writes it: "17" not "17.0", dates in canonical text, booleans
//       as the 1 and 0 that SQLite stores.
//   vz_amp(variadic text[]) -> text
//       Jet's &. Operands that are not text are passed through vz_str, since a text array
//       takes no other type.
//   vz_format(double precision | bigint | integer | boolean | text | date | timestamp,
//             text) -> text
//       Stable, as to_char() is; the mask is read once per query when it is a constant.
//   vz_val(text | double precision) -> double precision
//   vz_instr(bigint, text, text) -> bigint
//   vz_right(text, bigint) -> text
//   vz_getpy(text) -> text
//   vz_unhex(text) -> bytea
//
// The difference: vz_format formats text as a number only when it is a decimal number, not
// when strtod() would also read it (C's hexadecimal floats, "inf", "nan").
#pragma once

#include <string>

namespace sql {

// The statements that install the collation and the functions in the current database. It may
// run again on a database that has them: each statement replaces or skips what exists.
std::string postgresExtensionsScript();

} // namespace sql
