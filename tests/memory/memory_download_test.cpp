#include <gtest/gtest.h>
#include <QLabel>

#include "memory/memory_image.h"
#include "support/memory_rig.h"

namespace calvex::test {
namespace {

std::size_t countOf(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// The image as the program keeps it: the data without its last byte, then bytes 2 to 8 again.
std::string expectedImage(const std::string& data) {
    std::string image = data.substr(0, data.size() - 1);
    return image + image.substr(1, 7);
}

TEST(MemoryDownload, PointerRepliesDecideWhatFollows) {
    struct Case {
        const char* name;
        std::vector<std::string> replies;  // answers to "A" in turn
        int bytesUsed;                     // of the memory behind them
        int sets;
        std::string written;  // everything sent to the instrument
        std::string remain;   // LblRemain, or no window
        bool noData;
    };
    const std::vector<Case> cases = {
        {"empty memory", {pointerReply(0x8C80)}, 2, 0, "A", "<no window>", true},
        {"0xC000", {pointerReply(0xC000)}, 13186, 2, "AUUUUU", "16.0 K", false},
        {"full memory", {pointerReply(0xFFFF)}, 29569, 4, "AUUUUUUUUU", "0.0 K", false},
        {"bad start byte, then good",
         {std::string("\x01\xC0\x00\x03", 4), pointerReply(0xC000)},
         13186,
         2,
         "AAUUUUU",
         "16.0 K",
         false},
        {"bad end byte, then good",
         {std::string("\x02\xC0\x00\x04", 4), pointerReply(0xC000)},
         13186,
         2,
         "AAUUUUU",
         "16.0 K",
         false},
        {"below the base, then good",
         {pointerReply(0x8C7D), pointerReply(0x8C7D), pointerReply(0xC000)},
         13186,
         2,
         "AAAUUUUU",
         "16.0 K",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRig rig;
        if (c.bytesUsed > 2) {
            rig.instrument.data = memoryData(setsFilling(static_cast<std::size_t>(c.bytesUsed), c.sets));
            ASSERT_EQ(rig.instrument.data.size(), static_cast<std::size_t>(c.bytesUsed));
        } else {
            rig.instrument.data = std::string("\x00\x03", 2);
        }
        for (const std::string& r : c.replies)
            rig.instrument.pointerAnswers.push_back(r);

        rig.memory.startDownload();
        EXPECT_TRUE(rig.state().MemoryOpen);
        EXPECT_FALSE(rig.panel.polling());
        rig.runToEnd();

        EXPECT_EQ(rig.t.port.written, c.written);
        EXPECT_EQ(rig.label("LblRemain"), c.remain);
        EXPECT_TRUE(rig.panel.polling());
        if (c.noData) {
            ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
            EXPECT_EQ(rig.t.dialogs.messages[0].text, "No Data in Memory");
            EXPECT_EQ(rig.t.dialogs.messages[0].style, 16);
            EXPECT_FALSE(rig.state().MemoryOpen);
            continue;
        }
        EXPECT_TRUE(rig.t.dialogs.messages.empty());
        EXPECT_TRUE(rig.state().MemoryOpen);
        EXPECT_EQ(rig.session().MemoryImage, expectedImage(rig.instrument.data));
        EXPECT_EQ(rig.label("LblMessage"), "100.0% Completed");
        EXPECT_EQ(rig.gridSetRows().size(), static_cast<std::size_t>(c.sets));
    }
}

TEST(MemoryDownload, RejectedPointerIsAskedAgainHalfASecondLater) {
    MemoryRig rig;
    rig.instrument.data = memoryData({{10, {dualRecord(251, 100)}}});
    rig.instrument.pointerAnswers = {"\x01\x8C\x90\x03"};
    rig.memory.startDownload();
    rig.run(600);  // the 4 bytes come within the first Delay 0.2; then Delay 0.5
    EXPECT_EQ(rig.t.port.written, "A");
    rig.run(150);
    EXPECT_EQ(rig.t.port.written, "AA");
    rig.run(300);
    EXPECT_EQ(rig.session().PointerReply, pointerReply(35966 + 14));
}

TEST(MemoryDownload, BlocksPerPassFollowTheBytesUsed) {
    struct Case {
        int bytesUsed;
        int sets;
        std::size_t uploads;  // "U" sent: the first of the pass plus one per block
    };
    for (const Case& c : {Case{4096, 4, 2}, Case{4097, 7, 3}, Case{13186, 2, 5}, Case{29569, 4, 9}}) {
        SCOPED_TRACE(c.bytesUsed);
        MemoryRig rig;
        rig.instrument.data = memoryData(setsFilling(static_cast<std::size_t>(c.bytesUsed), c.sets));
        ASSERT_EQ(rig.instrument.data.size(), static_cast<std::size_t>(c.bytesUsed));
        rig.memory.startDownload();
        rig.runToEnd();
        EXPECT_EQ(countOf(rig.t.port.written, 'U'), c.uploads);
        EXPECT_EQ(rig.session().MemoryImage, expectedImage(rig.instrument.data));
    }
}

TEST(MemoryDownload, ProgressAndListedSets) {
    MemoryRig rig;
    rig.instrument.data =
        memoryData({{10, {dualRecord(251, 100), dualRecord(252, 101), dualRecord(253, 102)}},
                    {60, {singleRecord(1000), singleRecord(1001)}}});
    rig.memory.startDownload();
    rig.runToEnd();
    EXPECT_EQ(rig.gridSetRows(), (std::vector<std::string>{"1\t10\t3", "2\t60\t2"}));
    EXPECT_EQ(rig.label("LblMessage"), "100.0% Completed");
    EXPECT_EQ(rig.label("LblRemain"), "28.8 K");  // (65535 - 36013) / 1024 = 28.83

    // Full memory: the first block alone is 13.9 % of it.
    MemoryRig full;
    full.instrument.data = memoryData(setsFilling(29569, 4));
    full.memory.startDownload();
    full.run(1500);
    while (full.t.port.written.size() < 4)
        full.run(10);
    EXPECT_EQ(full.label("LblMessage"), "13.9% Completed");
}

TEST(MemoryDownload, PollingStaysOffUntilThePortHasSettled) {
    MemoryRig rig;
    rig.instrument.data = memoryData({{10, {dualRecord(251, 100)}}});
    rig.memory.startDownload();
    while (rig.gridSetRows().empty())
        rig.run(10);
    EXPECT_FALSE(rig.panel.polling());
    rig.run(1000);
    EXPECT_FALSE(rig.panel.polling());  // no frame: the settling waits its 2 s
    rig.t.port.feed(std::string("\x02\x00\x00\xFB\x00\x00\x64\x00\x03", 9));
    EXPECT_TRUE(rig.panel.polling());
    EXPECT_EQ(rig.panel.switches, (std::vector<bool>{false, true}));
    // The port's activity is the panel's again.
    rig.t.port.feed("x");
    EXPECT_EQ(rig.panel.activity, 1);
}

// A memory that can never give 14 bytes is asked a bounded number of times; a short first pass
// followed by a full one goes on normally.
TEST(MemoryDownload, ShortPassesAreRepeatedButNotForever) {
    {
        MemoryRig rig;
        rig.instrument.data = std::string("\x00\x00\x55\xAA\x00\x0A\x00\x00\x00\x00\x00\x00\x03", 13);
        rig.memory.startDownload();
        rig.runToEnd();
        EXPECT_EQ(rig.t.port.written, "AUUUUUU");  // three passes of two "U"
        ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
        EXPECT_EQ(rig.t.dialogs.messages[0].text, "The instrument's memory holds no complete logging set.");
        EXPECT_EQ(rig.t.dialogs.messages[0].style, 16);
        EXPECT_FALSE(rig.state().MemoryOpen);
        EXPECT_EQ(rig.memory.window(), nullptr);
        EXPECT_TRUE(rig.panel.polling());
    }
    {
        // Pointer at the base: no blocks, the pass is the first "U" alone; it answers short once.
        MemoryRig rig;
        const std::string data = memoryData({{5, {dualRecord(251, 100), dualRecord(252, 100)}}});
        rig.instrument.pointerAnswers = {pointerReply(35966)};
        rig.instrument.uploadAnswers = {data.substr(0, 9), data};
        rig.memory.startDownload();
        rig.runToEnd();
        EXPECT_EQ(rig.t.port.written, "AUU");
        EXPECT_TRUE(rig.t.dialogs.messages.empty());
        EXPECT_EQ(rig.session().MemoryImage, expectedImage(data));
        EXPECT_EQ(rig.gridSetRows(), (std::vector<std::string>{"1\t5\t2"}));
    }
}

TEST(MemoryDownload, ABlockEndsOnceItHasAtLeast4096Bytes) {
    MemoryRig rig;
    rig.instrument.data = memoryData(setsFilling(13186, 2));
    // The first block comes with four bytes too many; the next block must still be asked for.
    rig.instrument.uploadAnswers = {"", rig.instrument.data.substr(0, 4100)};
    rig.instrument.offset = 4100;
    rig.instrument.armed = true;
    rig.memory.startDownload();
    rig.run(8000);
    EXPECT_GE(countOf(rig.t.port.written, 'U'), 3u);
}

TEST(MemoryDownload, SilenceEndsTheDownloadWithAMessage) {
    struct Case {
        const char* name;
        int pointer;
        bool silent;
        std::size_t stopAfter;
        int quietMs;  // still running after this long
        int failMs;   // ended by then
        const char* detailsStart;
    };
    const std::vector<Case> cases = {
        {"no answer to A", 0xC000, true, SIZE_MAX, 4900, 200, "No reply to the memory pointer query"},
        {"line dies in a block", 0xC000, false, 5000, 5000 + 5000, 6000,
         "No byte for 5 seconds while block 2 of 4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRig rig;
        rig.instrument.data = memoryData(setsFilling(13186, 2));
        rig.instrument.silent = c.silent;
        rig.instrument.stopAfter = c.stopAfter;
        rig.memory.startDownload();
        rig.run(c.quietMs);
        EXPECT_TRUE(rig.memory.downloading());
        EXPECT_TRUE(rig.t.dialogs.messages.empty());
        rig.run(c.failMs);
        EXPECT_FALSE(rig.memory.downloading());
        ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
        EXPECT_EQ(rig.t.dialogs.messages[0].text,
                  "The instrument did not answer; check the cable and try again.");
        EXPECT_EQ(rig.t.dialogs.messages[0].style, 16);
        EXPECT_EQ(rig.t.dialogs.messages[0].details.rfind(c.detailsStart, 0), 0u)
            << rig.t.dialogs.messages[0].details;
        EXPECT_FALSE(rig.state().MemoryOpen);
        EXPECT_EQ(rig.memory.window(), nullptr);
        EXPECT_TRUE(rig.panel.polling());
        const std::string written = rig.t.port.written;
        rig.run(3000);
        EXPECT_EQ(rig.t.port.written, written);
    }
}

TEST(MemoryDownload, PointerQueryGivesUpAfterTenSecondsOfBadReplies) {
    MemoryRig rig;
    for (int i = 0; i < 40; ++i)
        rig.instrument.pointerAnswers.push_back("\x02\x12\x34\x03");  // below the base
    rig.memory.startDownload();
    rig.run(9500);
    EXPECT_TRUE(rig.memory.downloading());
    rig.run(1000);
    EXPECT_FALSE(rig.memory.downloading());
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.t.dialogs.messages[0].details,
              "The memory pointer query \"A\" got no valid reply for 10 seconds (last reply: 02 12 34 03).");
    EXPECT_EQ(countOf(rig.t.port.written, 'A'), 15u);  // one every 0.2 + 0.5 s
    EXPECT_FALSE(rig.state().MemoryOpen);
    EXPECT_TRUE(rig.panel.polling());
}

TEST(MemoryDownload, ClosingTheWindowCancelsQuietly) {
    MemoryRig rig;
    rig.instrument.data = memoryData(setsFilling(13186, 2));
    rig.memory.startDownload();
    rig.run(3000);
    ASSERT_NE(rig.memory.window(), nullptr);
    rig.memory.window()->close();
    EXPECT_FALSE(rig.memory.downloading());
    EXPECT_FALSE(rig.state().MemoryOpen);
    EXPECT_TRUE(rig.panel.polling());
    const std::string written = rig.t.port.written;
    rig.run(10000);
    EXPECT_EQ(rig.t.port.written, written);
    EXPECT_TRUE(rig.t.dialogs.messages.empty());
    // And the command works again.
    rig.memory.startDownload();
    EXPECT_TRUE(rig.memory.downloading());
}

TEST(MemoryDownload, ABrokenPortIsReported) {
    MemoryRig rig;
    rig.instrument.data = memoryData(setsFilling(13186, 2));
    rig.memory.startDownload();
    rig.run(2000);
    rig.t.port.failPort("Input/output error");
    EXPECT_FALSE(rig.memory.downloading());
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.t.dialogs.messages[0].text, "The serial port failed during the memory download.");
    EXPECT_EQ(rig.t.dialogs.messages[0].details, "Input/output error");
    EXPECT_FALSE(rig.state().MemoryOpen);
    EXPECT_TRUE(rig.panel.polling());
}

TEST(MemoryDownload, MemoryCommandDoesNothingWhileTheWindowIsOpen) {
    MemoryRig rig;
    rig.instrument.data = memoryData({{10, {dualRecord(251, 100)}}});
    rig.memory.startDownload();
    rig.runToEnd();
    ASSERT_NE(rig.memory.window(), nullptr);
    const std::string written = rig.t.port.written;
    rig.memory.startDownload();
    rig.run(1000);
    EXPECT_EQ(rig.t.port.written, written);
    rig.memory.window()->close();
    EXPECT_FALSE(rig.state().MemoryOpen);
}

}  // namespace
}  // namespace calvex::test
