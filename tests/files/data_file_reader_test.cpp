#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <thread>
#include <vector>

#include "files/data_file_reader.h"
#include "files/fake_lists.h"
#include "platform/headless_services.h"
#include "platform/settings.h"
#include "support/temp_folder.h"
#include "support/test_session.h"

namespace calvex {
namespace {

// What a message box shows: its text, then its details under it; and how often `part` stands there.
std::size_t timesShown(const test::ScriptedDialogs::Message& message, const std::string& part) {
    const std::string shown =
        message.details.empty() ? message.text : message.text + "\n\n" + message.details;
    std::size_t count = 0;
    for (std::size_t at = shown.find(part); at != std::string::npos; at = shown.find(part, at + part.size()))
        ++count;
    return count;
}

class DataFileReaderTest : public ::testing::Test {
protected:
    DataFileReaderTest() { t.session.lists = &lists; }

    // The rows of the file list that shows the file (empty when none does).
    std::vector<std::string> rowsOf(bool dual) {
        std::vector<std::string> rows;
        if (test::FakeTable* table = lists.table(ListKind::File, dual))
            for (int r = 1; r < table->grid().rows(); ++r)
                rows.push_back(table->grid().rowText(r));
        return rows;
    }

    test::TestSession t;
    test::FakeLists lists;
    test::TempFolder folder;
};

TEST_F(DataFileReaderTest, EachLineBecomesOneRowOfTheWindowTheFirstLinePicks) {
    struct Case {
        const char* name;
        std::string bytes;
        bool dual;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"dual recording, CR LF",
         "1\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n2\t14:05:34\t23.5\t25.0\t-1.5\tC\r\n",
         true,
         {"1\t14:05:32\t23.4\t25.1\t-1.7\tC", "2\t14:05:34\t23.5\t25.0\t-1.5\tC"}},
        {"single recording, LF",
         "1\t14:05:32\t23.4\tC\n2\t14:05:34\t OL\tC\n",
         false,
         {"1\t14:05:32\t23.4\tC", "2\t14:05:34\t OL\tC"}},
        {"single list file, trailing TABs", "1\t14:05:32\t23.4\tC\t\r\n", false, {"1\t14:05:32\t23.4\tC\t"}},
        {"dual list file, trailing TABs",
         "1\t14:05:32\t----\t----\t----\tF\t\r\n",
         true,
         {"1\t14:05:32\t----\t----\t----\tF\t"}},
        {"first line of 20 characters", "1\t14:05:32\t-1234.5\tC\r\n", false, {"1\t14:05:32\t-1234.5\tC"}},
        {"first line of 21 characters", "1\t14:05:32\t-12345.6\tC\r\n", true, {"1\t14:05:32\t-12345.6\tC"}},
        {"a decimal comma stays in its row", "1\t14:05:32\t23,4\tC\r\n", false, {"1\t14:05:32\t23,4\tC"}},
        {"no line end at the end",
         "1\t14:05:32\t23.4\tC\r\n2\t14:05:34\t23.5\tC",
         false,
         {"1\t14:05:32\t23.4\tC", "2\t14:05:34\t23.5\tC"}},
        {"a lone CR ends a line",
         "1\t14:05:32\t23.4\tC\r2\t14:05:34\t23.5\tC\r",
         false,
         {"1\t14:05:32\t23.4\tC", "2\t14:05:34\t23.5\tC"}},
        {"an empty line in the middle", "a\r\n\r\nb\n", false, {"a", "", "b"}},
        {"NUL bytes kept", std::string("1\t\0\0\tC\r\n", 8), false, {std::string("1\t\0\0\tC", 6)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lists.open.clear();
        const std::string path = folder.file("data.txt");
        test::TempFolder::write(path, c.bytes);
        EXPECT_TRUE(OpenDataFile(t.session, path));
        EXPECT_EQ(rowsOf(c.dual), c.rows);
        EXPECT_EQ(lists.window(ListKind::File, !c.dual), nullptr);
    }
    EXPECT_TRUE(t.dialogs.messages.empty());
}

TEST_F(DataFileReaderTest, ClosesBothFileListsThenCountsInTheCaptionAndEndsWithTheFileTitle) {
    const std::string path = folder.file("run 7.txt");
    test::TempFolder::write(path, "1\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n2\t14:05:34\t23.5\t25.0\t-1.5\tC\r\n");
    lists.show(ListKind::File, false);
    lists.events.clear();

    ASSERT_TRUE(OpenDataFile(t.session, path));

    EXPECT_EQ(lists.events, (std::vector<std::string>{"unload File 1", "unload File 2", "show File 2"}));
    // The clock stands still: the second count comes within the pace and is not shown.
    EXPECT_EQ(lists.table(ListKind::File, true)->captions,
              (std::vector<std::string>{"run 7.txt", "1 Records Completed", "run 7.txt"}));
}

// A clock that a fixed step passes on every reading: one reading for each record read.
class SteppingClock : public test::ManualClock {
public:
    explicit SteppingClock(int stepMs) : m_stepMs(stepMs) {}
    std::int64_t monotonicMs() const override {
        m_passed += m_stepMs;
        return ManualClock::monotonicMs() + m_passed;
    }

private:
    int m_stepMs;
    mutable std::int64_t m_passed = 0;
};

TEST_F(DataFileReaderTest, TheCountIsShownAtMostEvery50MsAndTheCaptionEndsWithTheFileTitle) {
    struct Case {
        int stepMs;  // between two records
        std::vector<std::string> captions;
    };
    const std::vector<Case> cases = {
        {0, {"week.txt", "1 Records Completed", "week.txt"}},
        {20, {"week.txt", "1 Records Completed", "4 Records Completed", "7 Records Completed", "week.txt"}},
        {49,
         {"week.txt", "1 Records Completed", "3 Records Completed", "5 Records Completed",
          "7 Records Completed", "week.txt"}},
        {50,
         {"week.txt", "1 Records Completed", "2 Records Completed", "3 Records Completed",
          "4 Records Completed", "5 Records Completed", "6 Records Completed", "7 Records Completed",
          "week.txt"}},
    };
    std::string bytes;
    for (int i = 1; i <= 7; ++i)
        bytes += std::to_string(i) + "\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n";
    const std::string path = folder.file("week.txt");
    test::TempFolder::write(path, bytes);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stepMs);
        SteppingClock clock(c.stepMs);
        Session session(t.port, clock, t.dialogs, t.printer);
        test::FakeLists stepping;
        session.lists = &stepping;
        ASSERT_TRUE(OpenDataFile(session, path));
        EXPECT_EQ(stepping.table(ListKind::File, true)->captions, c.captions);
        EXPECT_EQ(stepping.table(ListKind::File, true)->grid().rows(), 8);
    }
}

TEST_F(DataFileReaderTest, ALineEndSplitAcrossReadsIsOneLineEnd) {
    // The reader takes the file in pieces of 64 KiB: the CR is the last byte of the first piece.
    const std::string first(65535, 'x');
    const std::string path = folder.file("long.txt");
    test::TempFolder::write(path, first + "\r\n" + "1\t2\r\n");
    ASSERT_TRUE(OpenDataFile(t.session, path));
    EXPECT_EQ(rowsOf(true), (std::vector<std::string>{first, "1\t2"}));
}

TEST_F(DataFileReaderTest, BinaryJunkWithoutLineEndsIsOneRowOfAllItsBytes) {
    std::string junk;
    for (int round = 0; round < 1000; ++round)
        for (int byte = 0; byte < 256; ++byte)
            if (byte != '\r' && byte != '\n')
                junk.push_back(static_cast<char>(byte));
    const std::string path = folder.file("junk.bin");
    test::TempFolder::write(path, junk);
    ASSERT_TRUE(OpenDataFile(t.session, path));
    EXPECT_EQ(rowsOf(true), std::vector<std::string>{junk});
}

TEST_F(DataFileReaderTest, AnEmptyFileShowsNoWindowAndTellsTheUser) {
    const std::string path = folder.file("empty.txt");
    test::TempFolder::write(path, "");
    EXPECT_FALSE(OpenDataFile(t.session, path));
    EXPECT_TRUE(lists.open.empty());
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text, "The file holds no records:\n" + path);
    EXPECT_EQ(t.dialogs.messages[0].style, 64);
}

TEST_F(DataFileReaderTest, AFileThatCannotBeOpenedIsReportedAndTheShownListStays) {
    lists.show(ListKind::File, true)->grid().addItem("1\t14:05:32\t23.4\t25.1\t-1.7\tC");
    const std::string path = folder.file("missing.txt");

    EXPECT_FALSE(OpenDataFile(t.session, path));

    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text,
              "The file could not be opened:\n" + path + "\n\nNo such file or directory");
    EXPECT_EQ(t.dialogs.messages[0].style, 16);
    EXPECT_EQ(timesShown(t.dialogs.messages[0], "No such file or directory"), 1u);
    EXPECT_EQ(rowsOf(true).size(), 1u);
}

// What is not a regular file is refused before the shown list closes; a pipe is never opened, so
// it cannot hold the program waiting for a writer.
TEST_F(DataFileReaderTest, OnlyARegularFileIsOpenedAndTheShownListStays) {
    const std::string fifo = folder.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {folder.path().string(), "It is a folder, not a data file."},
        {fifo, "It is a pipe (FIFO), not a data file."},
        {"/dev/null", "It is a device, not a data file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        lists.open.clear();
        lists.show(ListKind::File, true)->grid().addItem("1\t14:05:32\t23.4\t25.1\t-1.7\tC");
        lists.events.clear();
        t.dialogs.messages.clear();
        // A writer that a reader opening the pipe would let through at once.
        std::thread writer([&] {
            if (c.path == fifo)
                ::close(::open(fifo.c_str(), O_WRONLY));
        });

        EXPECT_FALSE(OpenDataFile(t.session, c.path));

        const int release = c.path == fifo ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
        writer.join();
        if (release >= 0)
            ::close(release);
        ASSERT_EQ(t.dialogs.messages.size(), 1u);
        EXPECT_EQ(t.dialogs.messages[0].text, "The file could not be opened:\n" + c.path + "\n\n" + c.reason);
        EXPECT_EQ(t.dialogs.messages[0].style, 16);
        EXPECT_EQ(timesShown(t.dialogs.messages[0], c.reason), 1u);
        EXPECT_TRUE(lists.events.empty());
        EXPECT_EQ(rowsOf(true).size(), 1u);
    }
}

TEST_F(DataFileReaderTest, AFileOverTheByteLimitIsRefusedBeforeTheShownListCloses) {
    lists.show(ListKind::File, false)->grid().addItem("1\t14:05:32\t23.4\tC");
    lists.events.clear();
    // Sparse: no disk is used, and nothing of it is read.
    const std::uint64_t bytes = DataFileLimits{}.bytes + 1;
    const std::string path = folder.file("huge.txt");
    test::TempFolder::write(path, "");
    std::filesystem::resize_file(path, bytes);

    EXPECT_FALSE(OpenDataFile(t.session, path));

    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text,
              "The file is too large to open:\n" + path + "\n\nIt holds " + std::to_string(bytes) +
                  " bytes; the program opens data files of at most 268435456 bytes.");
    EXPECT_EQ(t.dialogs.messages[0].style, 16);
    EXPECT_TRUE(lists.events.empty());
    EXPECT_EQ(rowsOf(false).size(), 1u);
}

TEST_F(DataFileReaderTest, MoreRecordsThanTheLimitLeaveNoWindow) {
    struct Case {
        const char* bytes;
        bool opened;
    };
    const std::vector<Case> cases = {
        {"a\nb\nc\n", true},
        {"a\nb\nc", true},
        {"a\nb\nc\nd", false},
        {"\n\n\n\n\n\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        lists.open.clear();
        t.dialogs.messages.clear();
        const std::string path = folder.file("rows.txt");
        test::TempFolder::write(path, c.bytes);

        EXPECT_EQ(OpenDataFile(t.session, path, DataFileLimits{1000, 3}), c.opened);

        if (c.opened) {
            EXPECT_EQ(rowsOf(false).size(), 3u);
            EXPECT_TRUE(t.dialogs.messages.empty());
            continue;
        }
        EXPECT_TRUE(lists.open.empty());
        ASSERT_EQ(t.dialogs.messages.size(), 1u);
        EXPECT_EQ(t.dialogs.messages[0].text,
                  "The file is too large to open:\n" + path +
                      "\n\nIt holds more than 3 records; a file list holds at most "
                      "that many.");
    }
}

// Lists whose grid is watched while the file is read: `onRow` runs with the last row of each block
// of rows the list is told of.
class WatchedLists : public test::FakeLists, public GridObserver {
public:
    TableWindow* show(ListKind kind, bool dual) override {
        TableWindow* window = FakeLists::show(kind, dual);
        window->grid().setObserver(this);
        return window;
    }
    void rowsAppended(int, int last) override {
        if (onRow)
            onRow(last);
    }
    void gridReset() override {}
    void cellChanged(int, int) override {}
    void columnWidthChanged(int) override {}
    void topRowChanged(int) override {}
    void currentCellChanged(int, int) override {}

    std::function<void(int)> onRow;
};

TEST_F(DataFileReaderTest, RunningOutOfMemoryEndsInAMessageAndNoWindow) {
    WatchedLists watched;
    t.session.lists = &watched;
    // The list hears of the later rows in one block, which runs out of memory.
    watched.onRow = [](int row) {
        if (row >= 2)
            throw std::bad_alloc();
    };
    const std::string path = folder.file("data.txt");
    test::TempFolder::write(path, "1\t14:05:32\t23.4\tC\r\n2\t14:05:34\t23.5\tC\r\n3\t14:05:36\t23.6\tC\r\n");

    EXPECT_FALSE(OpenDataFile(t.session, path));

    EXPECT_TRUE(watched.open.empty());
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text, "The file is too large to open:\n" + path +
                                              "\n\nThe program ran out of memory while it read the file.");
    EXPECT_EQ(t.dialogs.messages[0].style, 16);
}

// The file is changed under the reader as soon as the first row is in; the reader takes the file in
// pieces of 64 KiB, so the change is met on the next piece or at the end.
TEST_F(DataFileReaderTest, AFileThatShrinksOrIsReplacedWhileItIsReadIsReportedWithoutItsTornLine) {
    const std::string line = "1\t14:05:32\t23.4\t25.1\t-1.7\tC    padding\r\n";  // 40 bytes
    ASSERT_EQ(line.size(), 40u);
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += line;
    const std::string path = folder.file("changing.txt");
    const std::string other = folder.file("other.txt");
    const std::string kept = "\n\nThe list shows the records read before the error.";
    struct Case {
        const char* name;
        std::function<void()> change;
        std::size_t rows;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"cut short", [&] { std::filesystem::resize_file(path, 1000); }, 65536 / 40,
         "The file became shorter while it was read: 65536 of its 80000 bytes were read."},
        {"cut back after the last piece", [&] { std::filesystem::resize_file(path, 70000); }, 70000 / 40,
         "The file became shorter while it was read: 70000 of its 80000 bytes were read."},
        {"replaced",
         [&] {
             test::TempFolder::write(other, bytes + line);
             std::filesystem::rename(other, path);
         },
         2000, "The file changed while it was read."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WatchedLists watched;
        t.session.lists = &watched;
        t.dialogs.messages.clear();
        test::TempFolder::write(path, bytes);
        watched.onRow = [&](int row) {
            if (row == 1)
                c.change();
        };

        EXPECT_FALSE(OpenDataFile(t.session, path));

        test::FakeTable* table = watched.table(ListKind::File, true);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->grid().rows() - 1, static_cast<int>(c.rows));
        EXPECT_EQ(table->grid().rowText(table->grid().rows() - 1), line.substr(0, 38));
        ASSERT_EQ(t.dialogs.messages.size(), 1u);
        EXPECT_EQ(t.dialogs.messages[0].text,
                  "The file could not be read to its end:\n" + path + "\n\n" + c.reason + kept);
        EXPECT_EQ(t.dialogs.messages[0].style, 16);
        EXPECT_EQ(timesShown(t.dialogs.messages[0], c.reason), 1u);
    }
}

// A recording goes on writing the file while it is opened: the lines it had when the reading began
// are shown, without the one the recorder was in the middle of, and the user is told.
TEST_F(DataFileReaderTest, AFileThatGrowsWhileItIsReadShowsTheWholeLinesItHadAndSaysSo) {
    const std::string line = "1\t14:05:32\t23.4\t25.1\t-1.7\tC    padding\r\n";  // 40 bytes
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += line;
    const std::string path = folder.file("growing.txt");
    struct Case {
        const char* name;
        std::string atStart;  // after the 2000 whole lines
        std::string added;    // by the recorder while the file is read
        int rows;
    };
    const Case cases[] = {
        {"a line added", "", line, 2000},
        {"a torn line finished and more added", line.substr(0, 17), line.substr(17) + line + line, 2000},
        // A CR ends a line: the LF after it adds nothing.
        {"a line end split", line.substr(0, 39), "\n", 2001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WatchedLists watched;
        t.session.lists = &watched;
        t.dialogs.messages.clear();
        test::TempFolder::write(path, bytes + c.atStart);
        watched.onRow = [&](int row) {
            if (row == 1)
                std::ofstream(path, std::ios::binary | std::ios::app) << c.added;
        };

        EXPECT_TRUE(OpenDataFile(t.session, path));

        test::FakeTable* table = watched.table(ListKind::File, true);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->grid().rows() - 1, c.rows);
        EXPECT_EQ(table->grid().rowText(table->grid().rows() - 1), line.substr(0, 38));
        ASSERT_EQ(t.dialogs.messages.size(), 1u);
        EXPECT_EQ(t.dialogs.messages[0].text, "The file was being written while it was read:\n" + path +
                                                  "\n\nThe " + std::to_string(c.rows) +
                                                  " whole records it held when the reading began are shown.");
        EXPECT_EQ(t.dialogs.messages[0].style, 64);
    }
}

// What a program without a display says for each way a file is not shown whole: one line each,
// its reason in it once.
TEST_F(DataFileReaderTest, EveryFileMessageGivesItsReasonOnceOnStandardError) {
    const std::string line = "1\t14:05:32\t23.4\t25.1\t-1.7\tC    padding\r\n";  // 40 bytes
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += line;
    const std::string path = folder.file("data.txt");
    const std::string other = folder.file("other.txt");
    const std::string kept = " The list shows the records read before the error.";
    struct Case {
        const char* name;
        std::string path;
        DataFileLimits limits;
        std::function<void()> whileRead;  // after the first row is in
        std::string said;
    };
    const Case cases[] = {
        {"missing",
         folder.file("missing.txt"),
         {},
         nullptr,
         "The file could not be opened: " + folder.file("missing.txt") + ": No such file or directory"},
        {"a folder",
         folder.path().string(),
         {},
         nullptr,
         "The file could not be opened: " + folder.path().string() + ": It is a folder, not a data file."},
        {"too many bytes",
         path,
         {1000, 10},
         nullptr,
         "The file is too large to open: " + path +
             ": It holds 80000 bytes; the program opens data files of at most 1000 bytes."},
        {"too many records",
         path,
         {1u << 20, 10},
         nullptr,
         "The file is too large to open: " + path +
             ": It holds more than 10 records; a file list holds at most that many."},
        {"cut short",
         path,
         {},
         [&] { std::filesystem::resize_file(path, 1000); },
         "The file could not be read to its end: " + path +
             ": The file became shorter while it was read: 65536 of its 80000 bytes were read." + kept},
        {"replaced",
         path,
         {},
         [&] {
             test::TempFolder::write(other, bytes);
             std::filesystem::rename(other, path);
         },
         "The file could not be read to its end: " + path + ": The file changed while it was read." + kept},
        {"growing",
         path,
         {},
         [&] { std::ofstream(path, std::ios::binary | std::ios::app) << line; },
         "The file was being written while it was read: " + path +
             ": The 2000 whole records it held when the reading began are shown."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder::write(path, bytes);
        std::FILE* captured = std::tmpfile();
        ASSERT_NE(captured, nullptr);
        StderrDialogs dialogs("calvex-plot", captured);
        Session session(t.port, t.clock, dialogs, t.printer);
        WatchedLists watched;
        session.lists = &watched;
        bool changed = false;
        watched.onRow = [&](int) {
            if (c.whileRead && !changed) {
                changed = true;
                c.whileRead();
            }
        };

        OpenDataFile(session, c.path, c.limits);

        std::rewind(captured);
        std::string said;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, captured)) > 0;)
            said.append(buffer, n);
        std::fclose(captured);
        EXPECT_EQ(said, "calvex-plot: " + c.said + "\n");
    }
}

}  // namespace
}  // namespace calvex

namespace calvex {
namespace {

// The files named on the command line: the first usable one shows, every usable one is a recent
// file in the order given, and each that cannot be opened is reported by name.
TEST_F(DataFileReaderTest, FilesGivenOnTheCommandLineShowTheFirstAndKeepTheOthersInRecentFiles) {
    Settings settings(QString::fromStdString(folder.file("calvex.conf")));
    t.session.settings = &settings;
    const std::string monday = folder.file("monday.txt");
    const std::string tuesday = folder.file("tuesday.txt");
    const std::string single = folder.file("single.txt");
    test::TempFolder::write(monday, "1\t14:05:32\t23.4\t25.1\t-1.7\tC\r\n");
    test::TempFolder::write(tuesday, "1\t09:00:00\t21.0\t20.0\t1.0\tC\r\n");
    test::TempFolder::write(single, "1\t14:05:32\t23.4\tC\r\n");
    const std::string missing = folder.file("missing.txt");
    const std::string directory = folder.path().string();

    struct Case {
        std::vector<std::string> given;
        std::vector<std::string> dualRows;
        std::vector<std::string> singleRows;
        std::vector<std::string> recent;
        std::vector<std::string> refusals;  // the messages, in order
        bool toldOfOthers;
    };
    const std::vector<Case> cases = {
        {{monday}, {"1\t14:05:32\t23.4\t25.1\t-1.7\tC"}, {}, {monday}, {}, false},
        {{monday, tuesday}, {"1\t14:05:32\t23.4\t25.1\t-1.7\tC"}, {}, {monday, tuesday}, {}, true},
        {{single, tuesday}, {}, {"1\t14:05:32\t23.4\tC"}, {single, tuesday}, {}, true},
        {{missing, tuesday},
         {"1\t09:00:00\t21.0\t20.0\t1.0\tC"},
         {},
         {tuesday},
         {"The file could not be opened:\n" + missing + "\n\nNo such file or directory"},
         false},
        {{directory, missing},
         {},
         {},
         {},
         {"The file could not be opened:\n" + directory + "\n\nIt is a folder, not a data file.",
          "The file could not be opened:\n" + missing + "\n\nNo such file or directory"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given.front() + " and " + std::to_string(c.given.size() - 1) + " more");
        for (const std::string& path : settings.recentFiles())
            settings.removeRecentFile(path);
        lists.unload(ListKind::File, true);
        lists.unload(ListKind::File, false);
        t.dialogs.messages.clear();
        const int noticesBefore = t.dialogs.notices;

        OpenGivenFiles(t.session, c.given);

        EXPECT_EQ(rowsOf(true), c.dualRows);
        EXPECT_EQ(rowsOf(false), c.singleRows);
        EXPECT_EQ(settings.recentFiles(), c.recent);
        std::vector<std::string> refusals;
        std::string notice;
        for (const auto& m : t.dialogs.messages) {
            if (m.style == 64)
                notice = m.text;
            else
                refusals.push_back(m.text);
        }
        EXPECT_EQ(refusals, c.refusals);
        EXPECT_EQ(t.dialogs.notices - noticesBefore, c.toldOfOthers ? 1 : 0);
        if (c.toldOfOthers) {
            EXPECT_EQ(notice, "The file list shows one file at a time:\n" + c.given[0] +
                                  "\n\nThe other files given are in Recent Files (Ctrl+Shift+O):\n" +
                                  c.given[1]);
        }
    }
}

}  // namespace
}  // namespace calvex
