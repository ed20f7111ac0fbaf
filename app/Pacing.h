#pragma once
// How every stage keeps the window alive while it works on the user-interface thread.

class TControl;

inline constexpr int PauseShortSteps = 21;
inline constexpr int PauseShortSleepMs = 10;
inline constexpr int PauseLongSteps = 101;
inline constexpr int PauseLongSleepMs = 15;
inline constexpr int SettleSleepMs = 250;

// Handles every waiting message and returns when the queue is empty.
void PumpMessages();
// 21 times: sleep 10 ms, then pump.
void PauseShort();
// Pump, then 101 times: sleep 15 ms, then pump.
void PauseLong();
// Makes the control visible, pumps once, then sleeps 250 ms without pumping.
void RevealAndSettle(TControl& control);
