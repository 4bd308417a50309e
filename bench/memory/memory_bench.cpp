// The full memory (pointer 0xFFFF, 29,569 bytes) at the speed of the line: how long the download
// takes against what the line and the fixed Delays allow, and how fast a full image is listed
// and decoded.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "instrument/instrument_state.h"
#include "memory/memory_download.h"
#include "memory/memory_image.h"
#include "memory/record_row.h"
#include "support/test_session.h"

namespace calvex {
namespace {

constexpr int kFullBytes = 0xFFFF - kMemoryBase;  // 29569
constexpr double kLineBytesPerSecond = 960.0;

// Four dual sets that fill the memory to its top: 2 + 4 x 5 + 4221 x 7 = 29569 bytes.
std::string fullMemory() {
    std::string data(1, '\x00');
    const int records[4] = {1000, 1000, 1000, 1221};
    for (int s = 0; s < 4; ++s) {
        data += std::string("\x00\x55\xAA\x00", 4);
        data += static_cast<char>(s + 1);
        for (int r = 0; r < records[s]; ++r) {
            const int t1 = 200 + r % 900;
            const int t2 = 100 + r % 700;
            const char rec[7] = {0, static_cast<char>(t1 >> 8), static_cast<char>(t1 & 0xFF),
                                 0, static_cast<char>(t2 >> 8), static_cast<char>(t2 & 0xFF),
                                 0};
            data.append(rec, 7);
        }
    }
    data += '\x03';
    return data;
}

// The instrument on a 9600 baud line: "A" and "U" as it answers them, one byte every 1/960 s, and
// the live frames back one second after the last memory byte.
struct LineInstrument {
    std::string data;
    bool armed = false;
    std::size_t offset = 0;
    std::string outgoing;
    double nextByteAt = 0;  // seconds
    double framesFrom = 0;

    void command(char c, double now) {
        outgoing.clear();
        nextByteAt = now + 1.0 / kLineBytesPerSecond;
        framesFrom = 1e18;
        if (c == 'A') {
            armed = false;
            const int pointer = kMemoryBase + static_cast<int>(data.size());
            outgoing = {'\x02', static_cast<char>(pointer >> 8), static_cast<char>(pointer & 0xFF), '\x03'};
        } else if (!armed) {
            armed = true;
            offset = 0;
        } else {
            const std::size_t n = std::min<std::size_t>(kUploadBlock, data.size() - offset);
            outgoing = data.substr(offset, n);
            offset += n;
            armed = offset < data.size();
        }
    }
    // The bytes on the wire by `now`.
    std::string receive(double now) {
        std::string bytes;
        while (!outgoing.empty() && nextByteAt <= now) {
            bytes += outgoing.front();
            outgoing.erase(0, 1);
            nextByteAt += 1.0 / kLineBytesPerSecond;
            if (outgoing.empty())
                framesFrom = nextByteAt + 1.0;
        }
        if (outgoing.empty() && now >= framesFrom) {
            outgoing = std::string("\x02\x00\x00\xFB\x00\x00\x64\x00\x03", 9);
            nextByteAt = now + 1.0 / kLineBytesPerSecond;
            framesFrom = now + 1.0;
        }
        return bytes;
    }
};

struct Host : DownloadHost {
    double listedAt = -1;
    double* now = nullptr;
    void showMemoryWindow() override {}
    void showRemain(const std::string&) override {}
    void showProgress(const std::string&) override {}
    void listSets(const std::vector<SetRow>&) override { listedAt = *now; }
    void closeMemoryWindow() override {}
    void wakeIn(int) override {}
};

// Plays the exchange on a manual clock in 1 ms steps; returns {sets listed, port given back} in s.
std::pair<double, double> simulatedDownload() {
    test::TestSession t;
    t.port.setPortNumber(1);
    t.port.open();
    LineInstrument instrument;
    instrument.data = fullMemory();
    double now = 0;
    Host host;
    host.now = &now;
    MemoryDownload download(t.session, host);
    std::size_t seen = 0;
    download.start();
    while (download.running() && now < 120) {
        t.clock.advanceMs(1);
        now += 0.001;
        for (; seen < t.port.written.size(); ++seen)
            instrument.command(t.port.written[seen], now);
        const std::string bytes = instrument.receive(now);
        if (!bytes.empty())
            t.port.feed(bytes);
        download.advance();
    }
    return {host.listedAt, now};
}

void BM_FullDownloadOnTheLine(benchmark::State& state) {
    std::pair<double, double> times;
    for (auto _ : state)
        times = simulatedDownload();
    const double floor = 0.2 + 0.5 + 0.2 + kFullBytes / kLineBytesPerSecond;
    state.counters["floor_s"] = floor;
    state.counters["listed_s"] = times.first;
    state.counters["over_floor_pct"] = (times.first / floor - 1.0) * 100.0;
    state.counters["port_back_s"] = times.second;
}
BENCHMARK(BM_FullDownloadOnTheLine)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ListFullImage(benchmark::State& state) {
    std::string image = fullMemory();
    closeImage(image, image.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(listSets(image));
}
BENCHMARK(BM_ListFullImage)->Unit(benchmark::kMicrosecond);

void BM_DecodeLargestSet(benchmark::State& state) {
    std::string image = fullMemory();
    closeImage(image, image.size());
    const CollectedSet set = *collectSet(image, 4);
    InstrumentState reading;
    for (auto _ : state) {
        for (std::size_t r = 0; r < set.count(); ++r) {
            benchmark::DoNotOptimize(decodeRecordRow(reading, std::string_view(set.records).substr(r * 7, 7),
                                                     static_cast<int>(r + 1), static_cast<long long>(r),
                                                     true));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * set.count()));
}
BENCHMARK(BM_DecodeLargestSet)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calvex
