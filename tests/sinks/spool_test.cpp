#include "sinks/spool.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sstream>

#include "support/temp_folder.h"

namespace calvex {
namespace {

using test::TempFolder;
using Files = std::map<std::string, std::string>;  // name -> bytes, for every file in the folder

constexpr std::uint64_t kRoomy = 1 << 20;

struct SpoolFolder {
    TempFolder folder;
    std::string path = folder.file("spool");

    std::unique_ptr<Spool> open(std::uint64_t limit = kRoomy,
                                std::uint64_t compactAfter = Spool::kCompactAfterBytes) {
        auto spool = std::make_unique<Spool>(path, limit, compactAfter);
        std::string why;
        EXPECT_TRUE(spool->open(why)) << why;
        return spool;
    }
    std::string read(const std::string& name) const { return TempFolder::read(path + "/" + name); }
    // Builds the folder as a run would have left it.
    void write(const Files& files) const {
        std::filesystem::create_directories(path);
        for (const auto& [name, bytes] : files)
            TempFolder::write(path + "/" + name, bytes);
    }
    Files files() const {
        Files found;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            found[entry.path().filename().string()] = TempFolder::read(entry.path().string());
        return found;
    }
};

std::string point(int i) {
    return "calvex,instrument=oven t1=" + std::to_string(i) + " " + std::to_string(1765375532 + i) + "\n";
}

std::size_t lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(SpoolTest, AppendNextCommitRoundTrip) {
    SpoolFolder spoolFolder;
    auto spool = spoolFolder.open();
    EXPECT_EQ(spoolFolder.files(), (Files{{"lock", ""}, {"points.0", ""}, {"sent", "0 0\n"}}));
    for (const char* line : {"a v=1 1\n", "b v=2 2\n", "c v=3 3\n"})
        ASSERT_EQ(spool->append(line), Spool::Append::Kept);
    EXPECT_EQ(spoolFolder.read("points.0"), "a v=1 1\nb v=2 2\nc v=3 3\n");
    EXPECT_EQ(spool->pendingPoints(), 3u);
    EXPECT_EQ(spool->pendingBytes(), 24u);

    const Spool::Batch first = spool->next(2);
    EXPECT_EQ(first.body, "a v=1 1\nb v=2 2\n");
    EXPECT_EQ(first.points, 2u);
    EXPECT_EQ(first.end, 16u);
    // Looking is not taking.
    EXPECT_EQ(spool->next(2).body, first.body);
    ASSERT_TRUE(spool->commit(first.end)) << spool->lastError();
    EXPECT_EQ(spoolFolder.files(),
              (Files{{"lock", ""}, {"points.0", "a v=1 1\nb v=2 2\nc v=3 3\n"}, {"sent", "0 16\n"}}));
    EXPECT_EQ(spool->pendingPoints(), 1u);
    EXPECT_EQ(spool->pendingBytes(), 8u);

    const Spool::Batch rest = spool->next(5000);
    EXPECT_EQ(rest.body, "c v=3 3\n");
    EXPECT_EQ(rest.points, 1u);
    EXPECT_EQ(rest.end, 24u);
}

TEST(SpoolTest, EmptiedIntoANewGenerationOnceEverythingIsTaken) {
    SpoolFolder spoolFolder;
    auto spool = spoolFolder.open();
    spool->append("a 1\n");
    spool->append("b 2\n");
    const Spool::Batch all = spool->next(10);
    ASSERT_TRUE(spool->commit(all.end)) << spool->lastError();
    EXPECT_EQ(spoolFolder.files(), (Files{{"lock", ""}, {"points.1", ""}, {"sent", "1 0\n"}}));
    EXPECT_EQ(spool->pendingPoints(), 0u);
    EXPECT_EQ(spool->pendingBytes(), 0u);
    EXPECT_EQ(spool->next(10).points, 0u);

    ASSERT_EQ(spool->append("c 3\n"), Spool::Append::Kept);
    EXPECT_EQ(spoolFolder.read("points.1"), "c 3\n");
    // Batch ends count on across the emptying: an old one is taken already.
    const Spool::Batch batch = spool->next(10);
    EXPECT_EQ(batch.body, "c 3\n");
    EXPECT_EQ(batch.end, 12u);
    EXPECT_TRUE(spool->commit(all.end));
    EXPECT_EQ(spool->pendingPoints(), 1u);
    ASSERT_TRUE(spool->commit(batch.end)) << spool->lastError();
    EXPECT_EQ(spoolFolder.files(), (Files{{"lock", ""}, {"points.2", ""}, {"sent", "2 0\n"}}));
}

TEST(SpoolTest, ReopenResumesAfterWhatWasTaken) {
    SpoolFolder spoolFolder;
    {
        auto spool = spoolFolder.open();
        spool->append("a 1\n");
        spool->append("b 2\n");
        spool->append("c 3\n");
        ASSERT_TRUE(spool->commit(spool->next(1).end));
    }
    auto spool = spoolFolder.open();
    EXPECT_EQ(spool->pendingPoints(), 2u);
    EXPECT_EQ(spool->pendingBytes(), 8u);
    EXPECT_EQ(spool->next(10).body, "b 2\nc 3\n");
    spool->append("d 4\n");
    EXPECT_EQ(spoolFolder.files(),
              (Files{{"lock", ""}, {"points.0", "a 1\nb 2\nc 3\nd 4\n"}, {"sent", "0 4\n"}}));
    EXPECT_EQ(spool->pendingPoints(), 3u);
}

TEST(SpoolTest, CopiesThePendingPointsOnceTheTakenOnesPayForIt) {
    // Five points of 4 bytes; taken points are dropped once they are 8 bytes or more and at least
    // as many bytes as the points still pending.
    struct Case {
        std::vector<std::size_t> commits;  // points taken, one commit each
        Files after;
        std::size_t pending;
    };
    const std::string all = "a 1\nb 2\nc 3\nd 4\ne 5\n";
    for (const Case& c : std::vector<Case>{
             {{1}, {{"lock", ""}, {"points.0", all}, {"sent", "0 4\n"}}, 4},
             {{2}, {{"lock", ""}, {"points.0", all}, {"sent", "0 8\n"}}, 3},  // 8 < 12 pending
             {{3}, {{"lock", ""}, {"points.1", "d 4\ne 5\n"}, {"sent", "1 0\n"}}, 2},
             {{1, 1, 1}, {{"lock", ""}, {"points.1", "d 4\ne 5\n"}, {"sent", "1 0\n"}}, 2},
             {{3, 1}, {{"lock", ""}, {"points.1", "d 4\ne 5\n"}, {"sent", "1 4\n"}}, 1},
             {{3, 2}, {{"lock", ""}, {"points.2", ""}, {"sent", "2 0\n"}}, 0},
         }) {
        SpoolFolder spoolFolder;
        auto spool = spoolFolder.open(kRoomy, 8);
        for (char name = 'a'; name <= 'e'; ++name)
            spool->append(std::string(1, name) + " " + std::to_string(name - 'a' + 1) + "\n");
        std::string taken;
        for (const std::size_t points : c.commits) {
            const Spool::Batch batch = spool->next(points);
            taken += batch.body;
            ASSERT_TRUE(spool->commit(batch.end)) << spool->lastError();
        }
        EXPECT_EQ(spoolFolder.files(), c.after) << taken;
        EXPECT_EQ(spool->pendingPoints(), c.pending) << taken;
        EXPECT_EQ(taken + spool->next(10).body, all);

        // And a later run finds the same.
        spool.reset();
        spool = spoolFolder.open(kRoomy, 8);
        EXPECT_EQ(spool->pendingPoints(), c.pending) << taken;
        EXPECT_EQ(taken + spool->next(10).body, all);
    }
}

// A server whose answer takes as long as the next point: at every commit a point is pending.
TEST(SpoolTest, SlowServerKeepsTheFolderSmallAndEveryPointInOrder) {
    struct Case {
        const char* name;
        std::uint64_t limit, compactAfter;
        std::size_t largest;  // bytes the points file may reach
    };
    const std::size_t line = point(1000).size();
    for (const Case& c : std::vector<Case>{
             {"dropped after 4 points", kRoomy, 4 * line, 7 * line},
             // The limit below the drop threshold: room is made when the file reaches the limit.
             {"dropped at the limit", 10 * line, Spool::kCompactAfterBytes, 10 * line},
         }) {
        SpoolFolder spoolFolder;
        auto spool = spoolFolder.open(c.limit, c.compactAfter);
        std::string appended, committed;
        std::size_t largest = 0;
        int next = 1000;
        for (int round = 0; round < 500; ++round) {
            appended += point(next);
            ASSERT_EQ(spool->append(point(next++)), Spool::Append::Kept) << c.name << round;
            const Spool::Batch inFlight = spool->next(5000);
            appended += point(next);
            ASSERT_EQ(spool->append(point(next++)), Spool::Append::Kept) << c.name << round;
            ASSERT_TRUE(spool->commit(inFlight.end)) << c.name << spool->lastError();
            committed += inFlight.body;
            ASSERT_GE(spool->pendingPoints(), 1u);
            const Files files = spoolFolder.files();
            ASSERT_EQ(files.size(), 3u) << c.name << round;
            for (const auto& [name, bytes] : files)
                largest = std::max(largest, bytes.size());
        }
        const Spool::Batch rest = spool->next(5000);
        ASSERT_TRUE(spool->commit(rest.end));
        committed += rest.body;
        EXPECT_EQ(committed, appended) << c.name;
        EXPECT_LE(largest, c.largest) << c.name;
        EXPECT_EQ(spool->pendingPoints(), 0u);
    }
}

// The same pattern in a child process killed at random instants, many of them inside a copy: each
// next run finds, in order, every point the child had appended and not yet seen committed.
TEST(SpoolTest, KilledAnywhereLosesNoPoint) {
    SpoolFolder spoolFolder;
    std::mt19937 random(7);
    long nextPoint = 0;
    long committed = -1;  // every point up to this one was taken
    for (int kill = 0; kill < 150; ++kill) {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            // Told after each step: "a n" point n kept, "b n" point n kept with a batch up to n - 1
            // in flight, "c n" the batch up to n taken.
            const auto tell = [&](char what, long n) {
                const std::string text = std::string(1, what) + " " + std::to_string(n) + "\n";
                if (::write(pipeEnds[1], text.data(), text.size()) < 0)
                    ::_exit(3);
            };
            Spool spool(spoolFolder.path, kRoomy, 200);
            std::string why;
            if (!spool.open(why))
                ::_exit(2);
            for (long n = nextPoint;; n += 2) {
                if (spool.append(point(n)) != Spool::Append::Kept)
                    ::_exit(4);
                tell('a', n);
                const Spool::Batch inFlight = spool.next(5000);
                if (spool.append(point(n + 1)) != Spool::Append::Kept)
                    ::_exit(4);
                tell('b', n + 1);
                if (!spool.commit(inFlight.end))
                    ::_exit(5);
                tell('c', n);
            }
        }
        ::close(pipeEnds[1]);
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        ::kill(child, SIGKILL);
        std::string told;
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
            told.append(buffer, static_cast<std::size_t>(n));
        ::close(pipeEnds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself: " << WEXITSTATUS(status);

        long appended = nextPoint - 1;
        long mayBeTaken = committed;
        std::istringstream steps(told);
        char what = 0;
        long n = 0;
        while (steps >> what >> n) {
            appended = what == 'c' ? appended : n;
            mayBeTaken = what == 'a' ? mayBeTaken : what == 'b' ? n - 1 : n;
        }
        const Spool::Batch batch = [&] {
            auto spool = spoolFolder.open();
            return spool->next(1 << 30);
        }();
        std::string expected;
        long first = mayBeTaken + 1;
        // Points the server took may come again, never one that was not taken is missing.
        while (first > committed + 1 && batch.body.compare(0, point(first).size(), point(first)) != 0)
            --first;
        for (long i = first; i <= appended; ++i)
            expected += point(i);
        // The point being appended when the kill came may be there whole, never in part.
        if (batch.body != expected)
            expected += point(appended + 1);
        ASSERT_EQ(batch.body, expected) << "kill " << kill << ": " << told.substr(told.size() - 40);
        ASSERT_EQ(spoolFolder.files().size(), 3u) << "kill " << kill;
        nextPoint = first + static_cast<long>(lines(batch.body));
        committed = first - 1;
    }
}

// The files a compaction of points.5 (two points taken: "a 1\nb 2\n") leaves when the run is killed
// at each step of it, or of an emptying, and what the next run must find pending.
TEST(SpoolTest, InterruptedCompactionResumesWithEveryPointNotTaken) {
    const std::string old = "a 1\nb 2\nc 3\nd 4\n";
    struct Case {
        const char* name;
        Files before, after;
        std::string pending;
    };
    for (const Case& c : std::vector<Case>{
             {"copy begun",
              {{"points.5", old}, {"points.6", "c 3\n"}, {"sent", "5 8\n"}},
              {{"lock", ""}, {"points.5", old}, {"sent", "5 8\n"}},
              "c 3\nd 4\n"},
             {"copy torn inside a line",
              {{"points.5", old}, {"points.6", "c 3\nd"}, {"sent", "5 8\n"}},
              {{"lock", ""}, {"points.5", old}, {"sent", "5 8\n"}},
              "c 3\nd 4\n"},
             {"copy whole, sent not yet replaced",
              {{"points.5", old}, {"points.6", "c 3\nd 4\n"}, {"sent", "5 8\n"}, {"sent.new", "6 0\n"}},
              {{"lock", ""}, {"points.5", old}, {"sent", "5 8\n"}},
              "c 3\nd 4\n"},
             {"replacement of sent half written",
              {{"points.5", old}, {"points.6", "c 3\nd 4\n"}, {"sent", "5 8\n"}, {"sent.new", "6"}},
              {{"lock", ""}, {"points.5", old}, {"sent", "5 8\n"}},
              "c 3\nd 4\n"},
             {"sent replaced, old file left",
              {{"points.5", old}, {"points.6", "c 3\nd 4\n"}, {"sent", "6 0\n"}},
              {{"lock", ""}, {"points.6", "c 3\nd 4\n"}, {"sent", "6 0\n"}},
              "c 3\nd 4\n"},
             {"old file left, a point appended and one taken since",
              {{"points.5", old}, {"points.6", "c 3\nd 4\ne 5\n"}, {"sent", "6 4\n"}},
              {{"lock", ""}, {"points.6", "c 3\nd 4\ne 5\n"}, {"sent", "6 4\n"}},
              "d 4\ne 5\n"},
             {"a generation older still",
              {{"points.4", "z 0\n"}, {"points.5", old}, {"sent", "5 8\n"}},
              {{"lock", ""}, {"points.5", old}, {"sent", "5 8\n"}},
              "c 3\nd 4\n"},
             {"emptying begun",
              {{"points.5", old}, {"points.6", ""}, {"sent", "5 16\n"}},
              {{"lock", ""}, {"points.6", ""}, {"sent", "6 0\n"}},
              ""},
             {"emptied, old file left",
              {{"points.5", old}, {"points.6", ""}, {"sent", "6 0\n"}},
              {{"lock", ""}, {"points.6", ""}, {"sent", "6 0\n"}},
              ""},
             {"names that are not points files are left alone",
              {{"points.5", old},
               {"points.06", "x\n"},
               {"points.x", "y\n"},
               {"points.1000000000000000000", "z\n"},
               {"sent", "5 8\n"}},
              {{"lock", ""},
               {"points.06", "x\n"},
               {"points.x", "y\n"},
               {"points.1000000000000000000", "z\n"},
               {"points.5", old},
               {"sent", "5 8\n"}},
              "c 3\nd 4\n"},
         }) {
        SpoolFolder spoolFolder;
        spoolFolder.write(c.before);
        auto spool = spoolFolder.open();
        EXPECT_EQ(spoolFolder.files(), c.after) << c.name;
        EXPECT_EQ(spool->next(100).body, c.pending) << c.name;
        EXPECT_EQ(spool->pendingPoints(), lines(c.pending)) << c.name;
        EXPECT_EQ(spool->pendingBytes(), c.pending.size()) << c.name;
    }
}

// Without a word on which points file is in use, every point of every file goes again: resending
// does no harm, guessing could drop points.
TEST(SpoolTest, WithoutSentEveryPointGoesAgain) {
    const std::string old = "a 1\nb 2\nc 3\nd 4\n";
    struct Case {
        const char* name;
        Files before, after;
        std::string pending;
    };
    for (const Case& c : std::vector<Case>{
             {"no sent, one file",
              {{"points.5", old}},
              {{"lock", ""}, {"points.5", old}, {"sent", "5 0\n"}},
              old},
             {"damaged sent, one file",
              {{"points.5", old}, {"sent", "5 8 8\n"}},
              {{"lock", ""}, {"points.5", old}, {"sent", "5 0\n"}},
              old},
             {"sent names a file that is gone",
              {{"points.5", old}, {"sent", "3 8\n"}},
              {{"lock", ""}, {"points.5", old}, {"sent", "5 0\n"}},
              old},
             {"no sent, the old file and its copy with a point more",
              {{"points.5", old}, {"points.6", "c 3\nd 4\ne 5\n"}},
              {{"lock", ""}, {"points.7", old + "c 3\nd 4\ne 5\n"}, {"sent", "7 0\n"}},
              old + "c 3\nd 4\ne 5\n"},
             {"sent names a file that is gone, two files, one torn",
              {{"points.5", old + "e"}, {"points.6", "c 3\n"}, {"sent", "9 0\n"}},
              {{"lock", ""}, {"points.7", old + "c 3\n"}, {"sent", "7 0\n"}},
              old + "c 3\n"},
             {"nothing at all", {}, {{"lock", ""}, {"points.0", ""}, {"sent", "0 0\n"}}, ""},
         }) {
        SpoolFolder spoolFolder;
        spoolFolder.write(c.before);
        auto spool = spoolFolder.open();
        EXPECT_EQ(spoolFolder.files(), c.after) << c.name;
        EXPECT_EQ(spool->next(100).body, c.pending) << c.name;
        EXPECT_EQ(spool->pendingPoints(), lines(c.pending)) << c.name;
    }
}

TEST(SpoolTest, LastGenerationNumberIsToldNotWrappedAround) {
    const std::string last = "points.999999999999999999";
    {
        // Everything taken, and no next generation to empty into: the offset still says so.
        SpoolFolder spoolFolder;
        spoolFolder.write({{last, "a 1\n"}, {"sent", "999999999999999999 0\n"}});
        auto spool = spoolFolder.open();
        EXPECT_FALSE(spool->commit(spool->next(10).end));
        EXPECT_NE(spool->lastError().find("has used up its generation numbers"), std::string::npos)
            << spool->lastError();
        EXPECT_EQ(spool->pendingPoints(), 0u);
        EXPECT_EQ(spoolFolder.files(),
                  (Files{{"lock", ""}, {last, "a 1\n"}, {"sent", "999999999999999999 4\n"}}));
    }
    {
        SpoolFolder spoolFolder;
        spoolFolder.write({{"points.999999999999999998", "a 1\n"}, {last, "b 2\n"}});
        Spool spool(spoolFolder.path, kRoomy);
        std::string why;
        EXPECT_FALSE(spool.open(why));
        EXPECT_NE(why.find("has used up its generation numbers"), std::string::npos) << why;
        EXPECT_EQ(spoolFolder.files().size(), 3u);  // the lock, both files as they were
    }
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
        SpoolFolder spoolFolder;
        spoolFolder.write({{"points.0", c.before}, {"sent", "0 0\n"}});
        auto spool = spoolFolder.open();
        EXPECT_EQ(spoolFolder.read("points.0"), c.after) << c.before.substr(0, 20);
        spool->append("z 9\n");
        EXPECT_EQ(spoolFolder.read("points.0"), c.after + "z 9\n");
    }
}

TEST(SpoolTest, SentOffsetThatCannotBeOursStartsOver) {
    const std::string points = "a 1\nbb 2\nccc 3\n";  // lines start at 0, 4, 9; 15 bytes
    struct Case {
        std::string sent;
        std::string next;
    };
    for (const Case& c : std::vector<Case>{{"0 4\n", "bb 2\nccc 3\n"},
                                           {"0 9", "ccc 3\n"},
                                           {"0 0\n", points},
                                           {"", points},
                                           {"garbage\n", points},
                                           {"4\n", points},
                                           {"0 4x\n", points},
                                           {"0 -4\n", points},
                                           {"0  4\n", points},
                                           {" 0 4\n", points},
                                           {"0 4 \n", points},
                                           {"0 4\n\n", points},
                                           {"0 99999\n", points},
                                           {"0 18446744073709551616\n", points},
                                           {"18446744073709551616 4\n", points},
                                           {"0 " + std::string(70, '0') + "4\n", points},
                                           {"0 5\n", points},
                                           {"0 14\n", points}}) {
        SpoolFolder spoolFolder;
        spoolFolder.write({{"points.0", points}, {"sent", c.sent}});
        auto spool = spoolFolder.open();
        EXPECT_EQ(spool->next(10).body, c.next) << c.sent;
        EXPECT_EQ(spool->pendingBytes(), c.next.size()) << c.sent;
        // Started over, the offset on disk says so; an offset that stands is left as it was.
        EXPECT_EQ(spoolFolder.read("sent"), c.next == points ? "0 0\n" : c.sent) << c.sent;
    }
}

TEST(SpoolTest, FullAtTheLimitUnlessDroppingTakenPointsMakesRoom) {
    SpoolFolder spoolFolder;
    auto spool = spoolFolder.open(12);
    EXPECT_EQ(spool->append("aaaa 1\n"), Spool::Append::Kept);  // 7
    EXPECT_EQ(spool->append("bbbbbb\n"), Spool::Append::Full);  // 14 > 12
    EXPECT_EQ(spool->append("cc 3\n"), Spool::Append::Kept);    // 12
    EXPECT_EQ(spool->append("d\n"), Spool::Append::Full);
    EXPECT_EQ(spoolFolder.read("points.0"), "aaaa 1\ncc 3\n");
    EXPECT_EQ(spool->pendingPoints(), 2u);

    // 7 bytes taken against 5 pending: dropping them is worth its copy.
    ASSERT_TRUE(spool->commit(spool->next(1).end));
    EXPECT_EQ(spool->append("d\n"), Spool::Append::Kept);
    EXPECT_EQ(spoolFolder.files(), (Files{{"lock", ""}, {"points.1", "cc 3\nd\n"}, {"sent", "1 0\n"}}));

    // 5 bytes taken against 7 pending: not.
    EXPECT_EQ(spool->append("ee 5\n"), Spool::Append::Kept);
    ASSERT_TRUE(spool->commit(spool->next(1).end));
    EXPECT_EQ(spool->append("f\n"), Spool::Append::Full);
    EXPECT_EQ(spoolFolder.files(), (Files{{"lock", ""}, {"points.1", "cc 3\nd\nee 5\n"}, {"sent", "1 5\n"}}));
    EXPECT_EQ(spool->next(10).body, "d\nee 5\n");
}

TEST(SpoolTest, RefusesWhatIsNotOnePoint) {
    SpoolFolder spoolFolder;
    auto spool = spoolFolder.open();
    spool->append("a 1\n");
    for (const std::string& line : {std::string(""), std::string("no end"), std::string("two\nlines\n"),
                                    std::string(64 * 1024, 'x') + "\n"}) {
        EXPECT_EQ(spool->append(line), Spool::Append::Failed) << line.substr(0, 20);
        EXPECT_FALSE(spool->lastError().empty());
    }
    EXPECT_EQ(spoolFolder.read("points.0"), "a 1\n");
    EXPECT_EQ(spool->pendingPoints(), 1u);
}

TEST(SpoolTest, FailedWriteIsCutBackToTheLastWholeLine) {
    SpoolFolder spoolFolder;
    auto spool = spoolFolder.open();
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
    EXPECT_EQ(spoolFolder.read("points.0"), "a 1\n");
    EXPECT_EQ(spool->pendingPoints(), 1u);
    ASSERT_EQ(spool->append("c 3\n"), Spool::Append::Kept);
    EXPECT_EQ(spoolFolder.read("points.0"), "a 1\nc 3\n");
}

TEST(SpoolTest, SecondSpoolOnTheSameFolderIsRefused) {
    SpoolFolder spoolFolder;
    auto first = spoolFolder.open();
    first->append("a 1\n");
    Spool second(spoolFolder.path, kRoomy);
    std::string why;
    EXPECT_FALSE(second.open(why));
    EXPECT_NE(why.find("in use by another calvex-record"), std::string::npos) << why;
    EXPECT_EQ(second.append("b 2\n"), Spool::Append::Failed);
    EXPECT_EQ(spoolFolder.files(), (Files{{"lock", ""}, {"points.0", "a 1\n"}, {"sent", "0 0\n"}}));

    first.reset();
    EXPECT_TRUE(second.open(why)) << why;
    EXPECT_EQ(second.pendingPoints(), 1u);
}

TEST(SpoolTest, PathThatCannotBeTheSpoolIsToldAndLeftAlone) {
    struct Case {
        const char* name;
        std::string path;  // under the test's folder
        std::string told;
    };
    for (const Case& c : std::vector<Case>{
             {"parent missing", "nowhere/spool", "its parent folder must exist"},
             // Also what a spool of the one-file kind, from before the folder, looks like.
             {"a plain file", "points.lp", "is a file, where the spool wants a folder of its own"},
         }) {
        TempFolder folder;
        TempFolder::write(folder.file("points.lp"), "a 1\n");
        Spool spool(folder.file(c.path), kRoomy);
        std::string why;
        EXPECT_FALSE(spool.open(why)) << c.name;
        EXPECT_NE(why.find(c.told), std::string::npos) << why;
        EXPECT_NE(why.find(folder.file(c.path)), std::string::npos) << why;
        EXPECT_FALSE(std::filesystem::exists(folder.file("nowhere"))) << c.name;
        EXPECT_EQ(TempFolder::read(folder.file("points.lp")), "a 1\n") << c.name;
        EXPECT_EQ(spool.append("b 2\n"), Spool::Append::Failed) << c.name;
    }
}

TEST(SpoolTest, OverlongLineIsPassedOverInBoundedMemory) {
    const std::string huge(200 * 1024, 'x');
    struct Case {
        std::string file, body;
        std::size_t points;
    };
    for (const Case& c :
         std::vector<Case>{{"a 1\n" + huge + "\nb 2\n", "a 1\nb 2\n", 2}, {huge + "\n", "", 0}}) {
        SpoolFolder spoolFolder;
        spoolFolder.write({{"points.0", c.file}, {"sent", "0 0\n"}});
        auto spool = spoolFolder.open();
        EXPECT_EQ(spool->pendingPoints(), c.points + 1);
        // An empty batch still moves the spool on past the damage.
        const Spool::Batch batch = spool->next(10);
        EXPECT_EQ(batch.body, c.body);
        EXPECT_EQ(batch.points, c.points);
        EXPECT_EQ(batch.end, c.file.size());
        ASSERT_TRUE(spool->commit(batch.end));
        EXPECT_EQ(spool->pendingPoints(), 0u);
        EXPECT_EQ(spoolFolder.files(), (Files{{"lock", ""}, {"points.1", ""}, {"sent", "1 0\n"}}));
    }
}

TEST(SpoolTest, CommitRefusesAnOffsetInsideAPoint) {
    SpoolFolder spoolFolder;
    auto spool = spoolFolder.open();
    spool->append("a 1\n");
    spool->append("b 2\n");
    EXPECT_FALSE(spool->commit(6));
    EXPECT_FALSE(spool->commit(9));
    EXPECT_EQ(spool->pendingPoints(), 2u);
    EXPECT_EQ(spoolFolder.read("sent"), "0 0\n");
    EXPECT_TRUE(spool->commit(4));
    EXPECT_TRUE(spool->commit(4));  // already taken: nothing to do
    EXPECT_EQ(spoolFolder.read("sent"), "0 4\n");
}

}  // namespace
}  // namespace calvex
