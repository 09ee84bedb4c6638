/* A plain SQLite DLL for tests: the whole static SQLite library is linked in
   and exported; it lacks sqlite3_key and sqlite3_rekey. */
