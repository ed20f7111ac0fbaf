#pragma once
// The SQL Server stand-in (tools/sqlserver) run as a child process over a private folder: its
// state (logins, attached databases, the batch log) and the folder that drive C: maps to,
// holding the Kolvera data and log files as a test wants them.

#include "tests/unit/sql/MiniJson.h"

#include <optional>
#include <string>
#include <vector>

enum class KolveraFiles { Present, Missing, EmptyAlis };

struct StandInOptions {
    std::string saPassword = "7";
    KolveraFiles files = KolveraFiles::Present;
    int port = 0; // 0: a free one
};

struct LoggedBatch {
    std::string login;
    std::string database; // current when the batch arrived
    std::string text;
    std::optional<std::string> error; // the first error the batch raised
};

struct IndexKey {
    std::string column;
    bool descending = false;
    bool operator==(const IndexKey&) const = default;
};

struct StandInIndex {
    std::string table;
    std::string name;
    std::vector<IndexKey> keys;
};

class StandInServer {
public:
    explicit StandInServer(StandInOptions options = {});
    ~StandInServer();
    StandInServer(const StandInServer&) = delete;
    StandInServer& operator=(const StandInServer&) = delete;

    int Port() const { return port_; }
    // Every batch received so far, in order.
    std::vector<LoggedBatch> Batches() const;
    void ForgetBatches() const;
    // The indexes the database's data file holds.
    std::vector<StandInIndex> Indexes(const std::string& database) const;
    // An attached database as the server keeps it (files, compatibility_level, users), or
    // none when it is not attached.
    std::optional<JsonValue> DatabaseState(const std::string& name) const;
    // A login (password, default_database, default_language, server_roles), or none.
    std::optional<JsonValue> LoginState(const std::string& name) const;

private:
    std::optional<JsonValue> Entry(const std::string& listing, const std::string& name) const;
    std::string Inspect(const std::string& arguments) const;
    void WriteKolveraFiles(KolveraFiles files) const;
    void Start(const StandInOptions& options);
    void Stop();

    std::string folder_;
    std::string stateDir_;
    std::string driveC_;
    int pid_ = -1;
    int port_ = 0;
};
