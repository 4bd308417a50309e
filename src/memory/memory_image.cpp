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

bool endMarksAt(std::string_view image, std::size_t pos) {
    if (pos < 1 || pos + 3 > image.size())
        return false;
    for (std::size_t j = 0; j < 4; ++j) {
        if (byteAt(image, pos + j) != 0x03)
            return false;
    }
    return true;
}

// The number of records of the set whose header follows position p, or 0 when the image ends
// before the set does.
std::size_t recordsAfter(std::string_view image, std::size_t p) {
    const std::size_t length = image.size();
    for (std::size_t k = 1;; ++k) {
        // The marks test reaches less far than the header test; once it runs off the image
        // neither can succeed any more.
        if (p + 9 + 5 * k > length)
            return 0;
        if (headerAt(image, p + 6 + 7 * k) || endMarksAt(image, p + 6 + 5 * k))
            return k;
    }
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
    const std::size_t length = image.size();
    std::size_t p = 1;  // the byte before the header of the set being listed
    for (std::size_t i = 1; i + 7 <= length; ++i) {
        if (!headerAt(image, i))
            continue;
        if (p + 5 > length)
            break;
        const int sampling = byteAt(image, p + 5);
        const std::size_t k = recordsAfter(image, p);
        if (k == 0)
            break;
        p += 5 + 7 * k;
        rows.push_back({static_cast<int>(rows.size()) + 1, sampling, static_cast<int>(k)});
    }
    return rows;
}

std::optional<CollectedSet> collectSet(std::string_view image, int setNumber) {
    if (setNumber < 1)
        return std::nullopt;
    const std::size_t length = image.size();
    int seen = 0;
    std::size_t header = 0;
    for (std::size_t i = 1; i + 3 <= length; ++i) {
        if (headerAt(image, i) && ++seen == setNumber) {
            header = i;
            break;
        }
    }
    if (header == 0 || header + 4 > length)
        return std::nullopt;

    CollectedSet set;
    set.sampling = byteAt(image, header + 4);
    std::size_t pos = header + 5;
    // Whole records up to the next header; a closing header cut short by the end still closes.
    while (pos + kRecordBytes - 1 <= length && !headerAt(image, pos)) {
        set.records.append(image.substr(pos - 1, kRecordBytes));
        pos += kRecordBytes;
    }
    return set;
}

}  // namespace calvex
