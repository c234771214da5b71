-- Reserved: the number belongs to the migration that hashes the passwords, made on another
-- branch. This file only keeps the numbers without a gap until that one is merged, and goes
-- then.
SELECT 1;
