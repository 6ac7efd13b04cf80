#include "tools/SerialConformance.h"

using zenko::rotctld::Protocol;

// Hamlib's Easycomm II and Rot2Prog drivers against the bridge.
int main(int argc, char** argv) {
    return zenko::test::RunSerialConformance(
        argc, argv,
        {{"Easycomm II, rotctl -m 202", 202, Protocol::Easycomm2, true},
         {"Rot2Prog, rotctl -m 901", 901, Protocol::Rot2Prog, false}});
}
