#include "command_responder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace calvex::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Memory data of exactly `bytes_used` bytes (sets padded to a forced pointer), with recognisable
// content so that blocks can be compared by value.
MemoryStore memory_of_size(std::size_t bytes_used) {
    return MemoryStore::build({}, static_cast<std::uint16_t>(MemoryStore::kPointerBase + bytes_used));
}

Bytes slice(const Bytes& data, std::size_t from, std::size_t to) {
    return Bytes(data.begin() + static_cast<std::ptrdiff_t>(from),
                 data.begin() + static_cast<std::ptrdiff_t>(to));
}

// Sizes of the answers to a sequence of "U" after the arming one.
struct BlockCase {
    std::size_t bytes_used;
    std::vector<std::size_t> blocks;
};

void PrintTo(const BlockCase& c, std::ostream* out) {
    *out << c.bytes_used << " bytes";
}

class UploadBlocks : public testing::TestWithParam<BlockCase> {};

TEST_P(UploadBlocks, FirstUArmsThenBlocksOf4096ThenIdle) {
    const BlockCase& c = GetParam();
    CommandResponder responder(memory_of_size(c.bytes_used));
    const Bytes& data = responder.memory().data();

    const CommandResponder::Reply arm = responder.on_byte('U');
    EXPECT_TRUE(arm.is_command);
    EXPECT_TRUE(arm.bytes.empty());
    EXPECT_TRUE(responder.armed());

    Bytes received;
    for (const std::size_t expected : c.blocks) {
        const CommandResponder::Reply reply = responder.on_byte('U');
        ASSERT_EQ(reply.bytes.size(), expected);
        EXPECT_FALSE(reply.cut);
        received.insert(received.end(), reply.bytes.begin(), reply.bytes.end());
    }
    EXPECT_EQ(received, data);

    // All of the data has gone: the next "U" finds the transfer idle and only arms it again.
    const CommandResponder::Reply again = responder.on_byte('U');
    EXPECT_TRUE(again.bytes.empty());
    EXPECT_EQ(responder.on_byte('U').bytes, slice(data, 0, c.blocks.front()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, UploadBlocks,
                         testing::Values(BlockCase{2, {2}}, BlockCase{47, {47}}, BlockCase{4095, {4095}},
                                         BlockCase{4096, {4096}}, BlockCase{4097, {4096, 1}},
                                         BlockCase{8192, {4096, 4096}}, BlockCase{10000, {4096, 4096, 1808}},
                                         BlockCase{29569, {4096, 4096, 4096, 4096, 4096, 4096, 4096, 897}}),
                         [](const testing::TestParamInfo<BlockCase>& param_info) {
                             return "BytesUsed" + std::to_string(param_info.param.bytes_used);
                         });

TEST(CommandResponder, AAnswersThePointerAndMakesTheTransferIdle) {
    CommandResponder responder(memory_of_size(10000));
    const Bytes& data = responder.memory().data();
    responder.on_byte('U');
    EXPECT_EQ(responder.on_byte('U').bytes.size(), 4096u);

    const CommandResponder::Reply pointer = responder.on_byte('A');
    EXPECT_TRUE(pointer.is_command);
    EXPECT_EQ(pointer.bytes, (Bytes{0x02, 0xB3, 0x8E, 0x03}));  // 35966 + 10000 = 0xB38E
    EXPECT_FALSE(responder.armed());

    EXPECT_TRUE(responder.on_byte('U').bytes.empty());
    EXPECT_EQ(responder.on_byte('U').bytes, slice(data, 0, 4096));
}

TEST(CommandResponder, AOnEmptyMemory) {
    CommandResponder responder;
    EXPECT_EQ(responder.on_byte('A').bytes, (Bytes{0x02, 0x8C, 0x80, 0x03}));
    EXPECT_EQ(responder.on_byte('A').bytes, (Bytes{0x02, 0x8C, 0x80, 0x03}));
}

TEST(CommandResponder, OtherBytesAreNotCommands) {
    CommandResponder responder(memory_of_size(100));
    for (const int byte : {int{'a'}, int{'u'}, int{'B'}, int{'\r'}, int{'\n'}, 0x00, 0x02, 0xFF}) {
        const CommandResponder::Reply reply = responder.on_byte(static_cast<std::uint8_t>(byte));
        EXPECT_FALSE(reply.is_command) << byte;
        EXPECT_TRUE(reply.bytes.empty());
    }
    EXPECT_FALSE(responder.armed());
}

TEST(CommandResponder, CutStopsTheTransferAtTheByteCount) {
    CommandResponder responder(memory_of_size(10000));
    const Bytes& data = responder.memory().data();
    responder.set_cut(5000);
    responder.on_byte('U');
    const CommandResponder::Reply first = responder.on_byte('U');
    EXPECT_EQ(first.bytes, slice(data, 0, 4096));
    EXPECT_FALSE(first.cut);
    const CommandResponder::Reply second = responder.on_byte('U');
    EXPECT_EQ(second.bytes, slice(data, 4096, 5000));
    EXPECT_TRUE(second.cut);
    EXPECT_FALSE(responder.armed());
    EXPECT_TRUE(responder.on_byte('U').bytes.empty());  // arms again
}

TEST(CommandResponder, CutOnABlockBoundaryCutsTheNextAnswer) {
    CommandResponder responder(memory_of_size(10000));
    responder.set_cut(4096);
    responder.on_byte('U');
    EXPECT_FALSE(responder.on_byte('U').cut);
    const CommandResponder::Reply reply = responder.on_byte('U');
    EXPECT_TRUE(reply.bytes.empty());
    EXPECT_TRUE(reply.cut);
}

TEST(CommandResponder, CutZeroSendsNothing) {
    CommandResponder responder(memory_of_size(47));
    responder.set_cut(0);
    responder.on_byte('U');
    const CommandResponder::Reply reply = responder.on_byte('U');
    EXPECT_TRUE(reply.bytes.empty());
    EXPECT_TRUE(reply.cut);
}

TEST(CommandResponder, CutBeyondTheDataChangesNothing) {
    CommandResponder responder(memory_of_size(47));
    responder.set_cut(47);
    responder.on_byte('U');
    const CommandResponder::Reply reply = responder.on_byte('U');
    EXPECT_EQ(reply.bytes.size(), 47u);
    EXPECT_FALSE(reply.cut);
}

}  // namespace
}  // namespace calvex::sim
