// The floor of an SQLite export: steps through a statement's rows and reads every cell the way the
// export's reading thread does (integers, doubles, texts with their length), doing nothing else
// with them. scripts/bench times it beside the export to show how much of the time is SQLite's.
//
//   sqlite-step-floor DATABASE STATEMENT    prints the number of rows

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: sqlite-step-floor DATENBANK ANWEISUNG\n");
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "Datenbank: %s\n", db ? sqlite3_errmsg(db) : "nicht geöffnet");
        return 1;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, argv[2], -1, &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "Anweisung: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    const int columns = sqlite3_column_count(stmt);
    unsigned long long rows = 0;
    // Keeps the reads from being left out as unused.
    volatile uint64_t sum = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < columns; ++i) {
            sqlite3_value* value = sqlite3_column_value(stmt, i);
            switch (sqlite3_value_type(value)) {
                case SQLITE_INTEGER:
                    sum = sum + static_cast<uint64_t>(sqlite3_value_int64(value));
                    break;
                case SQLITE_FLOAT:
                    sum = sum + static_cast<uint64_t>(sqlite3_value_double(value));
                    break;
                case SQLITE_TEXT:
                case SQLITE_BLOB:
                    if (const unsigned char* text = sqlite3_value_text(value))
                        sum = sum + text[0] + static_cast<uint64_t>(sqlite3_value_bytes(value));
                    break;
                default:
                    break;
            }
        }
    }
    if (rc != SQLITE_DONE) {
        std::fprintf(stderr, "Zeilen: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    std::printf("%llu\n", rows);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return 0;
}
