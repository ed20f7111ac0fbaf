#pragma once
// A stage's journal in a shorter form for comparison: each pause of 21 times (Sleep(10), pump)
// becomes one "PauseShort" line (a shorter run of them "Sleep(10), ProcessMessages x N"), and
// a run of N > 1 bare pumps "ProcessMessages x N". A screen line
// shown at the first pump of a pause follows its "PauseShort" line; one shown at a later pump
// of it reads "screen at pump K: ...".

#include <string>
#include <vector>

std::vector<std::string> Compress(const std::vector<std::string>& journal);

// Appends `count` bare pumps to a compressed transcript, merging them with a run at its end.
void AppendPumps(std::vector<std::string>& transcript, int count = 1);

inline constexpr const char* PauseShortLine = "PauseShort";
inline constexpr const char* PumpLine = "ProcessMessages";
