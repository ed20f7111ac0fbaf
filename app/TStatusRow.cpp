#include "app/TStatusRow.h"

void StartSpinner(const TStatusRow& row) {
    row.Spinner->Show();
    row.Spinner->SetAnimate(true);
}

void StopSpinner(const TStatusRow& row) {
    row.Spinner->SetAnimate(false);
    row.Spinner->Hide();
}
