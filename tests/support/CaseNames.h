#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zenko::test {

// A GoogleTest parameter name that tells the case: runs of letters and digits kept, the signs and
// blanks that tell cases apart spelt out, any other byte as "x" and its hex value, all joined by
// underscores; a long text by its beginning. The index in front keeps names unique, and an empty
// text a valid name.
inline std::string CaseName(std::size_t index, std::string_view text) {
    constexpr std::size_t kTextBytes = 24;
    static constexpr struct {
        char c;
        const char* word;
    } kWords[] = {{'-', "minus"}, {'+', "plus"},     {'.', "dot"},     {' ', "blank"},
                  {'\t', "tab"},  {'\n', "newline"}, {'\r', "return"}, {'/', "slash"}};
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto isAlphanumeric = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    std::string name = std::to_string(index);
    bool inRun = false;
    for (const char c : text.substr(0, kTextBytes)) {
        if (isAlphanumeric(c)) {
            if (!inRun) {
                name += '_';
            }
            name += c;
            inRun = true;
            continue;
        }
        inRun = false;
        name += '_';
        const char* spelt = nullptr;
        for (const auto& word : kWords) {
            if (word.c == c) {
                spelt = word.word;
            }
        }
        if (spelt != nullptr) {
            name += spelt;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            name += 'x';
            name += kHex[byte >> 4];
            name += kHex[byte & 0xF];
        }
    }
    if (text.size() > kTextBytes) {
        name += "_etc";
    }
    return name;
}

} // namespace zenko::test
