#pragma once
// A thin owner of one SQLite connection. The stores built on it take `mutex()` around
// each of their operations, so one connection serves every request thread.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vamu::service {

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    [[nodiscard]] bool valid() const { return m_statement != nullptr; }

    // Parameters count from 1, as SQLite counts them.
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view value);

    // Moves to the next row: true while a row is there, false at the end or on an error.
    bool step();
    // Runs a statement that returns no rows; true when it completed.
    bool run();

    // Columns count from 0.
    [[nodiscard]] std::int64_t integer(int column) const;
    [[nodiscard]] std::string text(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
    bool m_failed = false;
};

class Database {
public:
    // Opens or creates the file; nullptr with `error` set on failure.
    static std::unique_ptr<Database> open(const std::filesystem::path& file, std::string& error);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs one or more statements without results; on failure `error` holds SQLite's text.
    bool execute(std::string_view sql, std::string& error);
    bool execute(std::string_view sql);
    [[nodiscard]] Statement prepare(std::string_view sql) { return Statement(m_db, sql); }
    [[nodiscard]] std::int64_t lastInsertId() const;
    [[nodiscard]] int changes() const;

    std::mutex& mutex() { return m_mutex; }

private:
    explicit Database(sqlite3* db) : m_db(db) {}

    sqlite3* m_db = nullptr;
    std::mutex m_mutex;
};

}  // namespace vamu::service
