#pragma once
// The Kolvera database's indexes as their table lists them, and the script lines and batches
// they make, built here from the table's rows so the script can be checked against them.

#include <string>
#include <vector>

struct IndexRow {
    std::string name;
    std::string table;
    std::string keys; // "column[ DESC], ..." in key order
    bool oneLine;
    bool emptyLineBefore;
};

// The 28 rows, in script order.
const std::vector<IndexRow>& KolveraIndexRows();

// The key columns of a row with their direction.
struct KeyColumn {
    std::string column;
    bool descending;
};
std::vector<KeyColumn> KeyColumns(const IndexRow& row);

// The script's lines: "USE KOLVERA", "GO", then each statement followed by "GO".
std::vector<std::string> ExpectedScript();

// What the server receives for each batch of the script, in order: 29 texts.
std::vector<std::string> ExpectedScriptBatches();

// Lines joined as a batch goes out: each followed by CR LF.
std::string BatchOf(const std::vector<std::string>& lines);
