#pragma once

#include <string>
#include <vector>

// The built-in T-SQL script that gives the Kolvera database its indexes, one entry a line; a
// line "GO" ends a batch.
std::vector<std::string> IndexScript();
