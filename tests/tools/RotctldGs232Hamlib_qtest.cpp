#include "tools/SerialConformance.h"

using zenko::rotctld::Protocol;

// Hamlib's GS-232A and GS-232B drivers against the bridge; the Easycomm II and Rot2Prog drivers
// are in a binary of their own, so that the two can run side by side.
int main(int argc, char** argv) {
    return zenko::test::RunSerialConformance(
        argc, argv,
        {{"GS-232A, rotctl -m 601", 601, Protocol::Gs232a, false},
         {"GS-232B, rotctl -m 603", 603, Protocol::Gs232b, false}});
}
