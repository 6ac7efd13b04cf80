#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QByteArrayView>

// What the fuzz targets share: the input as the codecs take it, and a check whose failure
// libFuzzer records as a crash with its input.
namespace zenko::fuzz {

inline QByteArrayView Bytes(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)};
}

inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Within half a unit of the last place shown, allowing for the rounding of a double that big.
inline bool ShownWithin(double shown, double value, int decimals) {
    const double halfUnit = 0.5 * std::pow(10.0, -decimals);
    return std::fabs(shown - value) <= halfUnit * (1.0 + 1e-9) + std::fabs(value) * 1e-15;
}

} // namespace zenko::fuzz
