#include <gtest/gtest.h>

#include <vector>

#include "files/data_file_reader.h"
#include "files/fake_lists.h"
#include "files/temp_folder.h"
#include "support/test_session.h"

namespace calvex {
namespace {

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
    EXPECT_EQ(
        lists.table(ListKind::File, true)->captions,
        (std::vector<std::string>{"run 7.txt", "1 Records Completed", "2 Records Completed", "run 7.txt"}));
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
    EXPECT_EQ(t.dialogs.messages[0].details, "No such file or directory");
    EXPECT_EQ(rowsOf(true).size(), 1u);
}

TEST_F(DataFileReaderTest, AReadErrorIsReportedWithTheSystemsReason) {
    // A folder opens like a file here but cannot be read.
    EXPECT_FALSE(OpenDataFile(t.session, folder.path().string()));
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].details, "Is a directory");
    EXPECT_NE(t.dialogs.messages[0].text.find(folder.path().string()), std::string::npos);
    EXPECT_TRUE(lists.open.empty());
}

}  // namespace
}  // namespace calvex
