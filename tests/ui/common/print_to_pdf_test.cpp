// Lists printed on the real printer class into a PDF, whose text is read back with pdftotext
// (poppler-utils): the fake printer only sees lines, never the pages the printer draws.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "files/print_list.h"
#include "session/session.h"
#include "support/fake_panel.h"
#include "support/fake_table.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/common/qt_printer.h"

namespace calvex {
namespace {

// A line with its runs of blanks made one: the PDF's text comes back with its own spacing.
std::string words(const std::string& line) {
    std::istringstream in(line);
    std::string word;
    std::string joined;
    while (in >> word)
        joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

// The non-blank lines of each page of a PDF.
std::vector<std::vector<std::string>> pdfPages(const test::TempFolder& folder, const std::string& pdf) {
    const std::string text = folder.file("printed.txt");
    const std::string command = "pdftotext -layout '" + pdf + "' '" + text + "'";
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "pdftotext (poppler-utils) could not read " << pdf;
        return {};
    }
    std::vector<std::vector<std::string>> pages(1);
    std::istringstream in(test::TempFolder::read(text));
    std::string line;
    while (std::getline(in, line)) {
        for (std::size_t ff; (ff = line.find('\f')) != std::string::npos;) {
            if (!words(line.substr(0, ff)).empty())
                pages.back().push_back(words(line.substr(0, ff)));
            pages.emplace_back();
            line.erase(0, ff + 1);
        }
        if (!words(line).empty())
            pages.back().push_back(words(line));
    }
    while (!pages.empty() && pages.back().empty())
        pages.pop_back();
    return pages;
}

TEST(PrintToPdfTest, EveryPrintedLineIsTextOnThePages) {
    struct Case {
        const char* name;
        bool dual;
        int rows;
    };
    const std::vector<Case> cases = {
        {"ten dual records, one page", true, 10},
        {"ten single records, one page", false, 10},
        {"a dual list over several pages", true, 250},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        const std::string pdf = folder.file("list.pdf");
        test::TestSession t;
        QtPrinter printer(pdf);
        Session session(t.port, t.clock, t.dialogs, printer);
        test::FakePanel panel;
        session.panel = &panel;
        test::FakeTable table(c.dual ? 6 : 4, c.dual, "File List");
        std::vector<std::string> expected = {
            c.dual ? "Time T1 T2 T1-T2 Unit" : "Time Value Unit",
            c.dual ? "-------- ------ ------ ------ ---" : "-------- ------ ----",
        };
        for (int i = 1; i <= c.rows; ++i) {
            const std::string n = std::to_string(i);
            table.grid().addItem(c.dual ? n + "\t14:05:32\t23.4\t-OL\t----\tC" : n + "\t14:05:32\t23.4\tC");
            expected.push_back(c.dual ? n + " 14:05:32 23.4 -OL ---- C" : n + " 14:05:32 23.4 C");
        }

        const bool printed = c.dual ? PrintDualList(
                                          session, [&] { return &table; }, [] {})
                                    : PrintSingleList(
                                          session, [&] { return &table; }, [] {});

        ASSERT_TRUE(printed);
        EXPECT_TRUE(t.dialogs.messages.empty());
        const std::vector<std::vector<std::string>> pages = pdfPages(folder, pdf);
        ASSERT_FALSE(pages.empty()) << "the PDF holds no text";
        std::vector<std::string> all;
        for (const auto& page : pages)
            all.insert(all.end(), page.begin(), page.end());
        EXPECT_EQ(all, expected);
        // The lines run on from page to page: every page but the last is full.
        for (std::size_t p = 1; p + 1 < pages.size(); ++p)
            EXPECT_EQ(pages[p].size(), pages[0].size());
        if (c.rows > 100) {
            EXPECT_GT(pages.size(), 1u);
        }
    }
}

}  // namespace
}  // namespace calvex
