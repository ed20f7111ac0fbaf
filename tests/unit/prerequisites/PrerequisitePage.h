#pragma once
// The prerequisite page as the main button leaves it before a package's steps run: the cache
// folder made, Panel1 showing, and the package's row started.

#include "tests/unit/support/WizardFixture.h"

#include <cstdint>
#include <string>
#include <string_view>

class PrerequisitePage : public WizardFixture {
protected:
    PrerequisitePage();

    // The row's spinner turning and its text "İndiriliyor..." showing; the journal starts empty.
    void StartRow(std::uint8_t n);
};

enum class RowEnd {
    Working, // spinner turning, no mark
    Done,    // spinner hidden, tick showing
    Failed,  // spinner hidden, no mark
};

// The journal's screen line for Panel1 while only package n's row has started.
std::string Screen(std::uint8_t n, std::string_view status, RowEnd end = RowEnd::Working);

// Prints a transcript one line a row, so that a mismatch reads like the journal.
std::string Lines(const std::vector<std::string>& journal);
