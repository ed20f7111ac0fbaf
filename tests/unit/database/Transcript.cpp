#include "tests/unit/database/Transcript.h"

namespace {

constexpr const char* SleepLine = "Sleep(10)";
constexpr const char* ScreenPrefix = "screen: ";
constexpr int PauseShortSteps = 21;

bool IsScreen(const std::string& line) {
    return line.starts_with(ScreenPrefix);
}

} // namespace

std::vector<std::string> Compress(const std::vector<std::string>& journal) {
    std::vector<std::string> out;
    const std::size_t n = journal.size();
    for (std::size_t i = 0; i < n;) {
        if (journal[i] == SleepLine && i + 1 < n && journal[i + 1] == PumpLine) {
            int pairs = 0;
            std::vector<std::string> screens;
            while (pairs < PauseShortSteps && i + 1 < n && journal[i] == SleepLine &&
                   journal[i + 1] == PumpLine) {
                ++pairs;
                i += 2;
                for (; i < n && IsScreen(journal[i]); ++i) {
                    screens.push_back(pairs == 1 ? journal[i]
                                                 : "screen at pump " + std::to_string(pairs) +
                                                       ": " + journal[i].substr(8));
                }
            }
            out.push_back(pairs == PauseShortSteps
                              ? std::string(PauseShortLine)
                              : "Sleep(10), ProcessMessages x " + std::to_string(pairs));
            out.insert(out.end(), screens.begin(), screens.end());
        } else if (journal[i] == PumpLine && i + 1 < n && journal[i + 1] == PumpLine) {
            int pumps = 0;
            for (; i < n && journal[i] == PumpLine; ++i) {
                ++pumps;
            }
            AppendPumps(out, pumps);
        } else {
            out.push_back(journal[i++]);
        }
    }
    return out;
}

void AppendPumps(std::vector<std::string>& transcript, int count) {
    const std::string run = std::string(PumpLine) + " x ";
    if (!transcript.empty() && transcript.back() == PumpLine) {
        ++count;
        transcript.pop_back();
    } else if (!transcript.empty() && transcript.back().starts_with(run)) {
        count += std::stoi(transcript.back().substr(run.size()));
        transcript.pop_back();
    }
    transcript.push_back(count == 1 ? std::string(PumpLine) : run + std::to_string(count));
}
