#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>

// Hamlib's rotctld line protocol as tracking programs speak it, and the ASCII set-value texts
// that carry it to the controller. Everything here is pure, so that the tests read each rule
// without a socket.
namespace zenko::rotctld {

// The status numbers of Hamlib's "RPRT n" lines (its negated error codes), each where Hamlib's
// rotctld 4.5 gives it: a position outside the limits or a word that is no number is an invalid
// parameter there (clients such as SDRangel look the code up in a table that ends at 18); a
// command its rotator cannot carry out is "not available".
inline constexpr int kOk = 0;
inline constexpr int kInvalidParameter = -1;
inline constexpr int kTimedOut = -5;
inline constexpr int kInputOutputError = -6;
inline constexpr int kProtocolError = -8;
inline constexpr int kNotAvailable = -11;

// Longer lines are refused whole: no rotctld command needs more, and a peer that sends endless
// text without a line end must not make the bridge hold it.
inline constexpr qsizetype kMaxLineLength = 1024;

enum class Command { SetPosition, GetPosition, Stop, Park, GetInfo, DumpState, Quit, Unknown };

struct Request {
    Command command = Command::Unknown;
    // A leading '+', ';', '|' or ',' asks for Hamlib's extended replies: a "name:" header, one
    // "Key: value" per record, "RPRT n" at the end, records separated by `separator` (a line end
    // for '+', the character itself for the other three).
    bool extended = false;
    char separator = '\n';
    // set_pos's argument words as they came, joined by single blanks: the extended header
    // echoes them, as rotctld does.
    QByteArray arguments;
    // set_pos's target once both words are numbers; kInvalidParameter in `status` when a word
    // is missing or not a number.
    double azimuth = 0;
    double elevation = 0;
    int status = kOk;
};

// One line without its line end (a trailing carriage return is ignored). Blanks before the
// command are skipped; the command is a single character or a backslash and a long name
// ("\set_pos"), case-sensitive, ended by a blank or the line end. Words after the arguments a
// command takes are ignored. Nothing for a blank line, which rotctld ignores too.
std::optional<Request> ParseLine(QByteArrayView line);

// The long name that headers an extended reply ("set_pos").
const char* CommandName(Command command);

struct Limits {
    double minAzimuth = 0;
    double maxAzimuth = 360;
    double minElevation = 0;
    double maxElevation = 90;
};

bool WithinLimits(const Limits& limits, double azimuth, double elevation);

// A rotator with overlap turns further than one full turn, so some azimuths can be reached at
// two (or more) positions of the mechanics.
inline constexpr double kFullTurn = 360;
bool HasOverlap(const Limits& limits);

// The azimuth a set_pos target is sent as. With overlap, whichever of target + k * 360 lies
// within the limits nearest to the antenna's current azimuth, so that a pass crossing north goes
// on into the overlap instead of turning the antenna all the way round; equally near ones give
// the lower. Without overlap the target itself, `current` unused. Nothing when no equivalent lies
// within the limits, which does not depend on `current`.
std::optional<double> ChooseAzimuth(const Limits& limits, double target, double current);

// "RPRT n" as the whole reply of a command that reports only its status (set_pos, stop, park),
// and of every failure; extended, after the command's header. An unknown command has no name,
// so its reply is "RPRT -11" alone in both modes.
QByteArray FormatStatus(const Request& request, int status);
// "%.2f" of each angle on its own line, or the extended "Azimuth:" and "Elevation:" records.
QByteArray FormatPosition(const Request& request, double azimuth, double elevation);
QByteArray FormatInfo(const Request& request, QByteArrayView info);
// What Hamlib's network rotator reads when it opens: the protocol version, a model number, the
// limits as "key=value" lines, "done". Extended, the records rotctld writes in that mode.
QByteArray FormatDumpState(const Request& request, const Limits& limits);
// With two decimals, rounded to nearest as printf does; "-0.00" keeps its sign as printf's.
QByteArray FormatHundredths(double value);
// With that many decimals, as FormatHundredths with two.
QByteArray FormatFixed(double value, int decimals);

// The model number that \dump_state reports: Hamlib's network rotator, which is what the bridge
// looks like from the tracker's side.
inline constexpr int kReportedModel = 2;

// "ZENKO,AZ,EL" with each number in the shortest plain decimal form that reads back to the
// same double, never an exponent, so that the controller's atof-style reading gets it exactly.
QByteArray FormatSetRequest(double azimuth, double elevation);
// "ZENKO,AZ": a request of two fields sets the azimuth only and leaves the elevation's set value
// as it was.
QByteArray FormatAzimuthRequest(double azimuth);
// The ASCII service's read-only query: one field, so no set value changes.
inline constexpr char kPositionQuery[] = "?";

struct Angles {
    double azimuth = 0;
    double elevation = 0;
};

// The azimuth and elevation angles of an ASCII set-value reply ("       0,  123.46,   45.25,
// ..."): the second and third comma-separated fields, blanks around them ignored. Nothing
// when either is missing, not a number, or not finite.
std::optional<Angles> ParseControllerReply(QByteArrayView reply);

} // namespace zenko::rotctld
