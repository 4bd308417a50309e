#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "record/record_run.h"
#include "support/read_file.h"
#include "support/test_session.h"

namespace calvex::test {

// A dual frame in tenths of a degree C, both channels known, type K.
inline std::string dualFrame(int t1, int t2) {
    return std::string{'\x02',
                       '\x00',
                       static_cast<char>(t1 >> 8),
                       static_cast<char>(t1 & 0xFF),
                       '\x00',
                       static_cast<char>(t2 >> 8),
                       static_cast<char>(t2 & 0xFF),
                       '\x00',
                       '\x03'};
}
inline const std::string kFrame("\x02\x00\x00\xFB\x60\x00\x64\x00\x03", 9);        // dual, 25.1 C, T2 "----"
inline const std::string kSingleFrame("\x02\x01\x03\xE8\xFF\x00\x00\x01\x03", 9);  // single, 100.0 F, type J

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The program's loop on a manual clock: the poll timer every 150 ms, the sample timer just after
// each second of the wall clock, and a wake when the poller's wait runs out. While `frame` is set the
// instrument answers every poll with it, through the port's activity as a real line would.
struct RunRig {
    explicit RunRig(std::vector<std::string> extra = {}) {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');  // a parameterised test's name
        path = std::filesystem::temp_directory_path() /
               ("calvex-record-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                name + ".txt");
        std::vector<std::string> arguments{"--output", path.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        options = parseRecordOptions(arguments);
    }
    ~RunRig() { std::filesystem::remove(path); }
    void begin() {
        EXPECT_EQ(options.error, "");
        run = std::make_unique<RecordRun>(t.session, options, nullptr);
        ASSERT_TRUE(run->start());
    }
    void advance(int ms) {
        for (int i = 0; i < ms / 10 && !run->finished(); ++i) {
            t.clock.advanceMs(10);
            elapsed += 10;
            if (elapsed % 150 == 0) {
                run->pollTick();
                if (!frame.empty())
                    t.port.feed(frame);
            } else if (run->msUntilPollDeadline() == 0) {
                run->wake();
            }
            if (t.clock.now().millisecond == 20)
                run->sampleTick();
        }
    }
    // Runs until `lines` more lines are on file.
    void advanceLines(long lines) {
        const long target = run->linesWritten() + lines;
        for (int guard = 0; guard < 1000 && run->linesWritten() < target && !run->finished(); ++guard)
            advance(10);
    }

    test::TestSession t;  // the clock starts at 14:05:30
    RecordOptions options;
    std::unique_ptr<RecordRun> run;
    std::filesystem::path path;
    std::string frame = kFrame;
    long elapsed = 0;
};

}  // namespace calvex::test
