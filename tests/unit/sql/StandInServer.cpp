#include "tests/unit/sql/StandInServer.h"

#include "tests/unit/sql/MiniJson.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr auto StartDeadline = std::chrono::seconds(30);
constexpr auto PollInterval = std::chrono::milliseconds(20);

const std::string Tools = std::string(KOLVERA_SOURCE_DIR) + "/tools/sqlserver/";

std::string MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kolvera-sql-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs a shell command and returns what it printed; throws when it fails.
std::string Capture(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        throw std::runtime_error("popen failed: " + command);
    }
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    if (::pclose(pipe) != 0) {
        throw std::runtime_error("failed: " + command);
    }
    return out;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// SQL Server compares names without regard to case.
bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

StandInServer::StandInServer(StandInOptions options)
    : folder_(MakeFolder()), stateDir_(folder_ + "/state"), driveC_(folder_ + "/c") {
    std::filesystem::create_directories(stateDir_);
    std::filesystem::create_directories(driveC_);
    WriteKolveraFiles(options.files);
    Start(options);
}

StandInServer::~StandInServer() {
    Stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void StandInServer::WriteKolveraFiles(KolveraFiles files) const {
    if (files == KolveraFiles::Missing) {
        return;
    }
    const std::string data = driveC_ + "/Kolvera/Data";
    std::filesystem::create_directories(data);
    std::string command = std::string(PYTHON3) + " " + Quote(Tools + "make_kolvera_mdf.py") + " " +
                          Quote(data + "/kolvera_data.mdf");
    if (files == KolveraFiles::EmptyAlis) {
        command += " --empty-alis";
    }
    Capture(command);
    std::ofstream(data + "/kolvera_log.ldf") << "log";
}

void StandInServer::Start(const StandInOptions& options) {
    const std::string readyFile = folder_ + "/ready";
    const std::string logFile = folder_ + "/server.log";
    std::vector<std::string> arguments = {PYTHON3,         Tools + "sqlserver.py",
                                          "--port",        std::to_string(options.port),
                                          "--state-dir",   stateDir_,
                                          "--drive-c",     driveC_,
                                          "--sa-password", options.saPassword,
                                          "--ready-file",  readyFile};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int spawned = ::posix_spawn(&pid_, PYTHON3, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error("the stand-in could not be started");
    }

    const auto deadline = std::chrono::steady_clock::now() + StartDeadline;
    for (;;) {
        if (const auto ready = ReadFile(readyFile)) {
            port_ = std::stoi(*ready);
            return;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("the stand-in ended: " + ReadFile(logFile).value_or(""));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            Stop();
            throw std::runtime_error("the stand-in did not start in time");
        }
        std::this_thread::sleep_for(PollInterval);
    }
}

void StandInServer::Stop() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

std::vector<LoggedBatch> StandInServer::Batches() const {
    std::vector<LoggedBatch> batches;
    std::istringstream log(ReadFile(stateDir_ + "/batches.jsonl").value_or(""));
    for (std::string line; std::getline(log, line);) {
        const JsonValue entry = ParseJson(line);
        if (!entry.Has("batch")) {
            continue; // a login attempt
        }
        LoggedBatch batch{entry["login"].text, entry["database"].text, entry["batch"].text, {}};
        if (!entry["error"].IsNull()) {
            batch.error = entry["error"]["message"].text;
        }
        batches.push_back(std::move(batch));
    }
    return batches;
}

void StandInServer::ForgetBatches() const {
    std::filesystem::remove(stateDir_ + "/batches.jsonl");
}

std::string StandInServer::Inspect(const std::string& arguments) const {
    return Capture(std::string(PYTHON3) + " " + Quote(Tools + "inspect_state.py") +
                   " --state-dir " + Quote(stateDir_) + " --drive-c " + Quote(driveC_) + " " +
                   arguments);
}

std::vector<StandInIndex> StandInServer::Indexes(const std::string& database) const {
    std::vector<StandInIndex> indexes;
    for (const JsonValue& entry : ParseJson(Inspect("indexes " + Quote(database))).items) {
        StandInIndex index{entry["table"].text, entry["name"].text, {}};
        for (const JsonValue& key : entry["keys"].items) {
            index.keys.push_back({key["column"].text, key["descending"].boolean});
        }
        indexes.push_back(std::move(index));
    }
    return indexes;
}

std::optional<JsonValue> StandInServer::Entry(const std::string& listing,
                                              const std::string& name) const {
    if (!std::filesystem::exists(stateDir_ + "/state.json")) {
        return std::nullopt; // nothing has changed since the server started empty
    }
    for (const auto& [key, value] : ParseJson(Inspect(listing)).members) {
        if (SameName(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<JsonValue> StandInServer::DatabaseState(const std::string& name) const {
    return Entry("databases", name);
}

std::optional<JsonValue> StandInServer::LoginState(const std::string& name) const {
    return Entry("logins", name);
}
