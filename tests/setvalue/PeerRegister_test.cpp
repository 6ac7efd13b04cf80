#include <gtest/gtest.h>

#include "setvalue/PeerRegister.h"

using zenko::setvalue::PeerRegister;

TEST(PeerRegister, RemembersUpToItsLimitAndSaysOnceThatItIsFull) {
    using Outcome = PeerRegister::Outcome;
    PeerRegister peers(2);
    const struct {
        std::uint32_t address;
        std::uint16_t port;
        Outcome outcome;
    } steps[] = {
        {0x7F000001, 4000, Outcome::New},        {0x7F000001, 4000, Outcome::Known},
        {0x7F000001, 4001, Outcome::New},        {0x7F000002, 4000, Outcome::LimitReached},
        {0x7F000003, 4000, Outcome::Unrecorded}, {0x7F000002, 4000, Outcome::Unrecorded},
        {0x7F000001, 4001, Outcome::Known},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << step.address << ":" << step.port);
        EXPECT_EQ(peers.note(step.address, step.port), step.outcome);
    }
}
