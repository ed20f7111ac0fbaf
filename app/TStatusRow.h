#pragma once

#include "toolkit/TAdvGDIPPicture.h"
#include "toolkit/TLabel.h"
#include "toolkit/TRxGIFAnimator.h"

// One line of a stage panel: references to controls the window owns.
struct TStatusRow {
    TLabel* Title = nullptr;
    TRxGIFAnimator* Spinner = nullptr;
    TLabel* Status = nullptr;
    TAdvGDIPPicture* SuccessMark = nullptr;
    TAdvGDIPPicture* FailureMark = nullptr; // only the rows of the check panel have one
};

// Shows the row's spinner and sets it turning.
void StartSpinner(const TStatusRow& row);
// Stops the row's spinner and hides it.
void StopSpinner(const TStatusRow& row);
