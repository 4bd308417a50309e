#include "record/spool.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <memory>

#include "support/temp_folder.h"

namespace calvex {
namespace {

using test::TempFolder;

constexpr std::uint64_t kRoomy = 1 << 20;

struct SpoolFiles {
    TempFolder folder;
    std::string points = folder.file("points.lp");
    std::string sent = points + ".sent";

    std::unique_ptr<Spool> open(std::uint64_t limit = kRoomy) {
        auto spool = std::make_unique<Spool>(points, limit);
        std::string why;
        EXPECT_TRUE(spool->open(why)) << why;
        return spool;
    }
    std::string pointsBytes() const { return TempFolder::read(points); }
    std::string sentBytes() const { return TempFolder::read(sent); }
};

TEST(SpoolTest, AppendNextCommitRoundTrip) {
    SpoolFiles files;
    auto spool = files.open();
    for (const char* line : {"a v=1 1\n", "b v=2 2\n", "c v=3 3\n"})
        ASSERT_EQ(spool->append(line), Spool::Append::Kept);
    EXPECT_EQ(files.pointsBytes(), "a v=1 1\nb v=2 2\nc v=3 3\n");
    EXPECT_EQ(spool->pendingPoints(), 3u);
    EXPECT_EQ(spool->pendingBytes(), 24u);

    const Spool::Batch first = spool->next(2);
    EXPECT_EQ(first.body, "a v=1 1\nb v=2 2\n");
    EXPECT_EQ(first.points, 2u);
    EXPECT_EQ(first.end, 16u);
    // Looking is not taking.
    EXPECT_EQ(spool->next(2).body, first.body);
    ASSERT_TRUE(spool->commit(first.end)) << spool->lastError();
    EXPECT_EQ(files.sentBytes(), "16\n");
    EXPECT_EQ(files.pointsBytes(), "a v=1 1\nb v=2 2\nc v=3 3\n");
    EXPECT_EQ(spool->pendingPoints(), 1u);
    EXPECT_EQ(spool->pendingBytes(), 8u);

    const Spool::Batch rest = spool->next(5000);
    EXPECT_EQ(rest.body, "c v=3 3\n");
    EXPECT_EQ(rest.points, 1u);
    EXPECT_EQ(rest.end, 24u);
}

TEST(SpoolTest, EmptiedOnceEverythingIsTaken) {
    SpoolFiles files;
    auto spool = files.open();
    spool->append("a 1\n");
    spool->append("b 2\n");
    ASSERT_TRUE(spool->commit(spool->next(10).end)) << spool->lastError();
    EXPECT_EQ(files.pointsBytes(), "");
    EXPECT_EQ(files.sentBytes(), "0\n");
    EXPECT_EQ(spool->pendingPoints(), 0u);
    EXPECT_EQ(spool->pendingBytes(), 0u);
    EXPECT_EQ(spool->next(10).points, 0u);

    // Points after the emptying start the file again at 0.
    ASSERT_EQ(spool->append("c 3\n"), Spool::Append::Kept);
    EXPECT_EQ(files.pointsBytes(), "c 3\n");
    const Spool::Batch batch = spool->next(10);
    EXPECT_EQ(batch.body, "c 3\n");
    EXPECT_EQ(batch.end, 4u);
}

TEST(SpoolTest, ReopenResumesAfterWhatWasTaken) {
    SpoolFiles files;
    {
        auto spool = files.open();
        spool->append("a 1\n");
        spool->append("b 2\n");
        spool->append("c 3\n");
        ASSERT_TRUE(spool->commit(spool->next(1).end));
    }
    auto spool = files.open();
    EXPECT_EQ(spool->pendingPoints(), 2u);
    EXPECT_EQ(spool->pendingBytes(), 8u);
    EXPECT_EQ(spool->next(10).body, "b 2\nc 3\n");
    spool->append("d 4\n");
    EXPECT_EQ(files.pointsBytes(), "a 1\nb 2\nc 3\nd 4\n");
    EXPECT_EQ(spool->pendingPoints(), 3u);
}

TEST(SpoolTest, TornLastLineIsCutOnOpen) {
    struct Case {
        std::string before, after;
    };
    for (const Case& c :
         std::vector<Case>{{"a 1\nb 2\nc 3", "a 1\nb 2\n"},
                           {"half a poi", ""},
                           {"", ""},
                           {"a 1\n", "a 1\n"},
                           {std::string(70000, 'x') + "\nb", std::string(70000, 'x') + "\n"}}) {
        SpoolFiles files;
        TempFolder::write(files.points, c.before);
        auto spool = files.open();
        EXPECT_EQ(files.pointsBytes(), c.after) << c.before.substr(0, 20);
        spool->append("z 9\n");
        EXPECT_EQ(files.pointsBytes(), c.after + "z 9\n");
    }
}

TEST(SpoolTest, SentOffsetThatCannotBeOursStartsOver) {
    const std::string points = "a 1\nbb 2\nccc 3\n";  // lines start at 0, 4, 9; 15 bytes
    struct Case {
        const char* sent;  // nullptr: no .sent file
        std::string next;
    };
    for (const Case& c : std::vector<Case>{{nullptr, points},
                                           {"4\n", "bb 2\nccc 3\n"},
                                           {"9", "ccc 3\n"},
                                           {"0\n", points},
                                           {"", points},
                                           {"garbage\n", points},
                                           {"4x\n", points},
                                           {"-4\n", points},
                                           {" 4\n", points},
                                           {"99999\n", points},
                                           {"18446744073709551616\n", points},
                                           {"00000000000000000000000000000004\n", points},
                                           {"5\n", points},
                                           {"14\n", points}}) {
        const std::string label = c.sent ? c.sent : "(none)";
        SpoolFiles files;
        TempFolder::write(files.points, points);
        if (c.sent)
            TempFolder::write(files.sent, c.sent);
        auto spool = files.open();
        EXPECT_EQ(spool->next(10).body, c.next) << label;
        EXPECT_EQ(spool->pendingBytes(), c.next.size()) << label;
    }
}

TEST(SpoolTest, OffsetAtTheEndEmptiesOnOpen) {
    // A run stopped after the server took everything, before the spool was emptied.
    SpoolFiles files;
    TempFolder::write(files.points, "a 1\nb 2\n");
    TempFolder::write(files.sent, "8\n");
    auto spool = files.open();
    EXPECT_EQ(spool->pendingPoints(), 0u);
    EXPECT_EQ(files.pointsBytes(), "");
    EXPECT_EQ(files.sentBytes(), "0\n");
}

TEST(SpoolTest, FullAtTheLimitKeepsTheFileWhole) {
    SpoolFiles files;
    auto spool = files.open(12);
    EXPECT_EQ(spool->append("aaaa 1\n"), Spool::Append::Kept);  // 7
    EXPECT_EQ(spool->append("bbbbbb\n"), Spool::Append::Full);  // 14 > 12
    EXPECT_EQ(spool->append("cc 3\n"), Spool::Append::Kept);    // 12
    EXPECT_EQ(spool->append("d\n"), Spool::Append::Full);
    EXPECT_EQ(files.pointsBytes(), "aaaa 1\ncc 3\n");
    EXPECT_EQ(spool->pendingPoints(), 2u);

    // Points taken but not yet emptied still fill it; emptying makes room.
    ASSERT_TRUE(spool->commit(spool->next(1).end));
    EXPECT_EQ(spool->append("d\n"), Spool::Append::Full);
    ASSERT_TRUE(spool->commit(spool->next(1).end));
    EXPECT_EQ(spool->append("d\n"), Spool::Append::Kept);
    EXPECT_EQ(files.pointsBytes(), "d\n");
}

TEST(SpoolTest, RefusesWhatIsNotOnePoint) {
    SpoolFiles files;
    auto spool = files.open();
    spool->append("a 1\n");
    for (const std::string& line : {std::string(""), std::string("no end"), std::string("two\nlines\n"),
                                    std::string(64 * 1024, 'x') + "\n"}) {
        EXPECT_EQ(spool->append(line), Spool::Append::Failed) << line.substr(0, 20);
        EXPECT_FALSE(spool->lastError().empty());
    }
    EXPECT_EQ(files.pointsBytes(), "a 1\n");
    EXPECT_EQ(spool->pendingPoints(), 1u);
}

TEST(SpoolTest, FailedWriteIsCutBackToTheLastWholeLine) {
    SpoolFiles files;
    auto spool = files.open();
    ASSERT_EQ(spool->append("a 1\n"), Spool::Append::Kept);
    // The file may grow 3 more bytes: the write stops inside the line, and the next fails.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 7;
    ::setrlimit(RLIMIT_FSIZE, &tight);
    const Spool::Append result = spool->append("bbbbbbbb 2\n");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(result, Spool::Append::Failed);
    EXPECT_NE(spool->lastError().find("cannot write"), std::string::npos) << spool->lastError();
    EXPECT_EQ(files.pointsBytes(), "a 1\n");
    EXPECT_EQ(spool->pendingPoints(), 1u);
    ASSERT_EQ(spool->append("c 3\n"), Spool::Append::Kept);
    EXPECT_EQ(files.pointsBytes(), "a 1\nc 3\n");
}

TEST(SpoolTest, SecondSpoolOnTheSameFileIsRefused) {
    SpoolFiles files;
    auto first = files.open();
    first->append("a 1\n");
    Spool second(files.points, kRoomy);
    std::string why;
    EXPECT_FALSE(second.open(why));
    EXPECT_NE(why.find("in use by another calvex-record"), std::string::npos) << why;
    EXPECT_EQ(second.append("b 2\n"), Spool::Append::Failed);
    EXPECT_EQ(files.pointsBytes(), "a 1\n");

    first.reset();
    EXPECT_TRUE(second.open(why)) << why;
    EXPECT_EQ(second.pendingPoints(), 1u);
}

TEST(SpoolTest, MissingFolderIsTold) {
    TempFolder folder;
    Spool spool(folder.file("nowhere/points.lp"), kRoomy);
    std::string why;
    EXPECT_FALSE(spool.open(why));
    EXPECT_NE(why.find("its folder must exist"), std::string::npos) << why;
    EXPECT_FALSE(std::filesystem::exists(folder.file("nowhere")));
}

TEST(SpoolTest, OverlongLineIsPassedOverInBoundedMemory) {
    const std::string huge(200 * 1024, 'x');
    struct Case {
        std::string file, body;
        std::size_t points;
    };
    for (const Case& c :
         std::vector<Case>{{"a 1\n" + huge + "\nb 2\n", "a 1\nb 2\n", 2}, {huge + "\n", "", 0}}) {
        SpoolFiles files;
        TempFolder::write(files.points, c.file);
        auto spool = files.open();
        EXPECT_EQ(spool->pendingPoints(), c.points + 1);
        // An empty batch still moves the spool on past the damage.
        const Spool::Batch batch = spool->next(10);
        EXPECT_EQ(batch.body, c.body);
        EXPECT_EQ(batch.points, c.points);
        EXPECT_EQ(batch.end, c.file.size());
        ASSERT_TRUE(spool->commit(batch.end));
        EXPECT_EQ(spool->pendingPoints(), 0u);
        EXPECT_EQ(files.pointsBytes(), "");
    }
}

TEST(SpoolTest, CommitRefusesAnOffsetInsideAPoint) {
    SpoolFiles files;
    auto spool = files.open();
    spool->append("a 1\n");
    spool->append("b 2\n");
    EXPECT_FALSE(spool->commit(6));
    EXPECT_FALSE(spool->commit(9));
    EXPECT_EQ(spool->pendingPoints(), 2u);
    EXPECT_FALSE(std::filesystem::exists(files.sent));
    EXPECT_TRUE(spool->commit(4));
    EXPECT_TRUE(spool->commit(4));  // already taken: nothing to do
    EXPECT_EQ(files.sentBytes(), "4\n");
}

}  // namespace
}  // namespace calvex
