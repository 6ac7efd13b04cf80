#include "zenko-rotctld/RotctldProtocol.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "common/CommandLineNumbers.h"
#include "zenko-rotctld/SerialLines.h"

namespace zenko::rotctld {

namespace {

struct CommandSpelling {
    char letter;
    const char* longName;
    Command command;
};

// rotctld also takes 'Q' for quit; the long names are those of Hamlib's command table.
constexpr CommandSpelling kCommands[] = {
    {'P', "set_pos", Command::SetPosition}, {'p', "get_pos", Command::GetPosition},
    {'S', "stop", Command::Stop},           {'K', "park", Command::Park},
    {'_', "get_info", Command::GetInfo},    {'\0', "dump_state", Command::DumpState},
    {'q', "quit", Command::Quit},           {'Q', "", Command::Quit},
};

Command Identify(QByteArrayView token) {
    const bool longForm = token.size() > 1 && token.front() == '\\';
    if (!longForm && token.size() != 1) {
        return Command::Unknown;
    }
    for (const CommandSpelling& spelling : kCommands) {
        if (longForm ? token.sliced(1) == QByteArrayView(spelling.longName)
                     : token.front() == spelling.letter && spelling.letter != '\0') {
            return spelling.command;
        }
    }
    return Command::Unknown;
}

bool IsExtendedPrefix(char c) {
    return c == '+' || c == ';' || c == '|' || c == ',';
}

QByteArray Header(const Request& request) {
    QByteArray header = CommandName(request.command);
    header += ':';
    if (request.command == Command::SetPosition && !request.arguments.isEmpty()) {
        header += ' ' + request.arguments;
    }
    return header + request.separator;
}

QByteArray Record(const Request& request, QByteArrayView text) {
    return text.toByteArray() + request.separator;
}

QByteArray FormatShortest(double value) {
    // Shortest round-trip digits in fixed notation reach about 330 characters for the smallest
    // subnormal numbers.
    std::array<char, 512> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed);
    if (error != std::errc()) {
        return QByteArray();
    }
    return QByteArray(buffer.data(), end - buffer.data());
}

QByteArray FormatStatusNumber(int status) {
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), status);
    return QByteArray(buffer.data(), result.ptr - buffer.data());
}

} // namespace

std::optional<Request> ParseLine(QByteArrayView line) {
    const std::vector<QByteArrayView> words = SplitWords(line, " \t\r\v\f");
    if (words.empty()) {
        return std::nullopt;
    }
    Request request;
    QByteArrayView token = words.front();
    if (IsExtendedPrefix(token.front())) {
        request.extended = true;
        request.separator = token.front() == '+' ? '\n' : token.front();
        token = token.sliced(1);
    }
    request.command = Identify(token);
    if (request.command != Command::SetPosition) {
        return request;
    }
    const std::size_t given = std::min<std::size_t>(words.size() - 1, 2);
    for (std::size_t i = 1; i <= given; ++i) {
        if (i > 1) {
            request.arguments += ' ';
        }
        request.arguments += words[i].toByteArray();
    }
    // Hamlib's clients in a comma locale write a decimal comma.
    const auto number = [&words](std::size_t i) {
        return tools::ParseDegrees(std::string_view(words[i].data(), std::size_t(words[i].size())),
                                   tools::DecimalComma::Accepted);
    };
    const auto azimuth = given == 2 ? number(1) : std::nullopt;
    const auto elevation = given == 2 ? number(2) : std::nullopt;
    if (!azimuth || !elevation) {
        request.status = kInvalidParameter;
        return request;
    }
    request.azimuth = *azimuth;
    request.elevation = *elevation;
    return request;
}

const char* CommandName(Command command) {
    for (const CommandSpelling& spelling : kCommands) {
        if (spelling.command == command) {
            return spelling.longName;
        }
    }
    return "";
}

bool WithinLimits(const Limits& limits, double azimuth, double elevation) {
    return azimuth >= limits.minAzimuth && azimuth <= limits.maxAzimuth &&
           elevation >= limits.minElevation && elevation <= limits.maxElevation;
}

bool HasOverlap(const Limits& limits) {
    return limits.maxAzimuth - limits.minAzimuth > kFullTurn;
}

std::optional<double> ChooseAzimuth(const Limits& limits, double target, double current) {
    if (!HasOverlap(limits)) {
        return target >= limits.minAzimuth && target <= limits.maxAzimuth
                   ? std::optional<double>(target)
                   : std::nullopt;
    }
    // In whole turns, kept as doubles: limits of any size give no integer overflow.
    const double lowestTurn = std::ceil((limits.minAzimuth - target) / kFullTurn);
    const double highestTurn = std::floor((limits.maxAzimuth - target) / kFullTurn);
    if (lowestTurn > highestTurn) {
        return std::nullopt;
    }
    // Halfway between two equivalents rounds down, to the lower one.
    const double nearestTurn = std::ceil((current - target) / kFullTurn - 0.5);
    const double azimuth = target + std::clamp(nearestTurn, lowestTurn, highestTurn) * kFullTurn;
    // The divisions round; an equivalent within a rounding error of a limit may fall just out.
    if (azimuth < limits.minAzimuth || azimuth > limits.maxAzimuth) {
        return std::nullopt;
    }
    return azimuth;
}

QByteArray FormatStatus(const Request& request, int status) {
    QByteArray reply;
    if (request.extended && request.command != Command::Unknown) {
        reply = Header(request);
    }
    return reply + "RPRT " + FormatStatusNumber(status) + '\n';
}

QByteArray FormatPosition(const Request& request, double azimuth, double elevation) {
    if (!request.extended) {
        return FormatHundredths(azimuth) + '\n' + FormatHundredths(elevation) + '\n';
    }
    return Header(request) + Record(request, "Azimuth: " + FormatHundredths(azimuth)) +
           Record(request, "Elevation: " + FormatHundredths(elevation)) + "RPRT 0\n";
}

QByteArray FormatInfo(const Request& request, QByteArrayView info) {
    if (!request.extended) {
        return info.toByteArray() + '\n';
    }
    return Header(request) + Record(request, "Info: " + info.toByteArray()) + "RPRT 0\n";
}

QByteArray FormatDumpState(const Request& request, const Limits& limits) {
    const QByteArray version = "1";
    const QByteArray model = FormatStatusNumber(kReportedModel);
    const std::array<QByteArray, 4> values = {
        FormatFixed(limits.minAzimuth, 6), FormatFixed(limits.maxAzimuth, 6),
        FormatFixed(limits.minElevation, 6), FormatFixed(limits.maxElevation, 6)};
    if (!request.extended) {
        return version + '\n' + model + '\n' + "min_az=" + values[0] + '\n' +
               "max_az=" + values[1] + '\n' + "min_el=" + values[2] + '\n' + "max_el=" + values[3] +
               '\n' + "south_zero=0\nrot_type=AzEl\ndone\n";
    }
    // rotctld's own extended dump: readable names for the numbers, the last two lines as in
    // the plain form.
    return Header(request) + Record(request, "rotctld Protocol Ver: " + version) +
           Record(request, "Rotor Model: " + model) +
           Record(request, "Minimum Azimuth: " + values[0]) +
           Record(request, "Maximum Azimuth: " + values[1]) +
           Record(request, "Minimum Elevation: " + values[2]) +
           Record(request, "Maximum Elevation: " + values[3]) + Record(request, "South Zero: 0") +
           Record(request, "rot_type=AzEl") + Record(request, "done") + "RPRT 0\n";
}

QByteArray FormatFixed(double value, int decimals) {
    // Enough for any finite double in fixed notation (at most 309 integer digits).
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc()) {
        return QByteArray();
    }
    return QByteArray(buffer.data(), end - buffer.data());
}

QByteArray FormatHundredths(double value) {
    return FormatFixed(value, 2);
}

QByteArray FormatSetRequest(double azimuth, double elevation) {
    return "ZENKO," + FormatShortest(azimuth) + ',' + FormatShortest(elevation);
}

QByteArray FormatAzimuthRequest(double azimuth) {
    return "ZENKO," + FormatShortest(azimuth);
}

std::optional<Angles> ParseControllerReply(QByteArrayView reply) {
    std::array<QByteArrayView, 2> fields;
    qsizetype start = 0;
    for (int index = 0; index <= 2; ++index) {
        const qsizetype comma = reply.indexOf(',', start);
        const qsizetype end = comma < 0 ? reply.size() : comma;
        if (index > 0) {
            fields[index - 1] = reply.sliced(start, end - start).trimmed();
        }
        if (comma < 0 && index < 2) {
            return std::nullopt;
        }
        start = end + 1;
    }
    const auto azimuth =
        tools::ParseFiniteNumber({fields[0].data(), std::size_t(fields[0].size())});
    const auto elevation =
        tools::ParseFiniteNumber({fields[1].data(), std::size_t(fields[1].size())});
    if (!azimuth || !elevation) {
        return std::nullopt;
    }
    return Angles{*azimuth, *elevation};
}

} // namespace zenko::rotctld
