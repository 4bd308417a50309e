#include "memory/memory_image.h"

#include <algorithm>

namespace calvex {

namespace {

constexpr unsigned char kSetHeader[4] = {0x00, 0x55, 0xAA, 0x00};

// Positions below are counted from 1, as the instrument's memory map is written down.
unsigned char byteAt(std::string_view image, std::size_t pos) {
    return static_cast<unsigned char>(image[pos - 1]);
}

bool headerAt(std::string_view image, std::size_t pos) {
    if (pos < 1 || pos + 3 > image.size())
        return false;
    for (std::size_t j = 0; j < 4; ++j) {
        if (byteAt(image, pos + j) != kSetHeader[j])
            return false;
    }
    return true;
}

// Where each logging set lies in a closed image. A set runs from its header over whole 7-byte
// records up to the header at the next record boundary. Only that header ends a set: a run of
// 0x03 bytes is no mark, because ordinary records hold one (status 0x03 is unit code 3 with no
// flags, 0x0303 reads 77.1, type code 3 is "T"). Walking from record boundary to record boundary
// also keeps a header pattern inside a record from starting a set of its own. A set whose closing
// header is not in the image (a cut or damaged download, or the closing copy of the first header
// itself) is not a set.
struct SetSpan {
    std::size_t header = 0;  // position of the set's header
    int sampling = 0;
    std::size_t records = 0;
};

std::vector<SetSpan> setSpans(std::string_view image) {
    std::vector<SetSpan> spans;
    const std::size_t length = image.size();
    std::size_t header = 1;
    while (header + 3 <= length && !headerAt(image, header))
        ++header;
    while (header + 4 <= length && headerAt(image, header)) {
        SetSpan span{header, byteAt(image, header + 4), 0};
        std::size_t pos = header + 5;
        while (!headerAt(image, pos)) {
            if (pos + kRecordBytes - 1 > length)
                return spans;
            ++span.records;
            pos += kRecordBytes;
        }
        spans.push_back(span);
        header = pos;
    }
    return spans;
}

}  // namespace

int pointerOf(std::string_view reply) {
    if (reply.size() < 3)
        return 0;
    return static_cast<unsigned char>(reply[1]) * 256 + static_cast<unsigned char>(reply[2]);
}

bool pointerAccepted(std::string_view reply) {
    return reply.size() >= 4 && static_cast<unsigned char>(reply[0]) == 0x02 &&
           static_cast<unsigned char>(reply[3]) == 0x03 && pointerOf(reply) >= kMemoryBase;
}

void closeImage(std::string& image, std::size_t receivedTotal) {
    const std::size_t keep = std::min(image.size(), receivedTotal > 0 ? receivedTotal - 1 : 0);
    image.resize(keep);
    if (image.size() > 1) {
        const std::string copy = image.substr(1, 7);
        image += copy;
    }
}

std::vector<SetRow> listSets(std::string_view image) {
    std::vector<SetRow> rows;
    for (const SetSpan& span : setSpans(image))
        rows.push_back({static_cast<int>(rows.size()) + 1, span.sampling, static_cast<int>(span.records)});
    return rows;
}

std::optional<CollectedSet> collectSet(std::string_view image, int setNumber) {
    const std::vector<SetSpan> spans = setSpans(image);
    if (setNumber < 1 || static_cast<std::size_t>(setNumber) > spans.size())
        return std::nullopt;
    const SetSpan& span = spans[static_cast<std::size_t>(setNumber) - 1];
    CollectedSet set;
    set.sampling = span.sampling;
    set.records = std::string(image.substr(span.header + 4, span.records * kRecordBytes));
    return set;
}

}  // namespace calvex
