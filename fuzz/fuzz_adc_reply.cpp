#include <cstdint>

#include "FuzzCheck.h"
#include "device/BoardProtocol.h"

using namespace zenko;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto count = device::ParseAdcReply(fuzz::Bytes(data, size));
    fuzz::Require(count.has_value() == (size >= 6), "a count exactly when six bytes arrived");
    if (!count) {
        return 0;
    }
    fuzz::Require(*count == static_cast<std::int16_t>((data[4] << 8) | data[5]),
                  "the count is the signed big-endian word at offset 4");
    const double volts = device::CountToVolts(*count);
    fuzz::Require(volts * 1024.0 / 5.0 == *count, "5/1024 volt per count, exactly");
    return 0;
}
