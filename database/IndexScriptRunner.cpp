#include "app/Pacing.h"
#include "app/Unit1.h"

namespace {

// Only this exact line ends a batch, as in Microsoft's tools; "go" or " GO" are batch text.
constexpr const char* BatchSeparator = "GO";

} // namespace

void TForm1::ExecIgnoringErrors() {
    try {
        YQuery.Execute();
    } catch (const EMSError&) {
        // Statements sent this way may fail: their objects may exist already.
    }
}

void TForm1::RunIndexScript() {
    // A copy: a handler run by a pump below must not pull the lines from under the loop.
    const std::vector<std::string> script = Memo1->Lines;
    for (const std::string& line : script) {
        if (line == BatchSeparator) {
            ExecIgnoringErrors();
            YQuery.SQL.clear();
        } else {
            YQuery.SQL.push_back(line);
        }
        PumpMessages();
    }
}
