#include "capture_file.h"

#include <gtest/gtest.h>

#include <string>

#include "sim_error.h"

namespace calvex::sim {
namespace {

using std::chrono::microseconds;
using Direction = CaptureChunk::Direction;

std::string error_of(std::string_view text) {
    try {
        CaptureFile::parse(text);
    } catch (const SimError& error) {
        return error.what();
    }
    return "(accepted)";
}

std::string repeated(const std::string& text, std::size_t times) {
    std::string all;
    for (std::size_t i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

TEST(CaptureFile, AcceptsTheLinesCalvexWritesAndTheirLooserSpellings) {
    struct Case {
        std::string line;
        std::optional<CaptureChunk> chunk;
    };
    const Case cases[] = {
        {"12.345678 < 02 00 00 FB 60 00 64 00 03",
         CaptureChunk{microseconds(12'345'678), Direction::Received, {2, 0, 0, 0xFB, 0x60, 0, 0x64, 0, 3}}},
        {"0.000000 > 41", CaptureChunk{microseconds(0), Direction::Sent, {0x41}}},
        {"3 > 55", CaptureChunk{microseconds(3'000'000), Direction::Sent, {0x55}}},
        {"1.5\t<\tfb  0a", CaptureChunk{microseconds(1'500'000), Direction::Received, {0xFB, 0x0A}}},
        {"  999999999.999999 < ff ",
         CaptureChunk{microseconds(999'999'999'999'999), Direction::Received, {0xFF}}},
        {"# calvex capture v1: seconds since start, < received / > sent, hex bytes", std::nullopt},
        {"#", std::nullopt},
        {"", std::nullopt},
        {" \t ", std::nullopt},
        {"1 <" + repeated(" 55", 4096),
         CaptureChunk{microseconds(1'000'000), Direction::Received, std::vector<std::uint8_t>(4096, 0x55)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(CaptureFile::parse_line(c.line), c.chunk);
    }
}

TEST(CaptureFile, RefusesBadLinesNamingTheLine) {
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"1.0 <", "line 1: expected time, direction and bytes"},
        {"# header\n1.0 02", "line 2: expected time, direction and bytes"},
        {"# header\n1.0 02 03", "line 2: bad direction '02' (< or >)"},
        {"1.0 = 02", "line 1: bad direction '=' (< or >)"},
        {"1.0 << 02", "line 1: bad direction '<<' (< or >)"},
        {"x < 02", "line 1: bad time 'x' (seconds like 12.345678)"},
        {"-1 < 02", "line 1: bad time '-1' (seconds like 12.345678)"},
        {"1. < 02", "line 1: bad time '1.' (seconds like 12.345678)"},
        {".5 < 02", "line 1: bad time '.5' (seconds like 12.345678)"},
        {"1.1234567 < 02", "line 1: bad time '1.1234567' (seconds like 12.345678)"},
        {"1234567890 < 02", "line 1: bad time '1234567890' (seconds like 12.345678)"},
        {"1.0.0 < 02", "line 1: bad time '1.0.0' (seconds like 12.345678)"},
        {"1 < 2", "line 1: bad byte '2' (two hex digits)"},
        {"1 < 0x02", "line 1: bad byte '0x02' (two hex digits)"},
        {"1 < 0G", "line 1: bad byte '0G' (two hex digits)"},
        {"1 < 0203", "line 1: bad byte '0203' (two hex digits)"},
        {"2 < 02\r\n1 < 03\n", "line 2: the time goes back"},
        {"1 < " + std::string(CaptureFile::kMaxLineLength, '0'), "line 1: line longer than 16384 characters"},
        {"1 <" + repeated(" 55", 4097), "line 1: more than 4096 bytes on a line"},
        {std::string("1 < 02\n1 < 0\0", 13), "line 2: bad byte '0\0' (two hex digits)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        EXPECT_EQ(error_of(c.text), c.error);
    }
}

TEST(CaptureFile, ReadsAWholeCaptureWithEitherLineEnd) {
    const std::vector<CaptureChunk> chunks = CaptureFile::parse(
        "# calvex capture v1: seconds since start, < received / > sent, hex bytes\n"
        "# 0.000000 open COM1\r\n"
        "0.300000 < 02 00 00 EA 00 00 F5 01 03\r\n"
        "\n"
        "5.000000 > 41\n"
        "5.200000 < 02 8C 80 03");
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].at, microseconds(300'000));
    EXPECT_EQ(chunks[1], (CaptureChunk{microseconds(5'000'000), Direction::Sent, {0x41}}));
    EXPECT_EQ(chunks[2].bytes, (std::vector<std::uint8_t>{2, 0x8C, 0x80, 3}));
    EXPECT_TRUE(CaptureFile::parse("").empty());
}

}  // namespace
}  // namespace calvex::sim
