#include "ClientRules.h"

#include <cstring>
#include <sqlite3.h>
#include <strings.h>

namespace {

const char* const StorageReason =
    "a statement reaches only the connected database and does not change how it is stored";
const char* const MakingReason = "a client makes only tables, indexes and views";
const char* const FunctionReason = "a statement reaches no memory and no file through a function";

// Functions that hand out or take addresses, or reach files and libraries.
const char* const RefusedFunctions[] = {"fts3_tokenizer", "fts5",       "load_extension",
                                        "rtreenode",      "rtreedepth", "rtreecheck"};

QString Refusal(const QString& what, const char* why) {
    return what + " is not allowed: " + why;
}

} // namespace

QString StorageRefusal(const QString& what) {
    return Refusal(what, StorageReason);
}

QString ClientRefusal(int action, const char* a, const char* b) {
    static const struct {
        int Action;
        const char* What;
        const char* Why;
    } refused[] = {
        {SQLITE_ATTACH, "ATTACH", StorageReason},
        {SQLITE_DETACH, "DETACH", StorageReason},
        {SQLITE_PRAGMA, "PRAGMA", StorageReason},
        {SQLITE_CREATE_VTABLE, "CREATE VIRTUAL TABLE", MakingReason},
        {SQLITE_DROP_VTABLE, "DROP VIRTUAL TABLE", MakingReason},
        {SQLITE_CREATE_TRIGGER, "CREATE TRIGGER", MakingReason},
        {SQLITE_CREATE_TEMP_TRIGGER, "CREATE TRIGGER", MakingReason},
        {SQLITE_DROP_TRIGGER, "DROP TRIGGER", MakingReason},
        {SQLITE_DROP_TEMP_TRIGGER, "DROP TRIGGER", MakingReason},
        {SQLITE_ANALYZE, "ANALYZE", MakingReason},
    };
    for (const auto& r : refused)
        if (action == r.Action)
            return Refusal(r.What, r.Why);
    // ANALYZE makes its statistics table even where it finds no table to analyse.
    const bool writes =
        action == SQLITE_CREATE_TABLE || action == SQLITE_INSERT || action == SQLITE_UPDATE;
    if (writes && a && strncasecmp(a, "sqlite_stat", 11) == 0)
        return Refusal("ANALYZE", MakingReason);
    if (action == SQLITE_FUNCTION && b)
        for (const char* name : RefusedFunctions)
            if (strcasecmp(b, name) == 0)
                return Refusal(QString::fromUtf8(b) + "()", FunctionReason);
    return QString();
}

void GuardConnection(sqlite3* db) {
    for (const auto& [option, on] :
         {std::pair{SQLITE_DBCONFIG_DEFENSIVE, 1}, std::pair{SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
          std::pair{SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0},
          std::pair{SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0}})
        sqlite3_db_config(db, option, on, nullptr);
    const char* kept[] = {"json_each", "json_tree", nullptr};
    sqlite3_drop_modules(db, kept);
}
