#include "zenko-rotctld/SerialLines.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "common/CommandLineNumbers.h"

namespace zenko::rotctld {

namespace {

// The length of the line end at `at`: CR LF together count as one.
qsizetype EndLength(const QByteArray& buffer, qsizetype at) {
    return buffer[at] == '\r' && at + 1 < buffer.size() && buffer[at + 1] == '\n' ? 2 : 1;
}

bool IsSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

void LineReader::append(QByteArrayView bytes) {
    if (m_openEnd && !bytes.isEmpty() && m_buffer.isEmpty() && bytes.front() == '\n') {
        *m_openEnd = "\r\n";
        bytes = bytes.sliced(1);
    }
    if (!bytes.isEmpty()) {
        m_openEnd.reset();
    }
    m_buffer.append(bytes);
}

qsizetype LineReader::lineEnd() const {
    const bool carriageReturn = m_ends == Ends::CarriageReturnOrLineFeed;
    const auto end = std::find_if(m_buffer.begin(), m_buffer.end(), [carriageReturn](char c) {
        return c == '\n' || (carriageReturn && c == '\r');
    });
    return end == m_buffer.end() ? -1 : end - m_buffer.begin();
}

std::optional<LineReader::Line> LineReader::next() {
    if (m_discarding) {
        const qsizetype end = lineEnd();
        if (end < 0) {
            m_buffer.clear();
            return std::nullopt;
        }
        m_buffer.remove(0, end + EndLength(m_buffer, end));
        m_discarding = false;
    }
    const qsizetype end = lineEnd();
    if (end > m_maxLength || (end < 0 && m_buffer.size() > m_maxLength)) {
        Line line;
        line.overlong = true;
        if (end < 0) {
            m_buffer.clear();
            m_discarding = true;
        } else {
            line.end = take(end);
        }
        return line;
    }
    if (end < 0) {
        return std::nullopt;
    }
    Line line;
    line.text = m_buffer.left(end);
    line.end = take(end);
    return line;
}

std::shared_ptr<QByteArray> LineReader::take(qsizetype end) {
    auto lineEnd = std::make_shared<QByteArray>(m_buffer.mid(end, EndLength(m_buffer, end)));
    m_buffer.remove(0, end + lineEnd->size());
    if (m_buffer.isEmpty() && *lineEnd == "\r") {
        m_openEnd = lineEnd;
    }
    return lineEnd;
}

QByteArrayView TrimBlanks(QByteArrayView text) {
    while (!text.isEmpty() && IsSpaceOrTab(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && IsSpaceOrTab(text.back())) {
        text.chop(1);
    }
    return text;
}

std::vector<QByteArrayView> SplitWords(QByteArrayView text, QByteArrayView blanks) {
    std::vector<QByteArrayView> words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool blank = i == text.size() || blanks.contains(text[i]);
        if (blank && start >= 0) {
            words.push_back(text.sliced(start, i - start));
            start = -1;
        } else if (!blank && start < 0) {
            start = i;
        }
    }
    return words;
}

std::optional<double> ParseUnsignedDecimal(QByteArrayView text) {
    if (text.isEmpty() || !std::isdigit(static_cast<unsigned char>(text.front())) ||
        !std::all_of(text.begin(), text.end(), [](char c) {
            return c == '.' || std::isdigit(static_cast<unsigned char>(c));
        })) {
        return std::nullopt;
    }
    return tools::ParseFiniteNumber(std::string_view(text.data(), std::size_t(text.size())));
}

std::optional<double> ParseSignedDecimal(QByteArrayView text) {
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        const auto magnitude = ParseUnsignedDecimal(text.sliced(1));
        if (!magnitude) {
            return std::nullopt;
        }
        return text.front() == '-' ? -*magnitude : *magnitude;
    }
    return ParseUnsignedDecimal(text);
}

long RoundDegrees(double value, long lowest, long highest) {
    return std::lround(std::clamp(value, double(lowest), double(highest)));
}

} // namespace zenko::rotctld
