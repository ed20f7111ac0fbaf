#include "app/Pacing.h"

#include "os/Api.h"
#include "toolkit/TApplication.h"
#include "toolkit/TControl.h"

void PumpMessages() {
    Application->ProcessMessages();
}

void PauseShort() {
    for (int i = 0; i < PauseShortSteps; ++i) {
        os::Current().Sleep(PauseShortSleepMs);
        PumpMessages();
    }
}

void PauseLong() {
    PumpMessages();
    for (int i = 0; i < PauseLongSteps; ++i) {
        os::Current().Sleep(PauseLongSleepMs);
        PumpMessages();
    }
}

void RevealAndSettle(TControl& control) {
    control.Show();
    PumpMessages();
    os::Current().Sleep(SettleSleepMs);
}
