#pragma once

#include "sql/TMSConnection.h"

#include <memory>
#include <string>
#include <vector>

// A statement component bound to a connection. Its SQL text is a list of lines, sent as one
// batch with CR LF after each line; there is no command time-out.
class TMSQuery {
public:
    explicit TMSQuery(TMSConnection& connection);
    ~TMSQuery();
    TMSQuery(const TMSQuery&) = delete;
    TMSQuery& operator=(const TMSQuery&) = delete;

    std::vector<std::string> SQL;

    // Runs the batch and consumes every result and error it gives, so the connection is free
    // for the next one; throws EMSError with the first error.
    void Execute();
    // Runs the batch and keeps its result set open until Close; throws EMSError.
    void Open();
    // Ends an open result set; nothing happens when none is open.
    void Close();
    bool Active() const;

private:
    struct Statement;
    TMSConnection& connection_;
    std::unique_ptr<Statement> statement_;
};
