#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>

// What the text protocols of serial rotator controllers share; rotctld's protocol splits its
// words alike.
namespace zenko::rotctld {

// No command of these protocols that the bridge serves needs more; a longer line is refused
// whole, so that endless text without a line end is not held.
inline constexpr qsizetype kMaxSerialLine = 256;

// Cuts a byte stream into lines ended by a carriage return, a line feed or both together, as
// programs end them in either way. A CR that is the last byte so far ends its line at once, for a
// client that sends CR alone must not wait; an LF that comes next joins it later.
class SerialLineReader {
public:
    struct Line {
        QByteArray text;
        // "\r", "\n" or "\r\n", so that a reply can end as the command did; shared, for the LF
        // of a CR LF may come after the line was taken.
        std::shared_ptr<QByteArray> end;
        // Longer than kMaxSerialLine; `text` is empty and the rest of the line is dropped.
        bool overlong = false;
    };

    void append(QByteArrayView bytes);
    std::optional<Line> next();

private:
    // The line end at `end`, taken out of the buffer with the line before it.
    std::shared_ptr<QByteArray> take(qsizetype end);

    QByteArray m_buffer;
    bool m_discarding = false;
    // The end of the last line when it was a CR at the end of the bytes so far.
    std::shared_ptr<QByteArray> m_openEnd;
};

// Blanks are spaces and tabs.
QByteArrayView TrimBlanks(QByteArrayView text);

// The words of `text` between runs of the bytes in `blanks`, which differ from protocol to
// protocol.
std::vector<QByteArrayView> SplitWords(QByteArrayView text, QByteArrayView blanks);

// An unsigned decimal number, digits with an optional fraction ("045", "12.5"), as the
// controllers' manuals give angles; nothing for anything else.
std::optional<double> ParseUnsignedDecimal(QByteArrayView text);

// A signed decimal number ("-5", "+12.5", "123.4").
std::optional<double> ParseSignedDecimal(QByteArrayView text);

// To the nearest whole degree, halfway cases away from zero, within lowest..highest.
long RoundDegrees(double value, long lowest, long highest);

} // namespace zenko::rotctld
