// Adjust Air Wave > Automatic through the command flow.
#include "support/app_fixture.h"

using namespace orv;

namespace {

// 5 x 100 over 50 time units, a pulse at samples 30, 33, 34, 38 and 39.
struct AutomaticTest : test::AppFixture {
    void SetUp() override
    {
        AppFixture::SetUp();
        Array2D a;
        a.allocate(5, 100);
        const int at[] = {0, 30, 33, 34, 38, 39};
        for (int t = 1; t <= 5; ++t)
            for (int k = -2; k <= 2; ++k)
                a(t, at[t] + k) = 3.0f - static_cast<float>(k * k);
        show(a, 50);
    }
    void automatic(const char *k1, const char *kl, const char *t1, const char *tl)
    {
        app.mnuAutomatic_Click();
        frm.fields = {{DataField::txtKey1st, k1}, {DataField::txtKeyLast, kl},
                      {DataField::txtTarg1st, t1}, {DataField::txtTargLast, tl}};
    }
};

TEST_F(AutomaticTest, PicksEveryTraceAlignsAndReplaces)
{
    s.Picks[5] = 7; // a pick by hand: replaced too
    automatic("28", "40", "1", "100");
    EXPECT_TRUE(frm.crossCorrelation);
    app.frmData_cmdOK2_Click();
    // Key 28..40 of trace t found on t + 1 at 31, 29, 32, 29; 0.5 time units a sample.
    EXPECT_EQ(s.Picks, (std::vector<float>{0, 15.5f, 14.5f, 16, 14.5f, 0}));
    EXPECT_FALSE(frm.open);
    EXPECT_FALSE(frm.working);
    EXPECT_FALSE(app.busy());
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(s.RawData(1, 28), 3.0f);
    EXPECT_EQ(s.RawData(2, 33), 3.0f);
}

TEST_F(AutomaticTest, RefusedCancelledOrStoppedRunsChangeNothing)
{
    s.Picks[2] = 9;
    const auto before = state();
    enum How { Ok, Cancel, Stop };
    const struct { const char *k1, *kl, *t1, *tl, *field; How how = Ok; } rows[] = {
        {"", "", "", "", "The Key Trace's \"1st Samp.\""},
        {"0.5", "10", "1", "100", "The Key Trace's \"1st Samp.\""},
        {"5", "101", "1", "100", "The Key Trace's \"Last Samp\""},
        {"5", "10", "-3", "100", "The Target Trace's \"1st Samp\""},
        {"5", "10", "1", "70000", "The Target Trace's \"Last Samp\""},
        {"5", "10", "1", "1e999", "The Target Trace's \"Last Samp\""},
        {"28", "40", "1", "100", nullptr, Cancel},
        {"28", "40", "1", "100", nullptr, Stop},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.field ? r.field : r.how == Cancel ? "Cancel" : "stop");
        d.messages.clear();
        automatic(r.k1, r.kl, r.t1, r.tl);
        frm.stopAtPoll = r.how == Stop ? frm.polls + 1 : 0;
        r.how == Cancel ? app.frmData_cmdCancel2_Click() : app.frmData_cmdOK2_Click();
        if (r.field) {
            ASSERT_EQ(d.messages.size(), 1u);
            EXPECT_EQ(d.messages[0].second, std::string(r.field) + " must be a sample number from 1 to 100.");
        } else {
            EXPECT_TRUE(d.messages.empty());
        }
        EXPECT_EQ(frm.open, r.field != nullptr);
        EXPECT_FALSE(frm.working);
        EXPECT_FALSE(app.busy());
        EXPECT_TRUE(state() == before);
    }
}

// Nothing picked: with earlier picks "No" keeps them and the dialog; without, said.
TEST_F(AutomaticTest, NothingPickedIsNeverSilent)
{
    const struct { const char *k1, *kl, *t1, *tl, *reason; } rows[] = {
        {"40", "30", "1", "100", "the key window's last sample comes before its first"},
        {"1", "50", "60", "100", "the target range is shorter than the key window"},
        {"90", "100", "1", "20", "no key window correlates positively with the next trace"},
    };
    for (const auto &r : rows) {
        const std::string said = std::string("No trace could be picked: ") + r.reason;
        s.Picks.assign(6, 0.0f);
        s.Picks[3] = 4;
        d.messages.clear();
        d.answers = {false};
        automatic(r.k1, r.kl, r.t1, r.tl);
        app.frmData_cmdOK2_Click();
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].second, said + ". Discard the current picks anyway?");
        EXPECT_TRUE(frm.open);
        EXPECT_EQ(s.Picks[3], 4.0f);
        d.answers = {true};
        app.frmData_cmdOK2_Click();
        EXPECT_FALSE(frm.open);
        EXPECT_EQ(s.Picks, std::vector<float>(6, 0.0f));
        d.messages.clear();
        automatic(r.k1, r.kl, r.t1, r.tl);
        app.frmData_cmdOK2_Click();
        EXPECT_FALSE(frm.open);
        EXPECT_EQ(d.messages, (decltype(d.messages){{"Automatic", said + "."}}));
    }
}

TEST_F(AutomaticTest, WithoutAProfileTheDialogIsNotShown)
{
    test::FakeWindow empty;
    empty.app.mnuAutomatic_Click();
    EXPECT_EQ(empty.frm.shows, 0);
    EXPECT_EQ(empty.d.messages.back().second, "There is no profile to pick.");
}

} // namespace
