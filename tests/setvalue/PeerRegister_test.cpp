#include <gtest/gtest.h>

#include "setvalue/PeerRegister.h"

using zenko::setvalue::PeerRegister;

TEST(PeerRegister, RemembersUpToItsLimitAndSaysOnceThatItIsFull) {
    using enum zenko::platform::SeenRegister::Outcome;
    PeerRegister peers(2);
    const std::pair<std::uint16_t, PeerRegister::Outcome> steps[] = {
        {4000, New},        {4000, Known},      {4001, New},  {4002, LimitReached},
        {4003, Unrecorded}, {4002, Unrecorded}, {4001, Known}};
    for (const auto& [port, outcome] : steps) {
        SCOPED_TRACE(port);
        EXPECT_EQ(peers.note(0x7F000001, port), outcome);
    }
}
