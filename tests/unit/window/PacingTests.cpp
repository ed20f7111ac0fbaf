// The pacing helpers: exact pumps and sleeps, in order.

#include "app/Pacing.h"
#include "tests/unit/support/WizardFixture.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> Repeat(int times, const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (int i = 0; i < times; ++i) {
        out.insert(out.end(), lines.begin(), lines.end());
    }
    return out;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Pacing : public WizardFixture {};

TEST_F(Pacing, PauseShortIsTwentyOneSleepsOfTenEachFollowedByAPump) {
    PauseShort();
    EXPECT_EQ(Journal(), Repeat(21, {"Sleep(10)", "ProcessMessages"}));
    EXPECT_EQ(Os().Now(), 210u);
}

TEST_F(Pacing, PauseLongPumpsFirstThenSleepsFifteenAHundredAndOneTimes) {
    PauseLong();
    EXPECT_EQ(Journal(),
              Concat({"ProcessMessages"}, Repeat(101, {"Sleep(15)", "ProcessMessages"})));
    EXPECT_EQ(Os().Now(), 1515u);
}

TEST_F(Pacing, RevealAndSettleShowsPumpsOnceThenSleepsWithoutPumping) {
    RevealAndSettle(*Form().Indir1Lb);
    // The panel is hidden, so the label is not on screen yet: only the pump and the sleep.
    EXPECT_EQ(Journal(), (std::vector<std::string>{"ProcessMessages", "Sleep(250)"}));
    EXPECT_TRUE(Form().Indir1Lb->Visible());
}

TEST_F(Pacing, PumpMessagesDeliversEveryQueuedEventInOrder) {
    std::vector<int> delivered;
    Backend().Post([&] { delivered.push_back(1); });
    Backend().Post([&] {
        delivered.push_back(2);
        Backend().Post([&] { delivered.push_back(3); }); // queued while pumping: same pump
    });
    PumpMessages();
    EXPECT_EQ(delivered, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(Backend().MessagesWaiting());
}

TEST_F(Pacing, SpinnerRowOperationsShowAndHideTheSpinner) {
    const TStatusRow& row = Form().Indir1Row;
    StartSpinner(row);
    EXPECT_TRUE(row.Spinner->Visible());
    EXPECT_TRUE(row.Spinner->Animate());
    row.Spinner->AdvanceFrame();
    EXPECT_EQ(row.Spinner->FrameIndex(), 1);
    StopSpinner(row);
    EXPECT_FALSE(row.Spinner->Visible());
    EXPECT_FALSE(row.Spinner->Animate());
    row.Spinner->AdvanceFrame(); // a late tick of a stopped spinner changes nothing
    EXPECT_EQ(row.Spinner->FrameIndex(), 1);
}

} // namespace
