-- Passwords are stored as salted hashes (see server password handling); the clear ones of
-- older sets are hashed in place. vz_password_hash() exists only while migrations run.
-- An empty or missing password stays empty: it accepts the empty entry.
UPDATE AppUser SET uPassword = '' WHERE uPassword IS NULL;
UPDATE AppUser SET uPassword = vz_password_hash(uPassword)
 WHERE uPassword <> '' AND uPassword NOT LIKE 'pbkdf2-sha256$%';
