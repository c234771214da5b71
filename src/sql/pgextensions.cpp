// The PostgreSQL twins of the SQLite extensions, as one installation script.
#include "sql/pgextensions.h"

#include "text/gbk.h"
#include "text/pinyin.h"

#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

namespace sql {

namespace {

// Everything but the mnemonic's letter table. The functions give their text variables the "C"
// collation, or apply it to their arguments, before a regular expression, strpos or lower():
// a PL/pgSQL variable takes the collation of the call's arguments, PostgreSQL refuses those
// operations under the nondeterministic vz_text, and lower() would fold more than ASCII.
constexpr std::string_view FixedPart = R"SQL(
-- The functions read characters as Unicode code points, which ascii() gives in UTF-8 only.
do $$
begin
    if current_setting('server_encoding') <> 'UTF8' then
        raise exception 'the database must use the UTF8 encoding, not %',
            current_setting('server_encoding') using errcode = '22021';
    end if;
end $$;

create collation if not exists vz_text (
    provider = icu, locale = 'zh-u-co-pinyin-ks-level2-kr-zzzz', deterministic = false);

-- Date-times as the client writes them; Null for text that is no valid date.
create or replace function vz_read_datetime(value text) returns timestamp(0) without time zone
language plpgsql immutable strict parallel safe as $$
declare
    t text collate "C" := btrim(value collate "C", E' \t\n\r\f\x0B');
    m text[] collate "C";
    y int;
    mo int;
    d int;
    h int := 0;
    mi int := 0;
    s int := 0;
    tail text collate "C" := '';
    rest text collate "C" := '';
begin
    -- The canonical form, which stored dates have, without regexp_match(), whose groups cost
    -- ten times what the match does.
    if t ~ '^[0-9]{4}-[0-9]{2}-[0-9]{2}( [0-9]{2}:[0-9]{2}:[0-9]{2})?$' then
        y := substr(t, 1, 4)::int; mo := substr(t, 6, 2)::int; d := substr(t, 9, 2)::int;
        if length(t) = 19 then
            h := substr(t, 12, 2)::int; mi := substr(t, 15, 2)::int; s := substr(t, 18, 2)::int;
        end if;
    elsif t ~ '^[0-9]{1,2}:' then
        -- A time alone falls on Jet's day zero.
        y := 1899; mo := 12; d := 30;
        rest := t;
    else
        m := regexp_match(t, '^([0-9]{4})([0-9]{2})([0-9]{2})($|[ T].*)');
        if m is not null then
            y := m[1]::int; mo := m[2]::int; d := m[3]::int;
            tail := m[4];
        else
            m := regexp_match(t, '^([0-9]{1,8})([-/.])([0-9]{1,2})\2([0-9]{1,4})($|[ T].*)');
            if m is null then
                return null;
            end if;
            if length(m[1]) = 4 and length(m[4]) <= 2 then
                y := m[1]::int; mo := m[3]::int; d := m[4]::int;
            elsif length(m[1]) <= 2 and length(m[4]) in (2, 4) then
                -- Month first, and two-digit years 00-29 in the 2000s.
                y := m[4]::int;
                if length(m[4]) = 2 then
                    y := y + case when y < 30 then 2000 else 1900 end;
                end if;
                mo := m[1]::int; d := m[3]::int;
            else
                return null;
            end if;
            tail := m[5];
        end if;
        if tail <> '' then
            rest := ltrim(substr(tail, 2), E' \t\n\r\f\x0B');
            if rest = '' then
                return null;
            end if;
        end if;
    end if;
    if y < 100 or y > 9999 or mo < 1 or mo > 12 or d < 1 or d > (case
        when mo = 2 then
            (case when (y % 4 = 0 and y % 100 <> 0) or y % 400 = 0 then 29 else 28 end)
        when mo in (4, 6, 9, 11) then 30 else 31 end) then
        return null;
    end if;
    if rest <> '' then
        m := regexp_match(rest, '^([0-9]{1,2}):([0-9]{2})(?::([0-9]{2})(?:\.[0-9]*)?)?'
                                '[ \t\n\r\f\v]*([AaPp][Mm])?$');
        if m is null then
            return null;
        end if;
        h := m[1]::int; mi := m[2]::int; s := coalesce(m[3]::int, 0);
        if m[4] is not null then
            if h < 1 or h > 12 then
                return null;
            end if;
            h := case when upper(m[4]) = 'PM' then h % 12 + 12 else h % 12 end;
        end if;
    end if;
    if h > 23 or mi > 59 or s > 59 then
        return null;
    end if;
    return make_timestamp(y, mo, d, h, mi, s);
end $$;

-- A Jet date serial (days since 1899-12-30, the absolute fraction the time of day), rounded
-- to the second; Null outside the years 100 to 9999.
create or replace function vz_datetime_of_serial(days double precision)
returns timestamp(0) without time zone
language plpgsql immutable strict parallel safe as $$
declare
    whole double precision;
    fraction double precision;
    seconds bigint;
begin
    if not abs(days) <= 3.0e6 then
        return null;
    end if;
    whole := trunc(days);
    fraction := abs(days - whole) * 86400.0;
    -- Halves away from zero; round() would take them to even.
    seconds := case when fraction - floor(fraction) >= 0.5 then ceil(fraction)
                    else floor(fraction) end;
    if seconds >= 86400 then
        seconds := seconds - 86400;
        whole := whole + sign(days);
    end if;
    if whole < -657434 or whole > 2958465 then
        return null;
    end if;
    return (date '1899-12-30' + whole::int) + make_interval(secs => seconds);
end $$;

create or replace function vz_invalid_date(value text) returns timestamp(0) without time zone
language plpgsql immutable strict parallel safe as $$
begin
    raise exception 'invalid date ''%''', value using errcode = '22007';
end $$;

-- Not strict, so that it is inlined: a strict function is only when its body is strict too.
create or replace function vz_datetime(value text) returns timestamp(0) without time zone
language sql immutable parallel safe as $$
    select case when $1 collate "C" = '' then null
                else coalesce(vz_read_datetime($1), vz_invalid_date($1)) end $$;

create or replace function vz_datetime(value double precision)
returns timestamp(0) without time zone
language plpgsql immutable strict parallel safe as $$
declare
    result timestamp(0) without time zone := vz_datetime_of_serial(value);
begin
    if result is null then
        raise exception 'invalid date ''%''', value using errcode = '22007';
    end if;
    return result;
end $$;

create or replace function vz_datetime(value date) returns timestamp(0) without time zone
language sql immutable strict parallel safe as $$ select $1::timestamp(0) $$;

create or replace function vz_datetime(value timestamp without time zone)
returns timestamp(0) without time zone
language sql immutable strict parallel safe as $$ select $1::timestamp(0) $$;

-- C's %.15g.
create or replace function vz_general_number(value double precision) returns text
language plpgsql immutable strict parallel safe as $$
declare
    t text collate "C";
    whole text collate "C";
    fraction text collate "C";
    digits text collate "C";
    exponent int;
    sign text collate "C" := case when value < 0 or value::text = '-0' then '-' else '' end;
begin
    if value = 'NaN' then
        return 'nan';
    elsif value in ('Infinity', '-Infinity') then
        return sign || 'inf';
    elsif value = 0 then
        return sign || '0';
    end if;
    -- A double becomes numeric through its 15 significant digits.
    t := abs(value)::numeric::text;
    whole := split_part(t, '.', 1);
    fraction := split_part(t, '.', 2);
    if whole <> '0' then
        exponent := length(whole) - 1;
        digits := rtrim(whole || fraction, '0');
    else
        exponent := -(length(fraction) - length(ltrim(fraction, '0')) + 1);
        digits := rtrim(ltrim(fraction, '0'), '0');
    end if;
    if exponent < -4 or exponent >= 15 then
        return sign || left(digits, 1)
            || case when length(digits) > 1 then '.' || substr(digits, 2) else '' end
            || 'e' || case when exponent < 0 then '-' else '+' end
            || lpad(abs(exponent)::text, 2, '0');
    end if;
    fraction := rtrim(fraction, '0');
    return sign || whole || case when fraction = '' then '' else '.' || fraction end;
end $$;

-- A double as SQLite writes a real, which is what its vz_format gives back for a number that
-- a date mask cannot format.
create or replace function vz_real_text(value double precision) returns text
language plpgsql immutable strict parallel safe as $$
declare
    g text collate "C" := vz_general_number(value);
begin
    if value = 'NaN' then
        return null;
    elsif value in ('Infinity', '-Infinity') then
        return replace(g, 'inf', 'Inf');
    elsif strpos(g, '.') > 0 then
        return g;
    elsif strpos(g, 'e') > 0 then
        return replace(g, 'e', '.0e');
    end if;
    return g || '.0';
end $$;

-- A value as Jet's & writes it.
create or replace function vz_str(value double precision) returns text
language sql immutable parallel safe as $$
    select case
        when $1 = 0 then '0'
        when $1 = 'NaN' then 'NaN'
        when $1 = 'Infinity' then 'Infinity'
        when $1 = '-Infinity' then '-Infinity'
        -- Whole numbers exactly, without an exponent, up to where doubles stop having units;
        -- beyond a bigint they are multiples of 2048.
        when abs($1) < 9.2e18 and $1 = trunc($1) then $1::bigint::text
        when abs($1) < 1e21 and $1 = trunc($1) then (($1 / 2048)::bigint::numeric * 2048)::text
        else vz_general_number($1) end $$;

create or replace function vz_str(value bigint) returns text
language sql immutable strict parallel safe as $$ select $1::text $$;

-- Booleans are stored as 1 and 0 where PostgreSQL has a boolean type.
create or replace function vz_str(value boolean) returns text
language sql immutable strict parallel safe as $$ select $1::int::text $$;

create or replace function vz_str(value text) returns text
language sql immutable strict parallel safe as $$ select $1 $$;

create or replace function vz_str(value timestamp without time zone) returns text
language sql stable parallel safe as $$
    select case when $1::time = '00:00:00' then to_char($1, 'YYYY-MM-DD')
                else to_char($1, 'YYYY-MM-DD HH24:MI:SS') end $$;

create or replace function vz_str(value date) returns text
language sql stable strict parallel safe as $$ select to_char($1, 'YYYY-MM-DD') $$;

-- Jet's &: Null counts as '' unless every operand is Null.
create or replace function vz_amp(variadic parts text[]) returns text
language sql immutable parallel safe as $$
    select case when num_nonnulls(variadic $1) = 0 then null
                else array_to_string($1, '') end $$;

-- Val(text): the number at the start of the text, blanks ignored anywhere, &H and &O radixes.
create or replace function vz_val(value text) returns double precision
language plpgsql immutable strict parallel safe as $$
declare
    compact text collate "C" := regexp_replace(value collate "C", '[ \t\n\r]', '', 'g');
    m text[] collate "C";
    radix int;
    magnitude numeric := 0;
    digit text collate "C";
    whole text collate "C";
    fraction text collate "C";
    exponent int;
    exact numeric;
begin
    if length(compact) > 2 and left(compact, 1) = '&' and upper(substr(compact, 2, 1)) in ('H', 'O') then
        if upper(substr(compact, 2, 1)) = 'H' then
            radix := 16;
            m := regexp_match(substr(compact, 3), '^[\f\v]*([+-]?)(?:0[xX](?=[0-9a-fA-F]))?([0-9a-fA-F]*)');
        else
            radix := 8;
            m := regexp_match(substr(compact, 3), '^[\f\v]*([+-]?)([0-7]*)');
        end if;
        foreach digit in array regexp_split_to_array(m[2], '') loop
            magnitude := magnitude * radix + position(lower(digit) in '0123456789abcdef') - 1;
        end loop;
        -- strtoll's limits.
        if m[1] = '-' then
            return -least(magnitude, 9223372036854775808);
        end if;
        return least(magnitude, 9223372036854775807);
    end if;
    -- A plain number that a double holds, without regexp_match().
    if compact ~ '^[+-]?[0-9]+(\.[0-9]*)?$' and length(compact) < 300 then
        return compact::double precision;
    end if;
    m := regexp_match(compact, '^([+-]?)([0-9]*)(?:\.([0-9]*))?(?:[eEdD]([+-]?[0-9]+))?');
    if coalesce(m[2], '') = '' and coalesce(m[3], '') = '' then
        return 0;
    end if;
    -- Through numeric, which holds any of these exactly, so that what a double cannot hold
    -- becomes strtod's infinity or zero rather than an error; an exception block would need a
    -- subtransaction, which a parallel query cannot start.
    whole := ltrim(m[2], '0');
    fraction := coalesce(m[3], '');
    if rtrim(whole || fraction, '0') = '' then
        return (m[1] || '0')::double precision;
    end if;
    exponent := case
        when m[4] is null then 0
        when length(ltrim(m[4], '+-0')) > 6 then
            case when left(m[4], 1) = '-' then -1000000 else 1000000 end
        else m[4]::int end;
    -- The power of ten of the first significant digit.
    magnitude := exponent + case when whole <> '' then length(whole) - 1
                                 else -(length(fraction) - length(ltrim(fraction, '0')) + 1) end;
    if magnitude < 400 and magnitude > -400 then
        exact := (m[1] || coalesce(nullif(whole, ''), '0') || '.' || fraction || '0e'
                  || exponent)::numeric;
        if abs(exact) < 1.797693134862315807937289714053e308 then
            if abs(exact) <= 2.4703282292062327e-324 then
                return (m[1] || '0')::double precision;
            end if;
            return exact::double precision;
        end if;
    end if;
    if magnitude < 0 then
        return (m[1] || '0')::double precision;
    end if;
    return (m[1] || 'Infinity')::double precision;
end $$;

create or replace function vz_val(value double precision) returns double precision
language sql immutable strict parallel safe as $$ select $1 $$;

-- The error of a bad argument, for SQL functions, which cannot raise one. The value it is
-- about is an argument so that the planner does not call it for constants in a branch that
-- is never taken.
create or replace function vz_refuse(message text, value bigint) returns bigint
language plpgsql immutable parallel safe as $$
begin
    raise exception '%', message using errcode = '22023';
end $$;

-- Jet's three-argument InStr: 1-based, counted in characters, 0 when not found. Not strict,
-- so that it is inlined.
create or replace function vz_instr(start bigint, value text, part text) returns bigint
language sql immutable parallel safe as $$
    select case
        when $1 is null or $2 is null or $3 is null then null
        when $1 < 1 then vz_refuse('InStr: the start must be 1 or more', $1)
        when $1 > length($2) + 1 then 0
        else coalesce(nullif(strpos(substr($2 collate "C", $1::int), $3 collate "C"), 0)
                      + $1 - 1, 0) end $$;

-- Jet's Right for a count that is not a constant. least() would take a Null count for none.
create or replace function vz_right(value text, count bigint) returns text
language sql immutable parallel safe as $$
    select case
        when $2 is null then null
        when $2 < 0 then vz_refuse('Right: the length must not be negative', $2)::text
        else right($1, least($2, 1073741823)::int) end $$;

create or replace function vz_unhex(value text) returns bytea
language plpgsql immutable strict parallel safe as $$
begin
    if octet_length(value) % 2 <> 0 then
        raise exception 'unhex: an odd number of hexadecimal digits' using errcode = '22023';
    end if;
    -- decode() would skip blanks.
    if value collate "C" !~ '^[0-9a-fA-F]*$' then
        raise exception 'unhex: not a hexadecimal digit' using errcode = '22023';
    end if;
    return decode(value, 'hex');
end $$;

-- Format's named formats as masks.
create or replace function vz_named_format(mask text) returns text
language sql immutable parallel safe as $$
    select case lower($1 collate "C")
        when 'fixed' then '0.00'
        when 'standard' then '#,0.00'
        when 'percent' then '0.00%'
        when 'short date' then 'yyyy-mm-dd'
        when 'long time' then 'hh:nn:ss'
        else $1 end $$;

create or replace function vz_is_date_mask(mask text) returns boolean
language sql immutable parallel safe as $$
    select case when vz_named_format($1) collate "C" ~ '[yYdDhHnNsS]' then true
                when vz_named_format($1) collate "C" ~ '[0#]' then false
                else vz_named_format($1) collate "C" ~ '[mM]' end $$;

-- Format's masks are read once per query: the functions that read them are immutable, so the
-- planner computes them for a constant mask, and the SQL functions around them are inlined.
-- Whatever calls to_char() is stable, as to_char() is, or it would not be inlined.

-- A date mask as a to_char() pattern: runs of y, m, d, h, n (m after h meaning minutes), s,
-- "quoted" text, the rest as it is. Null for the general date.
create or replace function vz_date_pattern(mask text) returns text
language plpgsql immutable strict parallel safe as $$
declare
    f text collate "C" := vz_named_format(mask);
    n int := length(f);
    i int := 1;
    run int;
    c text collate "C";
    closing int;
    literal text collate "C";
    after_hour boolean := false;
    pattern text collate "C" := '';
begin
    if f = '' or lower(f) = 'general date' then
        return null;
    end if;
    while i <= n loop
        c := lower(substr(f, i, 1));
        run := 1;
        while i + run <= n and lower(substr(f, i + run, 1)) = c loop
            run := run + 1;
        end loop;
        literal := null;
        if c = 'y' then
            pattern := pattern || case when run >= 4 then 'FMYYYY' else 'YY' end;
        elsif c = 'm' and after_hour then
            pattern := pattern || case when run >= 2 then 'MI' else 'FMMI' end;
            after_hour := false;
        elsif c = 'm' then
            pattern := pattern || case when run >= 2 then 'MM' else 'FMMM' end;
        elsif c = 'd' then
            pattern := pattern || case when run >= 2 then 'DD' else 'FMDD' end;
        elsif c = 'h' then
            pattern := pattern || case when run >= 2 then 'HH24' else 'FMHH24' end;
            after_hour := true;
        elsif c = 'n' then
            pattern := pattern || case when run >= 2 then 'MI' else 'FMMI' end;
        elsif c = 's' then
            pattern := pattern || case when run >= 2 then 'SS' else 'FMSS' end;
        elsif c = '"' then
            closing := strpos(substr(f, i + 1), '"');
            if closing = 0 then
                literal := substr(f, i + 1);
                run := n;
            else
                literal := substr(f, i + 1, closing - 1);
                run := closing + 1;
            end if;
        else
            literal := substr(f, i, run);
        end if;
        if literal <> '' then
            -- Quoted, so that no letter of it reads as a pattern.
            pattern := pattern || '"' || replace(replace(literal, '\', '\\'), '"', '\"') || '"';
        end if;
        i := i + run;
    end loop;
    return pattern;
end $$;

create or replace function vz_format_date(value timestamp without time zone, mask text)
returns text
language sql stable parallel safe as $$
    select coalesce(to_char($1, vz_date_pattern($2)), vz_str($1)) $$;

-- A number mask's sections, read: whether it is the general number, then for the positive
-- section and (when there is one) the negative one: prefix, suffix, integer zeros, fraction
-- zeros, fraction hashes, grouping, point, percent, placeholders.
create or replace function vz_number_mask(mask text) returns text[]
language plpgsql immutable strict parallel safe as $$
declare
    f text collate "C" := vz_named_format(mask);
    sections text[] collate "C";
    section text collate "C";
    result text[] collate "C";
    n int;
    i int;
    c text collate "C";
    literal text collate "C";
    closing int;
    prefix text collate "C";
    suffix text collate "C";
    integer_zeros int;
    fraction_zeros int;
    fraction_hashes int;
    grouped boolean;
    has_point boolean;
    is_percent boolean;
    in_number boolean;
    after boolean;
begin
    if f = '' or lower(f) = 'general number' then
        return array['general'];
    end if;
    -- Positive;negative; a third section is not used.
    sections := (string_to_array(f, ';'))[1:2];
    result := array['sections'];
    foreach section in array sections loop
        if section = '' and cardinality(result) > 1 then
            exit;
        end if;
        n := length(section);
        i := 1;
        prefix := ''; suffix := '';
        integer_zeros := 0; fraction_zeros := 0; fraction_hashes := 0;
        grouped := false; has_point := false; is_percent := false;
        in_number := false; after := false;
        while i <= n loop
            c := substr(section, i, 1);
            if c = '"' then
                closing := strpos(substr(section, i + 1), '"');
                if closing = 0 then
                    literal := substr(section, i + 1);
                    i := n;
                else
                    literal := substr(section, i + 1, closing - 1);
                    i := i + closing;
                end if;
            elsif c = '\' and i < n then
                i := i + 1;
                literal := substr(section, i, 1);
            elsif c in ('0', '#') or (c in ('.', ',') and not after) then
                in_number := in_number or c in ('0', '#');
                if c = '.' then
                    has_point := true;
                elsif c = ',' then
                    grouped := grouped or not has_point;
                elsif not has_point then
                    integer_zeros := integer_zeros + (c = '0')::int;
                elsif c = '0' then
                    fraction_zeros := fraction_zeros + 1;
                else
                    fraction_hashes := fraction_hashes + 1;
                end if;
                i := i + 1;
                continue;
            else
                is_percent := is_percent or c = '%';
                literal := c;
            end if;
            after := after or in_number;
            if in_number then
                suffix := suffix || literal;
            else
                prefix := prefix || literal;
            end if;
            i := i + 1;
        end loop;
        result := result || array[prefix, suffix, integer_zeros::text, fraction_zeros::text,
                                  fraction_hashes::text, grouped::text, has_point::text,
                                  is_percent::text, in_number::text];
    end loop;
    return result;
end $$;

-- A number formatted by a read mask; halves are rounded away from zero on the number's 15
-- significant digits.
create or replace function vz_format_read_number(value double precision, mask text[])
returns text
language plpgsql immutable strict parallel safe as $$
declare
    use_negative boolean := value < 0 and cardinality(mask) > 10;
    o int := case when use_negative then 10 else 1 end;
    integer_zeros int := mask[o + 3]::int;
    fraction_zeros int := mask[o + 4]::int;
    has_point boolean := mask[o + 7]::boolean;
    rounded text collate "C";
    whole text collate "C";
    fraction text collate "C";
begin
    if value in ('Infinity', '-Infinity', 'NaN') then
        return vz_str(value);
    elsif mask[1] = 'general' then
        return vz_general_number(value);
    end if;
    if not mask[o + 9]::boolean and not has_point then
        return mask[o + 1] || mask[o + 2];
    end if;
    if mask[o + 8]::boolean then
        value := value * 100;
    end if;
    -- A double becomes numeric through its 15 significant digits; numeric's round() takes
    -- halves away from zero.
    rounded := round(abs(value)::numeric, fraction_zeros + mask[o + 5]::int)::text;
    whole := split_part(rounded, '.', 1);
    fraction := split_part(rounded, '.', 2);
    if length(rtrim(fraction, '0')) >= fraction_zeros then
        fraction := rtrim(fraction, '0');
    else
        fraction := left(fraction, fraction_zeros);
    end if;
    if whole = '0' and integer_zeros = 0 then
        whole := '';
    end if;
    whole := lpad(whole, greatest(integer_zeros, length(whole)), '0');
    if mask[o + 6]::boolean and length(whole) > 3 then
        whole := reverse(regexp_replace(reverse(whole), '([0-9]{3})(?=[0-9])', '\1,', 'g'));
    end if;
    -- Jet shows the sign when any character but a zero is left, commas included.
    return case when value < 0 and not use_negative and (whole || fraction) ~ '[^0]' then '-'
                else '' end
        || mask[o + 1] || whole || case when has_point then '.' else '' end || fraction
        || mask[o + 2];
end $$;

create or replace function vz_format_number(value double precision, mask text) returns text
language sql immutable strict parallel safe as $$
    select vz_format_read_number($1, vz_number_mask($2)) $$;

-- The number of text that reads as one as a whole (blanks before it allowed); Null otherwise.
create or replace function vz_read_number(value text) returns double precision
language plpgsql immutable strict parallel safe as $$
begin
    -- vz_val reads it as strtod does, also beyond what a double holds.
    if value collate "C" ~ '^[ \t\n\r\f\v]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?$' then
        return vz_val(value);
    end if;
    return null;
end $$;

create or replace function vz_format(value double precision, mask text) returns text
language sql stable parallel safe as $$
    select case
        when $1 is null then null
        when vz_is_date_mask(coalesce($2, '')) then
            coalesce(vz_format_date(vz_datetime_of_serial($1), coalesce($2, '')), vz_real_text($1))
        else vz_format_number($1, coalesce($2, '')) end $$;

-- Whole numbers apart, since a date mask gives back the digits of one it cannot format.
create or replace function vz_format(value bigint, mask text) returns text
language sql stable parallel safe as $$
    select case
        when $1 is null then null
        when vz_is_date_mask(coalesce($2, '')) then
            coalesce(vz_format_date(vz_datetime_of_serial($1), coalesce($2, '')), $1::text)
        else vz_format_number($1, coalesce($2, '')) end $$;

create or replace function vz_format(value integer, mask text) returns text
language sql stable parallel safe as $$ select vz_format($1::bigint, $2) $$;

create or replace function vz_format(value boolean, mask text) returns text
language sql stable parallel safe as $$ select vz_format($1::int::bigint, $2) $$;

create or replace function vz_format(value timestamp without time zone, mask text) returns text
language sql stable parallel safe as $$
    select case when vz_is_date_mask(coalesce($2, '')) then vz_format_date($1, coalesce($2, ''))
                else vz_str($1) end $$;

create or replace function vz_format(value date, mask text) returns text
language sql stable parallel safe as $$ select vz_format($1::timestamp, $2) $$;

-- Text that reads as a date or a number is formatted as one; other text passes unchanged.
create or replace function vz_format(value text, mask text) returns text
language sql stable parallel safe as $$
    select case
        when vz_is_date_mask(coalesce($2, '')) then
            coalesce(vz_format_date(vz_read_datetime($1), coalesce($2, '')), $1)
        else coalesce(vz_format_number(vz_read_number($1), coalesce($2, '')), $1) end $$;
)SQL";

using Range = std::pair<char32_t, char32_t>;

// A run of private-use characters with consecutive GBK codes.
struct CodeRun
{
    char32_t first;
    char32_t last;
    int code; // of `first`
};

// What the mnemonic needs to know about GBK, learnt from the client's own routines so that the
// two cannot drift apart.
struct MnemonicData
{
    // The letter of each character from `first` on (the block of Chinese characters), found
    // with get_byte() in constant time; every other character beyond ASCII gives V.
    char32_t first = 0;
    std::string letters;
    // Characters GBK drops, and those it writes as one byte above 127: the names that hold
    // one of them are walked byte by byte as the client does.
    std::vector<Range> dropped;
    std::vector<std::pair<char32_t, int>> singleBytes;
    // For that walk: the characters with a two-byte code that PostgreSQL's GBK conversion
    // knows (all but the private-use ones), the private-use ones, and the letter of each code.
    std::vector<Range> convertible;
    std::vector<CodeRun> privateUse;
    int firstCode = 0;
    std::string codeLetters;
};

std::string utf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | (c >> 18));
        s += char(0x80 | ((c >> 12) & 0x3F));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

void addToRanges(std::vector<Range> &ranges, char32_t c)
{
    if (!ranges.empty() && ranges.back().second + 1 == c)
        ranges.back().second = c;
    else
        ranges.emplace_back(c, c);
}

// The letters of `lettered` as one table from the first to the last of them, V in the gaps.
template<typename Key>
std::string letterTable(const std::vector<std::pair<Key, char>> &lettered, Key &first)
{
    if (lettered.empty())
        return "V";
    first = lettered.front().first;
    std::string letters(size_t(lettered.back().first - first + 1), 'V');
    for (const auto &[key, letter] : lettered)
        letters[size_t(key - first)] = letter;
    return letters;
}

// Asks ICU about every character once: a tenth of a second.
MnemonicData mnemonicData()
{
    MnemonicData data;
    std::vector<std::pair<char32_t, char>> lettered;
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const std::string character = utf8(c);
        const std::string mnemonic = text::MnemonicOf(character);
        if (mnemonic != "V" && !mnemonic.empty())
            lettered.emplace_back(c, mnemonic.front());
        const std::string gbk = text::ToGbk(character);
        const bool privateUse = c >= 0xE000 && c <= 0xF8FF;
        if (gbk.empty()) {
            addToRanges(data.dropped, c);
        } else if (gbk.size() == 1) {
            data.singleBytes.emplace_back(c, static_cast<unsigned char>(gbk[0]));
        } else if (gbk == "\xA3\xBF" && c != U'\uFF1F') {
            continue; // no GBK character
        } else if (!privateUse) {
            addToRanges(data.convertible, c);
        } else {
            const int code =
                static_cast<unsigned char>(gbk[0]) * 256 + static_cast<unsigned char>(gbk[1]);
            if (!data.privateUse.empty() && data.privateUse.back().last + 1 == c &&
                data.privateUse.back().code + int(c - data.privateUse.back().first) == code)
                data.privateUse.back().last = c;
            else
                data.privateUse.push_back({c, c, code});
        }
    }
    data.letters = letterTable(lettered, data.first);

    std::vector<std::pair<int, char>> codes;
    for (int code = 0x8000; code <= 0xFFFF; ++code) {
        const std::string letter = text::GetPY(std::string{char(code >> 8), char(code & 0xFF)});
        if (letter != "V")
            codes.emplace_back(code, letter.front());
    }
    data.codeLetters = letterTable(codes, data.firstCode);
    return data;
}

std::string number(long long n)
{
    return std::to_string(n);
}

// `value between a and b or ...` for the ranges; false for none.
std::string inRanges(const std::string &value, const std::vector<Range> &ranges)
{
    std::string sql;
    for (const auto &[from, to] : ranges) {
        sql += sql.empty() ? "" : " or ";
        sql += from == to ? value + " = " + number(from)
                          : value + " between " + number(from) + " and " + number(to);
    }
    return sql.empty() ? "false" : sql;
}

// A regular expression's bracket of the characters, written as escapes.
std::string bracket(const std::vector<Range> &ranges)
{
    auto escape = [](char32_t c) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, c > 0xFFFF ? "\\U%08X" : "\\u%04X", unsigned(c));
        return std::string(buffer);
    };
    std::string sql = "[";
    for (const auto &[from, to] : ranges)
        sql += from == to ? escape(from) : escape(from) + "-" + escape(to);
    return sql + "]";
}

// Not strict, so that the planner inlines them; a Null name still gives Null.
constexpr std::string_view MnemonicTemplate = R"SQL(
create or replace function vz_getpy_letter(c int, letter text) returns text
language sql immutable parallel safe as $$
    select case
        when c between @FIRST@ and @LAST@ then chr(get_byte('@LETTERS@'::bytea, c - @FIRST@))
        when c < 128 then letter
        when @DROPPED@ then ''
        when c is not null then 'V' end $$;

-- The client's walk over GBK bytes, for the names that reading character by character cannot
-- follow. Like the client, it converts only the first 40 bytes of the name.
create or replace function vz_getpy_bytes(name text) returns text
language plpgsql immutable strict parallel safe as $$
declare
    utf8 bytea := convert_to(name, 'UTF8');
    cut int := least(octet_length(utf8), 40);
    ch text collate "C";
    c int;
    code int;
    gbk bytea := '';
    i int := 0;
    result text := '';
begin
    -- A character the cut splits is a malformed one, which becomes the substitute.
    while cut > 0 and cut < octet_length(utf8) and get_byte(utf8, cut) between 128 and 191 loop
        cut := cut - 1;
    end loop;
    foreach ch in array regexp_split_to_array(
            convert_from(substring(utf8 from 1 for cut), 'UTF8') collate "C", '') loop
        c := ascii(ch);
        code := case
            when c < 128 then c
            when @DROPPED@ then null
            @SINGLE_BYTES@
            @PRIVATE_USE@
            when ch ~ '@CONVERTIBLE@' then -1
            else 41919 end;
        if code = -1 then
            gbk := gbk || convert_to(ch, 'GBK');
        elsif code > 255 then
            gbk := gbk || decode(lpad(to_hex(code), 4, '0'), 'hex');
        elsif code is not null then
            gbk := gbk || decode(lpad(to_hex(code), 2, '0'), 'hex');
        end if;
    end loop;
    if cut < least(octet_length(utf8), 40) then
        gbk := gbk || '\xa3bf'::bytea;
    end if;
    while i < octet_length(gbk) and length(result) < 5 loop
        code := get_byte(gbk, i);
        if code <= 127 then
            result := result || chr(code);
            i := i + 1;
        elsif i + 1 < octet_length(gbk) then
            code := code * 256 + get_byte(gbk, i + 1);
            result := result || case when code between @FIRST_CODE@ and @LAST_CODE@
                then chr(get_byte('@CODE_LETTERS@'::bytea, code - @FIRST_CODE@)) else 'V' end;
            i := i + 2;
        else
            result := result || 'V';
            i := i + 1;
        end if;
    end loop;
    return result;
end $$;

-- The mnemonic code of a name: the pinyin initials of its first five characters, read one by
-- one unless one of them is a character GBK drops or writes as a single byte above 127.
create or replace function vz_getpy(name text) returns text
language sql immutable parallel safe as $$
    select case when left($1, 5) collate "C" ~ '@WALKED@' then vz_getpy_bytes($1)
        else vz_getpy_letter(ascii(substr($1, 1, 1)), substr($1, 1, 1))
            || vz_getpy_letter(ascii(substr($1, 2, 1)), substr($1, 2, 1))
            || vz_getpy_letter(ascii(substr($1, 3, 1)), substr($1, 3, 1))
            || vz_getpy_letter(ascii(substr($1, 4, 1)), substr($1, 4, 1))
            || vz_getpy_letter(ascii(substr($1, 5, 1)), substr($1, 5, 1)) end $$;
)SQL";

void replaceAll(std::string &text, std::string_view placeholder, const std::string &value)
{
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
}

std::string mnemonicPart()
{
    const MnemonicData data = mnemonicData();
    std::string singleBytes;
    std::vector<Range> walked = data.dropped;
    for (const auto &[c, byte] : data.singleBytes) {
        singleBytes += "when c = " + number(c) + " then " + number(byte) + "\n            ";
        walked.emplace_back(c, c);
    }
    std::string privateUse;
    for (const CodeRun &run : data.privateUse) {
        privateUse += "when c between " + number(run.first) + " and " + number(run.last) +
                      " then c + " + number(run.code - int(run.first)) + "\n            ";
    }
    std::string sql(MnemonicTemplate);
    replaceAll(sql, "@FIRST@", number(data.first));
    replaceAll(sql, "@LAST@", number(data.first + data.letters.size() - 1));
    // The letters are A to Z only, so they are their own bytea escape form.
    replaceAll(sql, "@LETTERS@", data.letters);
    replaceAll(sql, "@DROPPED@", inRanges("c", data.dropped));
    replaceAll(sql, "@SINGLE_BYTES@", singleBytes);
    replaceAll(sql, "@PRIVATE_USE@", privateUse);
    replaceAll(sql, "@CONVERTIBLE@", bracket(data.convertible));
    replaceAll(sql, "@FIRST_CODE@", number(data.firstCode));
    replaceAll(sql, "@LAST_CODE@", number(data.firstCode + int(data.codeLetters.size()) - 1));
    replaceAll(sql, "@CODE_LETTERS@", data.codeLetters);
    replaceAll(sql, "@WALKED@", bracket(walked));
    return sql;
}

} // namespace

std::string postgresExtensionsScript()
{
    static const std::string script = std::string(FixedPart) + mnemonicPart();
    return script;
}

} // namespace sql
