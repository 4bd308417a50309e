#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "files/fake_lists.h"
#include "files/save_as_dialog.h"
#include "files/save_grid_to_file.h"
#include "session/session.h"
#include "support/temp_folder.h"
#include "support/test_session.h"

namespace calvex {
namespace {

class SaveGridToFileTest : public ::testing::Test {
protected:
    SaveGridToFileTest() : table(6, true) {
        table.setCaption("Data List");
        table.captions.clear();
        t.session.FileChosen = true;
        t.session.DataFileName = folder.file("list.txt");
    }

    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    void expectRefused(const std::string& reason) {
        ASSERT_EQ(t.dialogs.messages.size(), 1u);
        const auto& message = t.dialogs.messages[0];
        EXPECT_EQ(message.text, "The list could not be saved to the file:\n" + t.session.DataFileName +
                                    "\n\n" + reason + "\n\nThe file on disk has not been changed.");
        EXPECT_EQ(message.style, 16);
        // The reason is said once: the box shows no details under the text.
        EXPECT_EQ(message.details, "");
        EXPECT_EQ(table.caption(), "Data List");
        EXPECT_FALSE(t.session.FileChosen);
        EXPECT_EQ(t.dialogs.busyDepth, 0);
    }

    test::TestSession t;
    test::FakeTable table;
    test::TempFolder folder;
};

TEST(SaveAsDialogTest, AChosenFileNameSetsFileChosen) {
    struct Case {
        const char* answer;
        bool chosen;
        const char* fileName;
    };
    const Case cases[] = {
        {"/tmp/run.txt", true, "/tmp/run.txt"},
        {"", false, "/old.txt"},       // cancelled
        {"/tmp/", false, "/old.txt"},  // a folder, no file name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        test::TestSession t;
        t.session.DataFileName = "/old.txt";
        t.session.FileChosen = !c.chosen;
        t.dialogs.saveAnswers.push_back(c.answer);
        SaveAsDialog(t.session);
        EXPECT_EQ(t.session.FileChosen, c.chosen);
        EXPECT_EQ(t.session.DataFileName, c.fileName);
        EXPECT_EQ(t.dialogs.saveDialogs, 1);
    }
}

TEST_F(SaveGridToFileTest, AHeaderOnlyGridMakesAnEmptyFile) {
    table.grid().setCell(0, 0, "No.s");
    ASSERT_TRUE(SaveGridToFile(t.session, table));
    EXPECT_EQ(test::TempFolder::read(t.session.DataFileName), "");
    EXPECT_FALSE(t.session.FileChosen);
    EXPECT_EQ(table.captions, std::vector<std::string>{"Data List"});
}

TEST_F(SaveGridToFileTest, EveryCellOfARowIsFollowedByATabAndEveryLineEndsWithCrLf) {
    test::TempFolder::write(t.session.DataFileName, std::string(5000, 'o'));  // replaced as a whole
    Grid& grid = table.grid();
    grid.addItem("1\t14:05:32\t23.4\t25.1\t-1.7\tC");
    grid.addItem("2\t14:05:34");                           // fewer fields: empty cells
    grid.addItem("3\t14:05:36\tOL\t-OL\t----\tK\textra");  // more fields than columns: not shown, not saved

    ASSERT_TRUE(SaveGridToFile(t.session, table));

    EXPECT_EQ(test::TempFolder::read(t.session.DataFileName),
              "1\t14:05:32\t23.4\t25.1\t-1.7\tC\t\r\n"
              "2\t14:05:34\t\t\t\t\t\r\n"
              "3\t14:05:36\tOL\t-OL\t----\tK\t\r\n");
    // The clock stands still: the later counts come within the pace and are not shown.
    EXPECT_EQ(table.captions, (std::vector<std::string>{"1Records Completed", "Data List"}));
    EXPECT_FALSE(t.session.FileChosen);
    EXPECT_EQ(t.dialogs.busyDepth, 0);
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"list.txt"});
}

TEST_F(SaveGridToFileTest, AWriteFailureLeavesTheOldFileAsItWasAndTellsTheUserWhy) {
    const std::string old = "1\t14:05:32\t23.4\tC\t\r\n";
    test::TempFolder::write(t.session.DataFileName, old);
    for (int i = 1; i <= 2000; ++i)
        table.grid().addItem(std::to_string(i) + "\t14:05:32\t23.4\t25.1\t-1.7\tC");

    // Files of this process may not grow past 4 KiB: the write fails part of the way through.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_ok = SaveGridToFile(t.session, table);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(test::TempFolder::read(t.session.DataFileName), old);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"list.txt"});
    expectRefused("File too large");
}

TEST_F(SaveGridToFileTest, APlaceThatCannotTakeTheFileIsReported) {
    test::TempFolder::write(folder.file("plain"), "");
    std::filesystem::create_directory(folder.file("folder"));
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {{folder.file("plain") + "/list.txt", "Not a directory"},
                          {folder.file("folder"), "Is a directory"}};
    table.grid().addItem("1\t14:05:32\t23.4\t25.1\t-1.7\tC");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        t.dialogs.messages.clear();
        t.session.FileChosen = true;
        t.session.DataFileName = c.path;
        EXPECT_FALSE(SaveGridToFile(t.session, table));
        expectRefused(c.reason);
    }
    EXPECT_EQ(std::filesystem::is_directory(folder.file("folder")), true);
}

TEST_F(SaveGridToFileTest, ALinkedFileIsWrittenThroughTheLinkAndKeepsItsPermissions) {
    const std::string real = folder.file("real.txt");
    test::TempFolder::write(real, "old\r\n");
    std::filesystem::permissions(real,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(real, t.session.DataFileName);
    table.grid().addItem("1\t14:05:32\t23.4\t25.1\t-1.7\tC");

    ASSERT_TRUE(SaveGridToFile(t.session, table));

    EXPECT_TRUE(std::filesystem::is_symlink(t.session.DataFileName));
    EXPECT_EQ(test::TempFolder::read(real), "1\t14:05:32\t23.4\t25.1\t-1.7\tC\t\r\n");
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(SaveGridToFileTest, AReadOnlyFileIsNotReplaced) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the administrator may write any file";
    const std::string old = "kept\r\n";
    test::TempFolder::write(t.session.DataFileName, old);
    chmod(t.session.DataFileName.c_str(), 0444);
    table.grid().addItem("1\t14:05:32\t23.4\t25.1\t-1.7\tC");
    EXPECT_FALSE(SaveGridToFile(t.session, table));
    EXPECT_EQ(test::TempFolder::read(t.session.DataFileName), old);
    expectRefused("Permission denied");
}

}  // namespace
}  // namespace calvex
