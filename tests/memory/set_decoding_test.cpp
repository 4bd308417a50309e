#include <gtest/gtest.h>

#include "memory/record_row.h"
#include "memory/set_decoding.h"
#include "support/memory_rig.h"

namespace calvex::test {
namespace {

// A rig whose memory has been downloaded already, with the panel's clock at 14:05:30.
struct DecodingRig : MemoryRig {
    explicit DecodingRig(const std::vector<LoggedSet>& sets) {
        instrument.data = memoryData(sets);
        memory.startDownload();
        runToEnd();
        lists.events.clear();
        panel.switches.clear();
    }
    void click(int row) {
        MemoryWindow* w = memory.window();
        ASSERT_NE(w, nullptr);
        w->gridSet().setRow(row);
        w->GridSet_Click();
    }
    std::vector<std::string> rows(bool dual) {
        std::vector<std::string> out;
        if (FakeTableWindow* w = lists.data(dual)) {
            for (int r = 1; r < w->grid().rows(); ++r)
                out.push_back(w->grid().rowText(r));
        }
        return out;
    }
};

const std::vector<LoggedSet> kSets = {
    {10, {dualRecord(251, 100), dualRecord(0x04D2, 1000), {0x40, 0, 0, 0x00, 0, 5, 0}}},
    {60, {singleRecord(1000, 1, 1), singleRecord(50, 1, 1)}},
    {1, {{0x80, 0x04, 0xD2, 0xFF, 0, 0, 2}}},
};

TEST(SetDecoding, RecordsGoToTheListOfTheirModel) {
    struct Case {
        int row;
        const char* answer;
        bool dual;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {1,
         "23:59:55",
         true,
         {"1\t23:59:55\t25.1\t10.0\t15.1\tC", "2\t00:00:05\t123.4\t100.0\t23.4\tC",
          "3\t00:00:15\tOL\t0.5\tOL\tC"}},
        {2, "7:5:3", false, {"1\t07:05:03\t100.0\tF", "2\t07:06:03\t5.0\tF"}},
        {3, "25:61:70", false, {"1\t01:01:10\t-123.4\tC"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        DecodingRig rig(kSets);
        rig.state().DualModel = !c.dual;  // the live instrument says otherwise: the records decide
        rig.t.dialogs.inputAnswers = {c.answer};
        rig.click(c.row);

        EXPECT_EQ(rig.rows(c.dual), c.rows);
        EXPECT_EQ(rig.lists.data(!c.dual), nullptr);
        FakeTableWindow* list = rig.lists.data(c.dual);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->caption(), "Data List");
        // The clock stands still here: the first count is shown, the later ones come too soon to be read.
        EXPECT_EQ(list->captions, (std::vector<std::string>{"1 Records Completed", "Data List"}));
        // The live instrument is left as it is: polling goes on, and its model is its own.
        EXPECT_TRUE(rig.panel.switches.empty());
        EXPECT_EQ(rig.state().DualModel, !c.dual);
        EXPECT_EQ(rig.t.dialogs.busyDepth, 0);
    }
}

// Records of a type T probe at 77.1 F hold four 0x03 in a row; the Memory window lists as many
// records as the decoding then lists rows, and the set after them keeps its own sampling time.
TEST(SetDecoding, TheListedRecordCountIsTheNumberOfRowsDecoded) {
    const std::vector<LoggedSet> sets = {{60, std::vector<Record>(6, singleRecord(0x0303, 3, 3))},
                                         {10, {singleRecord(251)}}};
    DecodingRig rig(sets);
    const Grid& listed = rig.memory.window()->gridSet();
    ASSERT_EQ(listed.rows(), 3);
    EXPECT_EQ(listed.rowText(1), "1\t60\t6");
    EXPECT_EQ(listed.rowText(2), "2\t10\t1");

    rig.t.dialogs.inputAnswers = {"10:00:00", "10:00:00"};
    rig.click(1);
    const std::vector<std::string> rows = rig.rows(false);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[5], "6\t10:05:00\t77.1\tF");
    rig.click(2);
    EXPECT_EQ(rig.rows(false), (std::vector<std::string>{"1\t10:00:00\t25.1\tC"}));
}

TEST(SetDecoding, StartTimeIsAskedUntilItHasTwoColons) {
    DecodingRig rig(kSets);
    rig.t.clock.setTimeOfDay(9, 4, 7);
    rig.t.dialogs.inputAnswers = {"12:30", "23:59:55"};
    rig.click(1);

    ASSERT_EQ(rig.t.dialogs.inputs.size(), 2u);
    EXPECT_EQ(rig.t.dialogs.inputs[0].prompt, "Enter the STARTING TIME of recording\r\n (hh:nn:ss) ");
    EXPECT_EQ(rig.t.dialogs.inputs[0].title, "Input Starting Time");
    EXPECT_EQ(rig.t.dialogs.inputs[0].defaultText, "09:04:07");
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.t.dialogs.messages[0].text, "Invalid, comply with the data format properly\r\n");
    EXPECT_EQ(rig.t.dialogs.messages[0].style, 16);
    EXPECT_EQ(rig.rows(true).size(), 3u);
    EXPECT_EQ(rig.rows(true)[2].substr(0, 11), "3\t00:00:15\t");
}

TEST(SetDecoding, AnEmptyAnswerEndsWithPollingLeftOn) {
    DecodingRig rig(kSets);
    rig.lists.show(ListKind::Data, true);
    rig.lists.show(ListKind::Data, false);
    rig.lists.events.clear();
    rig.t.dialogs.inputAnswers = {"12:30", ""};
    rig.click(2);

    EXPECT_EQ(rig.lists.events, (std::vector<std::string>{"unload DataList2", "unload DataList1"}));
    EXPECT_EQ(rig.t.dialogs.inputs.size(), 2u);
    EXPECT_TRUE(rig.panel.switches.empty());
    EXPECT_EQ(rig.panel.comPortShown, 0);
}

// While the start time is asked and the set decoded, the panel goes on polling, and what it reads
// stays the instrument's present reading: a recording sampling meanwhile writes it, not "----"
// and not a record of the set.
TEST(SetDecoding, TheLiveReadingGoesOnWhileASetIsDecoded) {
    DecodingRig rig(kSets);
    InstrumentState& live = rig.state();
    live.DualModel = false;
    live.T1Value = ReadingValue(21.5);
    live.Unit = "K";
    live.TcType = "J";
    live.ReadingKnown = true;
    std::vector<bool> pollingWhileAsked;
    rig.t.dialogs.whileAsking = [&] { pollingWhileAsked.push_back(rig.panel.polling()); };
    rig.t.dialogs.inputAnswers = {"23:59:55"};
    rig.click(1);

    EXPECT_EQ(pollingWhileAsked, (std::vector<bool>{true}));
    EXPECT_TRUE(rig.panel.switches.empty());
    EXPECT_EQ(rig.rows(true).size(), 3u);
    EXPECT_FALSE(live.DualModel);
    EXPECT_EQ(live.T1Value.format("0.0"), "21.5");
    EXPECT_EQ(live.Unit.text(), "K");
    EXPECT_EQ(live.TcType.text(), "J");
    EXPECT_TRUE(live.ReadingKnown);
}

TEST(SetDecoding, SetsCanBeDecodedAgainWithAnotherStart) {
    DecodingRig rig(kSets);
    rig.t.dialogs.inputAnswers = {"10:00:00", "11:00:00"};
    rig.click(2);
    rig.click(2);
    EXPECT_EQ(rig.rows(false), (std::vector<std::string>{"1\t11:00:00\t100.0\tF", "2\t11:01:00\t5.0\tF"}));
    // The header row is not a set.
    rig.click(0);
    EXPECT_EQ(rig.t.dialogs.inputs.size(), 2u);
}

TEST(SetDecoding, RowsOfRecordsDecodedOneByOne) {
    InstrumentState state;
    const Record overload = {0xC0, 0, 0, 0x20, 0, 0, 9};  // -OL and ----; type 9 keeps the last
    EXPECT_EQ(decodeRecordRow(state, std::string(overload.begin(), overload.end()), 7, 86399, true),
              "7\t23:59:59\t-OL\t----\t----\tC");
    const Record kelvin = singleRecord(3000, 2);
    EXPECT_EQ(decodeRecordRow(state, std::string(kelvin.begin(), kelvin.end()), 8, 86400 + 61, false),
              "8\t00:01:01\t300.0\tK");
}

}  // namespace
}  // namespace calvex::test
