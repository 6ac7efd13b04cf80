#include "zenko-rotctld/RotctldProtocol.h"

#include <charconv>
#include <string>
#include <vector>

#include <QByteArrayList>

#include <gtest/gtest.h>

#include "zenko-rotctld/SerialLines.h"

namespace zenko::rotctld {
namespace {

std::string Text(const QByteArray& bytes) {
    return bytes.toStdString();
}

Request Parsed(const char* line) {
    const std::optional<Request> request = ParseLine(line);
    EXPECT_TRUE(request.has_value()) << line;
    return request.value_or(Request{});
}

TEST(RotctldParseLine, CommandsInTheirShortLongAndExtendedForms) {
    const struct {
        const char* line;
        Command command;
        bool extended;
        char separator;
    } cases[] = {
        {"P 1 2", Command::SetPosition, false, '\n'},
        {"\\set_pos 1 2", Command::SetPosition, false, '\n'},
        {"+P 1 2", Command::SetPosition, true, '\n'},
        {";\\set_pos 1 2", Command::SetPosition, true, ';'},
        {"p", Command::GetPosition, false, '\n'},
        {"\\get_pos", Command::GetPosition, false, '\n'},
        {"|p", Command::GetPosition, true, '|'},
        {",\\get_pos", Command::GetPosition, true, ','},
        {"S", Command::Stop, false, '\n'},
        {"+\\stop", Command::Stop, true, '\n'},
        {"K", Command::Park, false, '\n'},
        {"\\park", Command::Park, false, '\n'},
        {"_", Command::GetInfo, false, '\n'},
        {";\\get_info", Command::GetInfo, true, ';'},
        {"\\dump_state", Command::DumpState, false, '\n'},
        {"+\\dump_state", Command::DumpState, true, '\n'},
        {"q", Command::Quit, false, '\n'},
        {"Q", Command::Quit, false, '\n'},
        {"\\quit", Command::Quit, false, '\n'},
        {"  \tp  \r", Command::GetPosition, false, '\n'},
        {"p trailing words", Command::GetPosition, false, '\n'},
        // Names are case-sensitive; a long name needs its backslash; one command per word.
        {"x", Command::Unknown, false, '\n'},
        {"\\Get_pos", Command::Unknown, false, '\n'},
        {"set_pos 1 2", Command::Unknown, false, '\n'},
        {"pp", Command::Unknown, false, '\n'},
        {"\\", Command::Unknown, false, '\n'},
        {"\\dump_caps", Command::Unknown, false, '\n'},
        {"M 2 5", Command::Unknown, false, '\n'},
        {"+x", Command::Unknown, true, '\n'},
        {"+", Command::Unknown, true, '\n'},
        {"+ p", Command::Unknown, true, '\n'},
        {"++p", Command::Unknown, true, '\n'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const Request request = Parsed(c.line);
        EXPECT_EQ(request.command, c.command);
        EXPECT_EQ(request.extended, c.extended);
        EXPECT_EQ(request.separator, c.separator);
    }
}

TEST(RotctldParseLine, BlankLinesAreNoCommand) {
    for (const char* line : {"", " ", "\r", " \t \r", "\v\f"}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(ParseLine(line).has_value());
    }
}

TEST(RotctldParseLine, SetPositionArguments) {
    const struct {
        const char* line;
        int status;
        double azimuth;
        double elevation;
        const char* echoed;
    } cases[] = {
        {"P 120 45", kOk, 120, 45, "120 45"},
        {"P 123.5 45.25", kOk, 123.5, 45.25, "123.5 45.25"},
        // Hamlib's clients under a comma-decimal locale write a comma.
        {"P 123,5 45,25", kOk, 123.5, 45.25, "123,5 45,25"},
        {"\\set_pos\t-10.5\t\t+2", kOk, -10.5, 2, "-10.5 +2"},
        {"P 1e2 1E-1", kOk, 100, 0.1, "1e2 1E-1"},
        {"P .5 5.", kOk, 0.5, 5, ".5 5."},
        {"P 120.000000 45.000000\r", kOk, 120, 45, "120.000000 45.000000"},
        {"P 1 2 3", kOk, 1, 2, "1 2"},
        {"P 400 -7", kOk, 400, -7, "400 -7"},
        {"P 120", kInvalidParameter, 0, 0, "120"},
        {"P", kInvalidParameter, 0, 0, ""},
        {"P abc 45", kInvalidParameter, 0, 0, "abc 45"},
        {"P 120 4x5", kInvalidParameter, 0, 0, "120 4x5"},
        {"P 1,2,3 4", kInvalidParameter, 0, 0, "1,2,3 4"},
        {"P 1,000.5 4", kInvalidParameter, 0, 0, "1,000.5 4"},
        {"P 10.5.5 4", kInvalidParameter, 0, 0, "10.5.5 4"},
        {"P nan 4", kInvalidParameter, 0, 0, "nan 4"},
        {"P inf 4", kInvalidParameter, 0, 0, "inf 4"},
        {"P 1e999 4", kInvalidParameter, 0, 0, "1e999 4"},
        {"P 0x10 4", kInvalidParameter, 0, 0, "0x10 4"},
        {"P ++1 4", kInvalidParameter, 0, 0, "++1 4"},
        {"P +-1 4", kInvalidParameter, 0, 0, "+-1 4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const Request request = Parsed(c.line);
        EXPECT_EQ(request.command, Command::SetPosition);
        EXPECT_EQ(request.status, c.status);
        EXPECT_EQ(Text(request.arguments), c.echoed);
        if (c.status == kOk) {
            EXPECT_EQ(request.azimuth, c.azimuth);
            EXPECT_EQ(request.elevation, c.elevation);
        }
    }
}

TEST(RotctldLimits, BoundsAreInclusive) {
    const Limits limits{-180, 450, 0, 90};
    const struct {
        double azimuth, elevation;
        bool within;
    } cases[] = {
        {-180, 0, true},      {450, 90, true},     {0, 45, true},       {-180.01, 0, false},
        {450.001, 10, false}, {10, -0.001, false}, {10, 90.001, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.azimuth) + " " + std::to_string(c.elevation));
        EXPECT_EQ(WithinLimits(limits, c.azimuth, c.elevation), c.within);
    }
}

TEST(RotctldChooseAzimuth, NearestEquivalentWithinTheLimits) {
    const struct {
        const char* name;
        double minAzimuth, maxAzimuth, target, current;
        std::optional<double> sent;
    } cases[] = {
        {"crossing north goes on into the overlap", 0, 450, 10, 350, 370.0},
        {"crossing north back", 0, 450, 350, 370, 350.0},
        {"upper limit", 0, 450, 90, 400, 450.0},
        {"lower limit", 0, 450, 360, 10, 0.0},
        {"equally near: the lower", 0, 450, 0, 180, 0.0},
        {"range from below 0, crossing south", -180, 270, -170, 170, 190.0},
        {"a -180..180 tracker on a 0..450 rotator", 0, 450, -10, 20, 350.0},
        {"one turn: as given", 0, 360, 10, 350, 10.0},
        {"one turn: no equivalent in range", 0, 360, -10, 0, std::nullopt},
        {"less than a turn: no equivalent in range", 0, 180, 200, 170, std::nullopt},
        {"limits of any size", -1e300, 1e300, 10, 350, 370.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Limits limits{c.minAzimuth, c.maxAzimuth, 0, 90};
        EXPECT_EQ(ChooseAzimuth(limits, c.target, c.current), c.sent);
    }
}

// The header an extended command's status carries, echoing the command as it was given. Which
// status a command gets is the bridge's decision, tested with the bridge.
TEST(RotctldFormat, StatusReplies) {
    const struct {
        const char* line;
        const char* header;
    } cases[] = {
        {"P 120 45", ""},
        {"+P 120 45", "set_pos: 120 45\n"},
        {";P 10,5 20", "set_pos: 10,5 20;"},
        {"|P 500 2 extra", "set_pos: 500 2|"},
        {",P 1", "set_pos: 1,"},
        {"+P", "set_pos:\n"},
        {"|\\stop", "stop:|"},
        {"+K", "park:\n"},
        {";p", "get_pos:;"},
        {"+x", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Text(FormatStatus(Parsed(c.line), kTimedOut)),
                  c.header + std::string("RPRT -5\n"));
    }
}

TEST(RotctldFormat, PositionAndInfo) {
    const struct {
        const char* line;
        double azimuth, elevation;
        const char* reply;
    } cases[] = {
        {"p", 123.456, 45.25, "123.46\n45.25\n"},
        {"\\get_pos", 0, 90, "0.00\n90.00\n"},
        // As printf: the binary value decides, and a negative value that rounds to zero keeps
        // its sign.
        {"p", 0.125, -0.001, "0.12\n-0.00\n"},
        {"p", 359.995, -1.005, "360.00\n-1.00\n"},
        {"+p", 123.456, 45.25, "get_pos:\nAzimuth: 123.46\nElevation: 45.25\nRPRT 0\n"},
        {";\\get_pos", 1, 2, "get_pos:;Azimuth: 1.00;Elevation: 2.00;RPRT 0\n"},
        {",p", -10, 0, "get_pos:,Azimuth: -10.00,Elevation: 0.00,RPRT 0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Text(FormatPosition(Parsed(c.line), c.azimuth, c.elevation)), c.reply);
    }
    EXPECT_EQ(Text(FormatInfo(Parsed("_"), "bridge")), "bridge\n");
    EXPECT_EQ(Text(FormatInfo(Parsed("+_"), "bridge")), "get_info:\nInfo: bridge\nRPRT 0\n");
    EXPECT_EQ(Text(FormatInfo(Parsed("|\\get_info"), "bridge")), "get_info:|Info: bridge|RPRT 0\n");
}

TEST(RotctldFormat, DumpStateAsHamlibsNetworkRotatorReadsIt) {
    EXPECT_EQ(Text(FormatDumpState(Parsed("\\dump_state"), Limits{})),
              "1\n2\nmin_az=0.000000\nmax_az=360.000000\nmin_el=0.000000\nmax_el=90.000000\n"
              "south_zero=0\nrot_type=AzEl\ndone\n");
    EXPECT_EQ(Text(FormatDumpState(Parsed("\\dump_state"), Limits{-180, 450, -5.5, 180.0000006})),
              "1\n2\nmin_az=-180.000000\nmax_az=450.000000\nmin_el=-5.500000\n"
              "max_el=180.000001\nsouth_zero=0\nrot_type=AzEl\ndone\n");
    EXPECT_EQ(Text(FormatDumpState(Parsed(";\\dump_state"), Limits{})),
              "dump_state:;rotctld Protocol Ver: 1;Rotor Model: 2;Minimum Azimuth: 0.000000;"
              "Maximum Azimuth: 360.000000;Minimum Elevation: 0.000000;Maximum Elevation: "
              "90.000000;South Zero: 0;rot_type=AzEl;done;RPRT 0\n");
}

TEST(RotctldFormat, SetRequestsReadBackExactlyAndNeverUseAnExponent) {
    const struct {
        double azimuth, elevation;
        const char* request;
    } cases[] = {
        {120, 45, "ZENKO,120,45"},
        {123.456, 45.25, "ZENKO,123.456,45.25"},
        {0.1, -0.0, "ZENKO,0.1,-0"},
        {1e-7, 359.9999999, "ZENKO,0.0000001,359.9999999"},
        {1e21, -2.5e-3, "ZENKO,1000000000000000000000,-0.0025"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        const QByteArray request = FormatSetRequest(c.azimuth, c.elevation);
        EXPECT_EQ(Text(request), c.request);
        const QByteArrayList fields = request.split(',');
        ASSERT_EQ(fields.size(), 3);
        for (int i = 1; i <= 2; ++i) {
            double value = 0;
            const auto [end, error] = std::from_chars(
                fields[i].constData(), fields[i].constData() + fields[i].size(), value);
            EXPECT_EQ(error, std::errc());
            EXPECT_EQ(value, i == 1 ? c.azimuth : c.elevation);
        }
    }
}

TEST(RotctldControllerReply, AnglesFromTheSecondAndThirdField) {
    const struct {
        const char* reply;
        std::optional<double> azimuth, elevation;
    } cases[] = {
        {"       0,  123.46,   45.25,   2.500,   1.250,", 123.46, 45.25},
        {"       0,   -0.13,   -0.00,   0.000,   0.000,", -0.13, -0.0},
        {"0,1,2", 1.0, 2.0},
        {"0, 1e3 ,2,", 1000.0, 2.0},
        {"0,1", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"0,,2,", std::nullopt, std::nullopt},
        {"0,abc,2,", std::nullopt, std::nullopt},
        {"0,1 2,3,", std::nullopt, std::nullopt},
        {"       0,     nan,    1.00,", std::nullopt, std::nullopt},
        {"       0,    1.00,    -inf,", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        const std::optional<Angles> angles = ParseControllerReply(c.reply);
        ASSERT_EQ(angles.has_value(), c.azimuth.has_value());
        if (angles) {
            EXPECT_EQ(angles->azimuth, *c.azimuth);
            EXPECT_EQ(angles->elevation, *c.elevation);
            EXPECT_EQ(std::signbit(angles->elevation), std::signbit(*c.elevation));
        }
    }
}

TEST(RotctldLineReader, LinesOverlongLinesAndPieces) {
    const std::string longest(kMaxLineLength, 'a');
    const std::string tooLong(kMaxLineLength + 1, 'a');
    const struct {
        const char* name;
        std::vector<std::string> chunks;
        // "!" stands for an overlong line.
        std::vector<std::string> events;
    } cases[] = {
        {"one line", {"p\n"}, {"p"}},
        {"split line", {"P 1", "0 20\nS\n_"}, {"P 10 20", "S"}},
        {"rest waits for its end", {"_", "\n"}, {"_"}},
        {"carriage return kept for the parser", {"p\r\n"}, {"p\r"}},
        {"empty line", {"\n\n"}, {"", ""}},
        {"longest allowed", {longest + "\n"}, {longest}},
        {"one byte too long, whole", {tooLong + "\np\n"}, {"!", "p"}},
        {"too long before its end arrives",
         {tooLong, std::string(5000, 'b'), "c\n_\n"},
         {"!", "_"}},
        {"too long by one late byte", {longest, "b", "\n", "q\n"}, {"!", "q"}},
        {"two overlong lines", {tooLong + "\n" + tooLong + "\nS\n"}, {"!", "!", "S"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LineReader reader(LineReader::Ends::LineFeed, kMaxLineLength);
        std::vector<std::string> events;
        for (const std::string& chunk : c.chunks) {
            reader.append(QByteArray::fromStdString(chunk));
            while (const auto event = reader.next()) {
                events.push_back(event->overlong ? std::string("!") : event->text.toStdString());
            }
            // What stays held is bounded by the line limit, not by what the peer sends.
            EXPECT_LE(reader.buffered(), kMaxLineLength);
        }
        EXPECT_EQ(events, c.events);
    }
}

} // namespace
} // namespace zenko::rotctld
