#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "files/csv_records.h"
#include "files/data_file_set.h"
#include "platform/civil_date.h"
#include "support/temp_folder.h"
#include "support/test_session.h"

namespace calvex {
namespace {

constexpr std::int64_t kDay = 86400;

std::int64_t at(int year, int month, int day, int hour, int minute, int second) {
    return daysFromCivil(year, month, day) * kDay + hour * 3600 + minute * 60 + second;
}

// Records a second apart from `start` (seconds into the day), as the program writes them.
std::string tabRecords(int count, int start, bool dual, const std::string& t2 = "60.0") {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        const int s = (start + i - 1) % static_cast<int>(kDay);
        char line[96];
        if (dual)
            std::snprintf(line, sizeof line, "%d\t%02d:%02d:%02d\t%d.5\t%s\t-1.0\tC\r\n", i, s / 3600,
                          s / 60 % 60, s % 60, 20 + i, t2.c_str());
        else
            std::snprintf(line, sizeof line, "%d\t%02d:%02d:%02d\t%d.5\tC\r\n", i, s / 3600, s / 60 % 60,
                          s % 60, 20 + i);
        text += line;
    }
    return text;
}

struct SetRig {
    test::TestSession t;
    test::TempFolder folder;

    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = folder.file(name);
        test::TempFolder::write(path, bytes);
        return path;
    }
    std::optional<DataFileSet> read(const std::vector<std::string>& paths) {
        DataFileSet set;
        if (!readDataFileSet(t.session, paths, set))
            return std::nullopt;
        return set;
    }
    std::string lastMessage() const {
        return t.dialogs.messages.empty() ? std::string() : t.dialogs.messages.back().text;
    }
};

TEST(CsvRecords, ARowIsTheTabLineOfTheSameRecord) {
    struct Case {
        std::string row;
        bool dual;
        std::optional<std::string> tabLine;
    };
    const Case cases[] = {
        {"2026-12-10 14:05:32,23.4,C", false, "7\t14:05:32\t23.4\tC"},
        {"2026-12-10 14:05:32,23.4,,-0.5,F", true, "7\t14:05:32\t23.4\t----\t-0.5\tF"},
        {"2026-12-10 00:00:00,OL,-OL,OL,K", true, "7\t00:00:00\tOL\t-OL\tOL\tK"},
        {"\"2026-12-10 14:05:32\",-12,\"C\"", false, "7\t14:05:32\t-12\tC"},
        {"2026-12-10 14:05:32,,C", false, "7\t14:05:32\t----\tC"},
        {"2024-02-29 23:59:59,1.0,C", false, "7\t23:59:59\t1.0\tC"},
        {"2026-02-29 12:00:00,1.0,C", false, std::nullopt},  // no such day
        {"2026-12-10 24:00:00,1.0,C", false, std::nullopt},
        {"2026-12-10 14:05:32,23.4,X", false, std::nullopt},
        {"2026-12-10 14:05:32,----,C", false, std::nullopt},  // the CSV has no value as an empty field
        {"2026-12-10 14:05:32,12345678,C", false, std::nullopt},
        {"2026-12-10 14:05:32,1e3,C", false, std::nullopt},
        {"2026-12-10 14:05:32,23.4,C", true, std::nullopt},  // a single-input row in a dual file
        {"2026-12-10 14:05:32,\"23.4,C", false, std::nullopt},
        {"2026-12-10T14:05:32,23.4,C", false, std::nullopt},
        {"", false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const auto record = csvRecord(c.row, c.dual, 7);
        ASSERT_EQ(record.has_value(), c.tabLine.has_value());
        if (record) {
            EXPECT_EQ(record->tabLine, *c.tabLine);
        }
    }
    EXPECT_EQ(csvHeaderModel("time,t1,unit"), false);
    EXPECT_EQ(csvHeaderModel("time,t1,t2,t1_t2,unit"), true);
    EXPECT_EQ(csvHeaderModel("time,t1"), std::nullopt);
}

TEST(DataFileSet, TheDateInAFileNameIsFound) {
    const std::pair<std::string, std::optional<std::int64_t>> cases[] = {
        {"/data/oven-2026-12-10.txt", daysFromCivil(2026, 12, 10)},
        {"oven_20261210.txt", daysFromCivil(2026, 12, 10)},
        {"20261210-1430.txt", daysFromCivil(2026, 12, 10)},
        {"rec-20261210143000.txt", daysFromCivil(2026, 12, 10)},
        {"/2026-12-10/oven.txt", std::nullopt},  // the folder's name is not the file's
        {"oven-2026-13-10.txt", std::nullopt},
        {"oven-202612100.txt", std::nullopt},
        {"lab.txt", std::nullopt},
        {"12345678.txt", std::nullopt},
    };
    for (const auto& [name, days] : cases) {
        SCOPED_TRACE(name);
        std::int64_t found = 0;
        EXPECT_EQ(dateInFileName(name, found), days.has_value());
        if (days) {
            EXPECT_EQ(found, *days);
        }
    }
}

TEST(DataFileSet, ACsvIsReadAsTheTabFileOfTheSameRecords) {
    SetRig rig;
    const std::string tab = rig.write("oven.txt",
                                      "1\t23:59:58\t20.5\t----\t1.0\tC\r\n"
                                      "2\t23:59:59\tOL\t60.0\t-OL\tC\r\n"
                                      "3\t00:00:00\t20.7\t60.1\t1.2\tC\r\n");
    const std::string csv = rig.write("oven.csv",
                                      "time,t1,t2,t1_t2,unit\r\n"
                                      "2026-12-10 23:59:58,20.5,,1.0,C\r\n"
                                      "2026-12-10 23:59:59,OL,60.0,-OL,C\r\n"
                                      "2026-12-11 00:00:00,20.7,60.1,1.2,C\r\n");
    const auto fromTab = rig.read({tab});
    const auto fromCsv = rig.read({csv});
    ASSERT_TRUE(fromTab && fromCsv) << rig.lastMessage();
    EXPECT_TRUE(fromTab->dual && fromCsv->dual);
    ASSERT_EQ(fromCsv->files.size(), 1u);
    EXPECT_EQ(fromCsv->files[0].rows, fromTab->files[0].rows);
    EXPECT_TRUE(fromCsv->files[0].dated);
    EXPECT_FALSE(fromTab->files[0].dated);
    EXPECT_EQ(fromCsv->files[0].seconds,
              (std::vector<std::int64_t>{at(2026, 12, 10, 23, 59, 58), at(2026, 12, 10, 23, 59, 59),
                                         at(2026, 12, 11, 0, 0, 0)}));
    // The TAB file's clock passes midnight into the next day.
    EXPECT_EQ(fromTab->files[0].seconds, (std::vector<std::int64_t>{kDay - 2, kDay - 1, kDay}));
    EXPECT_TRUE(rig.t.dialogs.messages.empty());
}

TEST(DataFileSet, FilesComeInTheOrderOfTheirTimes) {
    SetRig rig;
    // A week's daily files given last day first, and a CSV of the day before them.
    std::vector<std::string> paths;
    for (int day = 16; day >= 10; --day)
        paths.push_back(rig.write("oven-2026-12-" + std::to_string(day) + ".txt", tabRecords(3, 0, true)));
    paths.push_back(
        rig.write("early.csv", "time,t1,t2,t1_t2,unit\r\n2026-12-09 12:00:00,1.0,2.0,-1.0,C\r\n"));
    const auto set = rig.read(paths);
    ASSERT_TRUE(set) << rig.lastMessage();
    EXPECT_TRUE(set->dated);
    ASSERT_EQ(set->files.size(), 8u);
    EXPECT_EQ(set->files[0].path, paths.back());
    EXPECT_EQ(set->files[0].seconds.front(), at(2026, 12, 9, 12, 0, 0));
    for (int day = 10; day <= 16; ++day) {
        const TimedFile& file = set->files[static_cast<std::size_t>(day - 9)];
        EXPECT_EQ(file.path, rig.folder.file("oven-2026-12-" + std::to_string(day) + ".txt"));
        EXPECT_EQ(file.seconds,
                  (std::vector<std::int64_t>{at(2026, 12, day, 0, 0, 0), at(2026, 12, day, 0, 0, 1),
                                             at(2026, 12, day, 0, 0, 2)}));
    }
}

TEST(DataFileSet, UndatedFilesKeepTheirOrderAndFollowOneAnother) {
    SetRig rig;
    const std::string evening = rig.write("b.txt", tabRecords(2, 79200, false));  // 22:00:00
    const std::string morning = rig.write("a.txt", tabRecords(2, 28800, false));  // 08:00:00
    const std::string night = rig.write("c.txt", tabRecords(2, 82800, false));    // 23:00:00
    const auto set = rig.read({evening, morning, night});
    ASSERT_TRUE(set) << rig.lastMessage();
    EXPECT_FALSE(set->dated);
    ASSERT_EQ(set->files.size(), 3u);
    EXPECT_EQ(set->files[0].path, evening);
    EXPECT_EQ(set->files[0].seconds, (std::vector<std::int64_t>{79200, 79201}));
    // 08:00 after 22:00 is the next morning; 23:00 after that is the same day.
    EXPECT_EQ(set->files[1].path, morning);
    EXPECT_EQ(set->files[1].seconds, (std::vector<std::int64_t>{kDay + 28800, kDay + 28801}));
    EXPECT_EQ(set->files[2].path, night);
    EXPECT_EQ(set->files[2].seconds, (std::vector<std::int64_t>{kDay + 82800, kDay + 82801}));
}

TEST(DataFileSet, AFileThatCannotJoinTheOthersIsRefusedByName) {
    SetRig rig;
    const std::string dual = rig.write("dual.txt", tabRecords(3, 0, true));
    const std::string single = rig.write("single.txt", tabRecords(3, 0, false));
    const std::string singleCsv = rig.write("single.csv", "time,t1,unit\r\n2026-12-10 12:00:00,1.0,C\r\n");
    const std::string text = rig.write("notes.txt", "Oven test, Tuesday\nall fine\n");
    const std::string badRow =
        rig.write("bad.csv", "time,t1,unit\r\n2026-12-10 12:00:00,1.0,C\r\nhello,1,C\r\n");
    const std::string header = rig.write("header.csv", "time,t1,t2,t1_t2,unit\r\n");
    struct Case {
        std::vector<std::string> paths;
        std::string message;
    };
    const Case cases[] = {
        {{dual, single},
         "The file cannot be drawn with the first one:\n" + single + "\n\nIt holds single-input records, " +
             dual + " dual-input ones."},
        {{single, dual},
         "The file cannot be drawn with the first one:\n" + dual + "\n\nIt holds dual-input records, " +
             single + " single-input ones."},
        {{dual, singleCsv},
         "The file cannot be drawn with the first one:\n" + singleCsv +
             "\n\nIt holds single-input records, " + dual + " dual-input ones."},
        {{dual, text},
         "The file is not a data file:\n" + text +
             "\n\nNone of its lines is a record of the program's data files."},
        {{badRow},
         "The file is not a data file:\n" + badRow + "\n\nLine 3 is not a row of calvex-record's CSV."},
        {{header}, "The file is not a data file:\n" + header + "\n\nIt holds no rows under its CSV header."},
        {{dual, rig.folder.file("missing.txt")},
         "The file could not be opened:\n" + rig.folder.file("missing.txt") +
             "\n\nNo such file or directory"},
        {{dual, rig.folder.path().string()},
         "The file could not be opened:\n" + rig.folder.path().string() +
             "\n\nIt is a folder, not a data file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        rig.t.dialogs.messages.clear();
        EXPECT_FALSE(rig.read(c.paths));
        ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
        EXPECT_EQ(rig.t.dialogs.messages[0].text.rfind(c.message, 0), 0u) << rig.t.dialogs.messages[0].text;
    }
}

TEST(DataFileSet, TheFilesTogetherStayWithinOneFilesRecords) {
    SetRig rig;
    const std::string a = rig.write("a.txt", tabRecords(3, 0, false));
    const std::string b = rig.write("b.txt", tabRecords(3, 10, false));
    DataFileSet set;
    DataFileLimits limits;
    limits.records = 5;
    EXPECT_FALSE(readDataFileSet(rig.t.session, {a, b}, set, limits));
    ASSERT_EQ(rig.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.t.dialogs.messages[0].text,
              "The files are too large to draw together:\n" + b +
                  "\n\nThey hold more than 5 records together; a picture takes at "
                  "most that many.");
}

}  // namespace
}  // namespace calvex
