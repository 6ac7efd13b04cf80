#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "zenko-rotctld/EasycommProtocol.h"
#include "zenko-rotctld/Gs232Protocol.h"
#include "zenko-rotctld/IdlePark.h"
#include "zenko-rotctld/Rot2ProgProtocol.h"
#include "zenko-rotctld/RotctldCodec.h"

// The rows follow the controllers' own documents: the GS-232A manual's command list, its "+0aaa"
// replies and its "?>" for an invalid command; the Easycomm II command table; the Rot2Prog frame
// description with its worked set and status examples.
namespace zenko::rotctld {
namespace {

const Limits kLimits{0, 450, 0, 180};
const Angles kMeasured{123.456, 45.27};

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// "set az=450! el=10" (! for an azimuth of the mechanics), "get", "stop az", "park", "-".
std::string Describe(const BridgeCommand& command) {
    switch (command.action) {
    case Action::None:
        return "-";
    case Action::SetPosition:
        return std::string("set") +
               (command.azimuth
                    ? " az=" + Number(*command.azimuth) + (command.mechanicalAzimuth ? "!" : "")
                    : "") +
               (command.elevation ? " el=" + Number(*command.elevation) : "");
    case Action::GetPosition:
        return "get";
    case Action::Stop:
        return command.axes == Axes::Both      ? "stop"
               : command.axes == Axes::Azimuth ? "stop az"
                                               : "stop el";
    case Action::Park:
        return "park";
    case Action::Quit:
        return "quit";
    }
    return "?";
}

struct Decoded {
    std::vector<std::string> commands;
    // Every reply in order, each command having run with the same outcome (the measured angles
    // when done).
    QByteArray replies;
};

// One byte at a time, as a slow serial line delivers them.
Decoded Decode(Protocol protocol, const QByteArray& input,
               Outcome::Status status = Outcome::Status::Done) {
    const auto codec = MakeCodec(protocol, kLimits);
    std::vector<Exchange> exchanges;
    for (const char byte : input) {
        codec->append(QByteArrayView(&byte, 1));
        while (auto exchange = codec->next()) {
            exchanges.push_back(std::move(*exchange));
        }
    }
    // The replies come once the controller has answered, after the bytes that followed.
    Decoded decoded;
    for (const Exchange& exchange : exchanges) {
        decoded.commands.push_back(Describe(exchange.command));
        if (exchange.reply) {
            decoded.replies += exchange.reply(Outcome{status, kMeasured});
        }
    }
    return decoded;
}

struct Row {
    Protocol protocol;
    QByteArray input;
    std::vector<std::string> commands;
    QByteArray replies;
};

void Check(const Row& row, Outcome::Status status = Outcome::Status::Done) {
    SCOPED_TRACE(std::string(ProtocolName(row.protocol)) + " " + row.input.toStdString());
    const Decoded decoded = Decode(row.protocol, row.input, status);
    EXPECT_EQ(decoded.commands, row.commands);
    EXPECT_EQ(decoded.replies, row.replies);
}

TEST(SerialProtocols, Gs232CommandsAndReplies) {
    const auto a = Protocol::Gs232a;
    const auto b = Protocol::Gs232b;
    const Row rows[] = {
        {a, "C2\r", {"get"}, "+0123+0045\r\n"},
        {a, "c\r", {"get"}, "+0123\r\n"},
        {a, "B\r", {"get"}, "+0045\r\n"},
        {b, "C2\r", {"get"}, "AZ=123  EL=045\r\n"},
        {b, "C\r", {"get"}, "AZ=123\r\n"},
        {b, "b\r", {"get"}, "EL=045\r\n"},
        {a, "W120 045\r", {"set az=120 el=45"}, ""},
        // The stray CR that follows a command of some clients, and an LF ending.
        {b, "w350 010\r\rC2\n", {"set az=350 el=10", "get"}, "AZ=123  EL=045\r\n"},
        {a, "M090\r", {"set az=90"}, ""},
        {a, "S\rA\rE\r", {"stop", "stop az", "stop el"}, ""},
        {b, "R\rL\rU\rD\r", {"set az=450!", "set az=0!", "set el=180", "set el=0"}, ""},
        // Speeds, calibration, the timed tracking of the interface's memory, malformed angles.
        {a, "X4\r", {"-"}, "?>\r\n"},
        {a, "W001 120 045\r", {"-"}, "?>\r\n"},
        {a, "W120\r", {"-"}, "?>\r\n"},
        {b, "W-10 045\r", {"-"}, "?>\r\n"},
        {a, QByteArray(300, 'C') + "\rB\r", {"-", "get"}, "?>\r\n+0045\r\n"},
    };
    for (const Row& row : rows) {
        Check(row);
    }
    // Outside the limits, the interface's refusal; a silent controller, no reply at all.
    Check({a, "W500 010\r", {"set az=500 el=10"}, "?>\r\n"}, Outcome::Status::Refused);
    Check({b, "C2\r", {"get"}, ""}, Outcome::Status::TimedOut);
}

TEST(SerialProtocols, Gs232AnglesAreWholeDegreesInThreeCharacters) {
    const struct {
        Gs232Codec::Model model;
        Angles angles;
        const char* reply;
    } rows[] = {
        {Gs232Codec::Model::A, {449.5, 0.4}, "+0450+0000\r\n"},
        {Gs232Codec::Model::A, {-5.4, 89.5}, "+0-05+0090\r\n"},
        {Gs232Codec::Model::B, {-0.6, 180}, "AZ=-01  EL=180\r\n"},
        {Gs232Codec::Model::B, {5000, -500}, "AZ=999  EL=-99\r\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatGs232Position(row.model, Axes::Both, row.angles), row.reply);
    }
}

TEST(SerialProtocols, EasycommCommandsAndReplies) {
    const auto e = Protocol::Easycomm2;
    const Row rows[] = {
        // Replies end as their line did.
        {e, "AZ EL \n", {"get"}, "AZ123.5 EL45.3\n"},
        {e, "AZ\r", {"get"}, "AZ123.5\r"},
        {e, "EL\r\n", {"get"}, "EL45.3\r\n"},
        {e, "EL AZ\n", {"get"}, "EL45.3 AZ123.5\n"},
        {e, "AZ120.0 EL45.0\n", {"set az=120 el=45"}, ""},
        {e, "AZ120.0\nEL45.0\r", {"set az=120", "set el=45"}, ""},
        {e, "az10.5 el-2\r", {"set az=10.5 el=-2"}, ""},
        {e, "AZ10 AZ EL\n", {"set az=10", "get"}, "AZ123.5 EL45.3\n"},
        {e, "SA SE \n", {"stop"}, ""},
        {e, "SA\nSE\n", {"stop az", "stop el"}, ""},
        {e, "ML MR\nMU MD\n", {"set az=0!", "set az=450!", "set el=180", "set el=0"}, ""},
        {e, "PARK\n", {"park"}, ""},
        // The station's other commands, and a value that is no number.
        {e, "UP145800000 DN435000000 UMFM VE\n", {}, ""},
        {e, "AZ12x\n", {}, ""},
    };
    for (const Row& row : rows) {
        Check(row);
    }
    Check({e, "AZ EL\n", {"get"}, ""}, Outcome::Status::TimedOut);
    Check({e, "AZ500 EL0\n", {"set az=500 el=0"}, ""}, Outcome::Status::Refused);
}

// 'W', the four digits and the resolution of each axis, the command, the blank.
QByteArray Frame(const char* azimuth, char azimuthResolution, const char* elevation,
                 char elevationResolution, char command) {
    return 'W' + QByteArray(azimuth, 4) + azimuthResolution + QByteArray(elevation, 4) +
           elevationResolution + command + ' ';
}

TEST(SerialProtocols, Rot2ProgFrames) {
    const auto r = Protocol::Rot2Prog;
    const QByteArray status("W\x04\x08\x03\x05\x04\x04\x00\x05\x03\x04 ", 12);
    const char none[4] = {};
    const Row rows[] = {
        // The description's example: 123.5 and 77.0 at two pulses a degree.
        {r, Frame("0967", 2, "0874", 2, 0x2F), {"set az=123.5 el=77"}, ""},
        // The same position at ten and at one pulse a degree.
        {r, Frame("4835", 10, "4370", 10, 0x2F), {"set az=123.5 el=77"}, ""},
        {r, Frame("0350", 1, "0350", 1, 0x2F), {"set az=-10 el=-10"}, ""},
        {r, Frame(none, 0, none, 0, 0x1F), {"get"}, status},
        {r, Frame(none, 0, none, 0, 0x0F), {"stop"}, status},
        // Bytes that begin no frame are skipped.
        {r, "xyW " + Frame(none, 0, none, 0, 0x1F), {"get"}, status},
        // No resolution, digits that are none, an unknown command.
        {r, Frame("0967", 0, "0874", 2, 0x2F), {}, ""},
        {r, Frame("09x7", 2, "0874", 2, 0x2F), {}, ""},
        {r, Frame(none, 0, none, 0, 0x3F), {}, ""},
    };
    for (const Row& row : rows) {
        Check(row);
    }
    Check({r, Frame(none, 0, none, 0, 0x1F), {"get"}, ""}, Outcome::Status::TimedOut);
    // The description's status example, 12.5 and 34.0, at this bridge's resolution.
    EXPECT_EQ(FormatRot2ProgStatus({12.5, 34.0}),
              QByteArray("W\x03\x07\x02\x05\x04\x03\x09\x04\x00\x04 ", 12));
}

TEST(SerialProtocols, RotctldOutcomesAreHamlibsCodes) {
    const auto d = Protocol::Rotctld;
    Check({d,
           "p\n+p\n",
           {"get", "get"},
           "123.46\n45.27\nget_pos:\nAzimuth: 123.46\n"
           "Elevation: 45.27\nRPRT 0\n"});
    Check({d, "P 1 2\nS\nK\n", {"set az=1 el=2", "stop", "park"}, "RPRT 0\nRPRT 0\nRPRT 0\n"});
    Check({d, "P 500 2\n", {"set az=500 el=2"}, "RPRT -1\n"}, Outcome::Status::Refused);
    Check({d, "+p\n", {"get"}, "get_pos:\nRPRT -5\n"}, Outcome::Status::TimedOut);
    Check({d, "S\n", {"stop"}, "RPRT -6\n"}, Outcome::Status::SendFailed);
    Check({d, "p\n", {"get"}, "RPRT -8\n"}, Outcome::Status::BadReply);
    Check({d, "P 1\n_\nq\n", {"-", "-", "quit"}, "RPRT -1\nZENKO rotator bridge\n"});
}

TEST(SerialProtocols, LinesEndInEitherWay) {
    LineReader reader(LineReader::Ends::CarriageReturnOrLineFeed, kMaxSerialLine);
    const auto line = [&reader] {
        const auto next = reader.next();
        return next ? (next->overlong ? "!" : next->text.toStdString()) + "|" +
                          (next->end ? next->end->toStdString() : "")
                    : std::string("none");
    };
    reader.append("a\rb\nc\r\nd");
    EXPECT_EQ(line(), "a|\r");
    EXPECT_EQ(line(), "b|\n");
    EXPECT_EQ(line(), "c|\r\n");
    EXPECT_EQ(line(), "none");
    // A CR at the end ends its line at once; an LF right after it joins it.
    reader.append("\r");
    const auto d = reader.next();
    ASSERT_TRUE(d);
    EXPECT_EQ(*d->end, "\r");
    reader.append("\n");
    EXPECT_EQ(line(), "none");
    EXPECT_EQ(*d->end, "\r\n");
    reader.append("e\r");
    EXPECT_EQ(line(), "e|\r");
    reader.append("f\n");
    EXPECT_EQ(line(), "f|\n");
    reader.append(QByteArray(kMaxSerialLine + 1, 'x'));
    EXPECT_EQ(line(), "!|");
    reader.append("xx\ny\r");
    EXPECT_EQ(line(), "y|\r");
}

TEST(SerialProtocols, IdleParkOnceAfterTheLastSetPosition) {
    enum Step { Set, Take, DueIn };
    const struct {
        Step step;
        qint64 at;
        qint64 expected;
    } steps[] = {
        {DueIn, 0, 1000},
        {Take, 999, 0},
        {Take, 1000, 1},
        // Once only, until the next set position.
        {Take, 5000, 0},
        {DueIn, 5000, -1},
        {Set, 6000, 0},
        {DueIn, 6400, 600},
        // A set position before the time restarts the count.
        {Set, 6900, 0},
        {Take, 7000, 0},
        {Take, 7899, 0},
        {Take, 7900, 1},
    };
    IdlePark park(1000);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.at);
        switch (step.step) {
        case Set:
            park.positionSet(step.at);
            break;
        case Take:
            EXPECT_EQ(park.takeDue(step.at), step.expected == 1);
            break;
        case DueIn:
            EXPECT_EQ(park.dueInMs(step.at).value_or(-1), step.expected);
            break;
        }
    }
    IdlePark never(std::nullopt);
    EXPECT_FALSE(never.dueInMs(1'000'000'000));
    EXPECT_FALSE(never.takeDue(1'000'000'000));
}

} // namespace
} // namespace zenko::rotctld
