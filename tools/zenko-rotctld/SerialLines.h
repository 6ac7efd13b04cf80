#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>

// What the text protocols of serial rotator controllers share; rotctld's protocol cuts its lines
// and splits its words alike.
namespace zenko::rotctld {

// No command of these protocols that the bridge serves needs more; a longer line is refused
// whole, so that endless text without a line end is not held.
inline constexpr qsizetype kMaxSerialLine = 256;

// Cuts a byte stream into lines of at most `maxLength` bytes before their end. A longer line is
// reported once as overlong as soon as it is known to be too long, and its bytes are dropped up
// to and including its line end. Bytes after the last line end wait for more.
class LineReader {
public:
    enum class Ends {
        // rotctld's: a carriage return before it stays in the line.
        LineFeed,
        // The serial protocols': a carriage return, a line feed or both together, as programs
        // end them in either way. A CR that is the last byte so far ends its line at once, for a
        // client that sends CR alone must not wait; an LF that comes next joins it later.
        CarriageReturnOrLineFeed,
    };

    struct Line {
        QByteArray text;
        // "\r", "\n" or "\r\n", so that a reply can end as the command did; shared, for the LF
        // of a CR LF may come after the line was taken.
        std::shared_ptr<QByteArray> end;
        // Longer than the longest line; `text` is empty and the rest of the line is dropped.
        bool overlong = false;
    };

    LineReader(Ends ends, qsizetype maxLength) : m_ends(ends), m_maxLength(maxLength) {}
    void append(QByteArrayView bytes);
    std::optional<Line> next();
    // Bytes held; once next() has returned nothing, at most `maxLength`.
    qsizetype buffered() const { return m_buffer.size(); }

private:
    // Where the first line end stands in the buffer, -1 when there is none yet.
    qsizetype lineEnd() const;
    // The line end at `end`, taken out of the buffer with the line before it.
    std::shared_ptr<QByteArray> take(qsizetype end);

    Ends m_ends;
    qsizetype m_maxLength;
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
