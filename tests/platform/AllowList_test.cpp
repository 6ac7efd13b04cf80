#include <gtest/gtest.h>

#include "platform/AllowList.h"

using namespace zenko::platform;

namespace {

TEST(ParseAllowList, ReadsTheListForms) {
    const struct {
        const char* text;
        std::vector<Ipv4Network> networks;
        const char* canonical;
    } cases[] = {
        {"", {}, ""},
        {" \t ", {}, ""},
        {"127.0.0.1", {{0x7F000001, 32}}, "127.0.0.1"},
        {"127.0.0.1, 192.168.10.0/24",
         {{0x7F000001, 32}, {0xC0A80A00, 24}},
         "127.0.0.1, 192.168.10.0/24"},
        {"\t10.0.0.0/8 ,192.0.2.7/32\t",
         {{0x0A000000, 8}, {0xC0000207, 32}},
         "10.0.0.0/8, 192.0.2.7"},
        {"0.0.0.0/0", {{0, 0}}, "0.0.0.0/0"},
        {"255.255.255.255", {{0xFFFFFFFF, 32}}, "255.255.255.255"},
        {"128.0.0.0/1,1.1.1.1,1.1.1.1",
         {{0x80000000, 1}, {0x01010101, 32}, {0x01010101, 32}},
         "128.0.0.0/1, 1.1.1.1, 1.1.1.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const AllowListParse parse = ParseAllowList(QString::fromUtf8(c.text));
        ASSERT_FALSE(parse.error) << parse.error->entry;
        EXPECT_EQ(parse.list.networks(), c.networks);
        EXPECT_EQ(parse.list.text(), QString::fromUtf8(c.canonical));
        EXPECT_EQ(ParseAllowList(parse.list.text()).list.networks(), c.networks);
    }
}

// An entry's address is read as the tools read an address, whose forms their test tries; these
// rows are the list's own.
TEST(ParseAllowList, RefusesTheWholeListAtItsFirstBadEntry) {
    using enum AllowListFault;
    const struct {
        const char* text;
        AllowListFault fault;
        int entry;
    } cases[] = {
        {",", EmptyEntry, 1},
        {"127.0.0.1,", EmptyEntry, 2},
        {", 127.0.0.1", EmptyEntry, 1},
        {"127.0.0.1, ,10.0.0.1", EmptyEntry, 2},
        {"127.0.0.1.5", BadAddress, 1},
        {"localhost", BadAddress, 1},
        {"10.0.0.0 /8", BadAddress, 1},
        {"\xef\xbc\x91.2.3.4", BadAddress, 1},
        {"1.2.3.4,10.0.0.0/33", BadPrefix, 2},
        {"10.0.0.0/", BadPrefix, 1},
        {"10.0.0.0/08", BadPrefix, 1},
        {"10.0.0.0/8/8", BadPrefix, 1},
        {"192.168.10.5/24", HostBitsSet, 1},
        {"10.0.0.0/0", HostBitsSet, 1},
        {"10.0.0.1/31", HostBitsSet, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const AllowListParse parse = ParseAllowList(QString::fromUtf8(c.text));
        ASSERT_TRUE(parse.error);
        EXPECT_EQ(parse.error->fault, c.fault);
        EXPECT_EQ(parse.error->entry, c.entry);
        EXPECT_TRUE(parse.list.isEmpty());
    }
}

TEST(AllowList, AdmitsExactlyTheAddressesOfItsNetworks) {
    const struct {
        const char* list;
        std::vector<std::uint32_t> admitted;
        std::vector<std::uint32_t> refused;
    } cases[] = {
        {"", {0xC0000207}, {}},
        {"192.168.10.0/24", {0xC0A80A00, 0xC0A80AFF}, {0xC0A809FF, 0xC0A80B00}},
        {"127.0.0.1", {0x7F000001}, {0x7F000000, 0x7F000002}},
        {"0.0.0.0/0", {0, 0xFFFFFFFF}, {}},
        {"128.0.0.0/1", {0x80000000, 0xFFFFFFFF}, {0x7FFFFFFF}},
        {"10.0.0.0/31", {0x0A000000, 0x0A000001}, {0x0A000002}},
        {"10.0.0.0/8, 127.0.0.1", {0x7F000001, 0x0AFFFFFF}, {0x0B000000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        const AllowList list = ParseAllowList(QString::fromUtf8(c.list)).list;
        for (const std::uint32_t address : c.admitted) {
            EXPECT_TRUE(list.admits(address)) << std::hex << address;
        }
        for (const std::uint32_t address : c.refused) {
            EXPECT_FALSE(list.admits(address)) << std::hex << address;
        }
    }
}

} // namespace
