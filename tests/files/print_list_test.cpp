#include <gtest/gtest.h>

#include "files/fake_lists.h"
#include "files/print_list.h"
#include "session/session.h"
#include "support/test_session.h"

namespace calvex {
namespace {

const std::string kDualHeading = "         Time     T1     T2    T1-T2 Unit";
const std::string kDualRule = "       -------- ------ ------ ------ ---";
const std::string kSingleHeading = "         Time    Value  Unit";
const std::string kSingleRule = "       --------  ------ ----";

class PrintListTest : public ::testing::Test {
protected:
    PrintListTest() : dual(6, true), single(4, false) {
        t.session.panel = &panel;
        dual.setCaption("File List");
        single.setCaption("Real Time List");
        dual.captions.clear();
        single.captions.clear();
    }

    bool printDual() {
        return PrintDualList(
            t.session, [this] { return open ? &dual : nullptr; }, [this] { pumpOnce(); });
    }
    bool printSingle() {
        return PrintSingleList(
            t.session, [this] { return open ? &single : nullptr; }, [this] { pumpOnce(); });
    }
    void pumpOnce() {
        ++pumps;
        pollingSeenByPump = pollingSeenByPump && panel.pollingOn;
        if (onPump)
            onPump();
    }
    void expectRestored(const test::FakeTable& table, const std::string& caption) {
        EXPECT_EQ(table.caption(), caption);
        EXPECT_TRUE(panel.pollingOn);
        EXPECT_EQ(t.dialogs.busyDepth, 0);
    }

    test::TestSession t;
    test::FakePanel panel;
    test::FakeTable dual;
    test::FakeTable single;
    bool open = true;
    int pumps = 0;
    bool pollingSeenByPump = true;  // stays true while every pump saw the poller on
    std::function<void()> onPump;
};

TEST_F(PrintListTest, ADualTableOfThreeRowsPrintsFiveLines) {
    dual.grid().addItem("1\t14:05:32\t23.4\t25.1\t-1.7\tC");
    dual.grid().addItem("12\t14:05:34\tOL\t-OL\t----\tC");
    dual.grid().addItem("123\t14:05:36\t-1234.5\t1372.0\t-2606.5\tC");
    // Slow lines: every count is shown.
    onPump = [this] { t.clock.advanceMs(50); };

    ASSERT_TRUE(printDual());

    EXPECT_EQ(t.printer.lines, (std::vector<std::string>{
                                   kDualHeading,
                                   kDualRule,
                                   "1      14:05:32  23.4   25.1   -1.7   C      ",
                                   "12     14:05:34  OL     -OL    ----   C      ",
                                   "123    14:05:36  -1234.51372.0 -2606.5C      ",
                               }));
    EXPECT_EQ(t.printer.documents, 1);
    EXPECT_EQ(t.printer.aborted, 0);
    EXPECT_EQ(dual.captions, (std::vector<std::string>{"1 record(s) completed", "2 record(s) completed",
                                                       "3 record(s) completed", "File List"}));
    EXPECT_EQ(pumps, 3);
    EXPECT_TRUE(pollingSeenByPump);
    EXPECT_TRUE(panel.switches.empty());  // printing leaves the live reading going
    expectRestored(dual, "File List");
    EXPECT_TRUE(t.dialogs.messages.empty());
}

TEST_F(PrintListTest, TheCountIsShownAtMostEvery50MsAndTheCaptionComesBack) {
    struct Case {
        int stepMs;  // between two lines
        std::vector<std::string> captions;
    };
    const std::vector<Case> cases = {
        {0, {"1 record(s) completed", "File List"}},
        {20, {"1 record(s) completed", "4 record(s) completed", "File List"}},
        {49, {"1 record(s) completed", "3 record(s) completed", "5 record(s) completed", "File List"}},
        {50,
         {"1 record(s) completed", "2 record(s) completed", "3 record(s) completed", "4 record(s) completed",
          "5 record(s) completed", "File List"}},
    };
    for (int i = 1; i <= 5; ++i)
        dual.grid().addItem(std::to_string(i) + "\t14:05:32\t1.0\t2.0\t-1.0\tC");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stepMs);
        dual.captions.clear();
        pumps = 0;
        onPump = [this, &c] { t.clock.advanceMs(c.stepMs); };
        ASSERT_TRUE(printDual());
        EXPECT_EQ(dual.captions, c.captions);
        EXPECT_EQ(pumps, 5);
    }
    EXPECT_EQ(t.printer.lines.size(), 4u * 7u);
}

TEST_F(PrintListTest, ASingleTablePrintsItsOwnHeadingAndFourCells) {
    single.grid().addItem("1\t14:05:32\t23.4\tC");
    single.grid().addItem("2\t14:05:34");
    ASSERT_TRUE(printSingle());
    EXPECT_EQ(t.printer.lines, (std::vector<std::string>{
                                   kSingleHeading,
                                   kSingleRule,
                                   "1      14:05:32  23.4   C      ",
                                   "2      14:05:34                ",
                               }));
    EXPECT_EQ(pumps, 2);
    expectRestored(single, "Real Time List");
}

TEST_F(PrintListTest, ACellLongerThanItsWidthIsPrintedInFull) {
    single.grid().addItem("1234567890\t14:05:32.125\t-12345.67\tCelsius");
    ASSERT_TRUE(printSingle());
    EXPECT_EQ(t.printer.lines.at(2), "123456789014:05:32.125-12345.67Celsius");
}

TEST_F(PrintListTest, AHeaderOnlyTablePrintsTheHeadingAndEndsTheDocument) {
    ASSERT_TRUE(printDual());
    EXPECT_EQ(t.printer.lines, (std::vector<std::string>{kDualHeading, kDualRule}));
    EXPECT_EQ(t.printer.documents, 1);
    EXPECT_EQ(dual.captions, std::vector<std::string>{"File List"});
    EXPECT_EQ(pumps, 0);
}

TEST_F(PrintListTest, RowsAppendedWhilePrintingArePrinted) {
    dual.grid().addItem("1\t14:05:32\t23.4\t25.1\t-1.7\tC");
    onPump = [this] {
        if (dual.grid().rows() < 4)
            dual.grid().addItem(std::to_string(dual.grid().rows()) + "\t14:05:34");
    };
    ASSERT_TRUE(printDual());
    EXPECT_EQ(t.printer.lines.size(), 2u + 3u);
}

TEST_F(PrintListTest, APrinterFailureCancelsTheDocumentAndIsReportedWithThePrintersReason) {
    struct Case {
        const char* name;
        int failAfterLines;
        bool failEnd;
    };
    const Case cases[] = {
        {"heading refused", 0, false}, {"second row refused", 3, false}, {"end refused", -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestSession session;
        test::FakePanel fakePanel;
        session.session.panel = &fakePanel;
        session.printer.failAfterLines = c.failAfterLines;
        session.printer.failEnd = c.failEnd;
        test::FakeTable table(6, true);
        table.setCaption("Data List");
        for (int i = 1; i <= 3; ++i)
            table.grid().addItem(std::to_string(i) + "\t14:05:32\t1.0\t2.0\t-1.0\tC");

        EXPECT_FALSE(PrintDualList(
            session.session, [&] { return &table; }, [] {}));

        EXPECT_EQ(session.printer.documents, 0);
        EXPECT_EQ(session.printer.aborted, 1);
        ASSERT_EQ(session.dialogs.messages.size(), 1u);
        EXPECT_EQ(session.dialogs.messages[0].text,
                  "The list could not be printed:\nThe printer is out of paper.\n\nThe document has been "
                  "cancelled.");
        EXPECT_EQ(session.dialogs.messages[0].details, "");
        EXPECT_EQ(session.dialogs.messages[0].style, 16);
        EXPECT_EQ(table.caption(), "Data List");
        EXPECT_TRUE(fakePanel.pollingOn);
        EXPECT_EQ(session.dialogs.busyDepth, 0);
    }
}

TEST_F(PrintListTest, ClosingTheWindowWhilePrintingCancelsTheDocument) {
    for (int i = 1; i <= 5; ++i)
        dual.grid().addItem(std::to_string(i) + "\t14:05:32\t1.0\t2.0\t-1.0\tC");
    onPump = [this] {
        if (pumps == 2)
            open = false;
    };
    EXPECT_FALSE(printDual());
    EXPECT_EQ(t.printer.lines.size(), 3u);  // heading, rule, the first row
    EXPECT_EQ(t.printer.aborted, 1);
    EXPECT_EQ(t.printer.documents, 0);
    EXPECT_TRUE(panel.pollingOn);
    EXPECT_EQ(t.dialogs.busyDepth, 0);
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text,
              "The list was closed while it was being printed.\n\nThe document has been cancelled.");
}

TEST_F(PrintListTest, APollerStoppedBeforePrintingStaysStopped) {
    panel.pollingOn = false;
    ASSERT_TRUE(printDual());
    EXPECT_FALSE(panel.pollingOn);
}

TEST_F(PrintListTest, PrintsWithoutAMainWindow) {
    t.session.panel = nullptr;
    single.grid().addItem("1\t14:05:32\t23.4\tC");
    EXPECT_TRUE(printSingle());
    EXPECT_EQ(t.printer.lines.size(), 3u);
}

}  // namespace
}  // namespace calvex
