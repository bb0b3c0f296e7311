#include "sqlite_database.h"

#include <sqlite3.h>

namespace vamu::service {

Statement::Statement(sqlite3* db, std::string_view sql) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

Statement::~Statement() { sqlite3_finalize(m_statement); }

Statement& Statement::bind(int index, std::int64_t value) {
    if (m_statement && sqlite3_bind_int64(m_statement, index, value) != SQLITE_OK) m_failed = true;
    return *this;
}

Statement& Statement::bind(int index, std::string_view value) {
    if (m_statement && sqlite3_bind_text(m_statement, index, value.data(), static_cast<int>(value.size()),
                                         SQLITE_TRANSIENT) != SQLITE_OK) {
        m_failed = true;
    }
    return *this;
}

bool Statement::step() { return m_statement && !m_failed && sqlite3_step(m_statement) == SQLITE_ROW; }

bool Statement::run() {
    if (!m_statement || m_failed) return false;
    int result = SQLITE_ROW;
    while (result == SQLITE_ROW) result = sqlite3_step(m_statement);
    return result == SQLITE_DONE;
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(m_statement, column); }

std::string Statement::text(int column) const {
    const auto* bytes = sqlite3_column_text(m_statement, column);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes),
                               static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                 : std::string();
}

std::unique_ptr<Database> Database::open(const std::filesystem::path& file, std::string& error) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        error = "cannot open " + file.string() + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 5000);
    std::unique_ptr<Database> database(new Database(db));
    // WAL keeps readers and the writer apart; NORMAL sync is durable across process crashes.
    if (!database->execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;", error)) {
        return nullptr;
    }
    return database;
}

Database::~Database() { sqlite3_close(m_db); }

bool Database::execute(std::string_view sql, std::string& error) {
    char* message = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : "SQLite error";
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool Database::execute(std::string_view sql) {
    std::string ignored;
    return execute(sql, ignored);
}

std::int64_t Database::lastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

int Database::changes() const { return sqlite3_changes(m_db); }

}  // namespace vamu::service
