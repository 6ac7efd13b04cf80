#include "platform/ProfileText.h"

#include <cerrno>
#include <cstddef>
#include <vector>

#include <iconv.h>

namespace zenko::platform {

namespace {

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF", 3);
constexpr QByteArrayView kReplacementCharacter("\xEF\xBF\xBD", 3);

// Closes the conversion descriptor however the conversion ends.
class Converter {
public:
    Converter(const char* to, const char* from) : m_descriptor(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(m_descriptor);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_descriptor != reinterpret_cast<iconv_t>(-1); }
    iconv_t descriptor() const { return m_descriptor; }

private:
    iconv_t m_descriptor;
};

enum class Conversion { Done, Invalid };

// Converts as much of `input` as it can, appending to `output`; stops at the first byte
// sequence that does not convert, leaving `input` pointing at it.
Conversion ConvertSome(iconv_t descriptor, const char*& input, std::size_t& inputLeft,
                       QByteArray& output) {
    while (true) {
        char buffer[1024];
        char* in = const_cast<char*>(input);
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result =
            iconv(descriptor, inputLeft > 0 ? &in : nullptr, &inputLeft, &out, &outLeft);
        const int error = errno;
        output.append(buffer, static_cast<qsizetype>(out - buffer));
        input = in;
        if (result != static_cast<std::size_t>(-1))
            return Conversion::Done;
        if (error != E2BIG)
            return Conversion::Invalid;
    }
}

// A strict check: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(QByteArrayView bytes) {
    const auto size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        qsizetype length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (size - i < length)
            return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < low || second > high)
            return false;
        for (qsizetype k = 2; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (next < 0x80 || next > 0xBF)
                return false;
        }
        i += length;
    }
    return true;
}

// A carriage return left alone by a line ending counts as a blank, as it would on Windows.
bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QStringView Trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

char16_t AsciiLower(QChar c) {
    const char16_t unit = c.unicode();
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

bool SameName(QStringView left, QStringView right) {
    if (left.size() != right.size())
        return false;
    for (qsizetype i = 0; i < left.size(); ++i) {
        if (AsciiLower(left[i]) != AsciiLower(right[i]))
            return false;
    }
    return true;
}

bool HasLineBreak(QStringView text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

enum class LineKind { Blank, Comment, Section, Key, Other };

// Offsets into the file's bytes, so that a line's bytes can be kept or spliced exactly.
struct Line {
    qsizetype begin = 0;
    qsizetype textEnd = 0; // before the line ending
    qsizetype end = 0;     // after the line ending
    LineKind kind = LineKind::Other;
    QString name;
    qsizetype equals = -1;
};

struct Profile {
    ProfileEncoding encoding = ProfileEncoding::Utf8;
    QByteArray newline;
    std::vector<Line> lines;
};

// The '=' is found in the raw bytes: it is below every CP932 trail byte, so it cannot be half
// of a double-byte character and the key's bytes end exactly there in either encoding.
Line ClassifyLine(QByteArrayView file, Line line, ProfileEncoding encoding) {
    const QByteArrayView bytes = file.sliced(line.begin, line.textEnd - line.begin);
    const QString text = DecodeProfileBytes(bytes, encoding);
    const QStringView trimmed = Trimmed(text);
    if (trimmed.isEmpty()) {
        line.kind = LineKind::Blank;
    } else if (trimmed.front() == u';') {
        line.kind = LineKind::Comment;
    } else if (const auto close = trimmed.lastIndexOf(u']'); trimmed.front() == u'[' && close > 0) {
        line.kind = LineKind::Section;
        line.name = Trimmed(trimmed.sliced(1, close - 1)).toString();
    } else if (const auto equals = bytes.indexOf('='); equals >= 0) {
        line.kind = LineKind::Key;
        line.equals = line.begin + equals;
        line.name = Trimmed(DecodeProfileBytes(bytes.first(equals), encoding)).toString();
    }
    return line;
}

Profile Parse(QByteArrayView file) {
    Profile profile;
    profile.encoding = DetectProfileEncoding(file);
    const auto firstBreak = file.indexOf('\n');
    profile.newline = firstBreak > 0 && file[firstBreak - 1] == '\r' ? "\r\n" : "\n";

    qsizetype position = file.startsWith(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (position < file.size()) {
        Line line;
        line.begin = position;
        const auto lineBreak = file.indexOf('\n', position);
        if (lineBreak < 0) {
            line.textEnd = line.end = file.size();
        } else {
            line.end = lineBreak + 1;
            line.textEnd =
                lineBreak > position && file[lineBreak - 1] == '\r' ? lineBreak - 1 : lineBreak;
        }
        profile.lines.push_back(ClassifyLine(file, line, profile.encoding));
        position = line.end;
    }
    return profile;
}

struct Place {
    std::optional<std::size_t> header;
    std::optional<std::size_t> key;
    // Where a new key goes: after the section's last line that is neither blank nor a comment,
    // so that blank lines and comments introducing the next section stay with it.
    std::size_t lastEntry = 0;
};

Place Locate(const Profile& profile, QStringView section, QStringView key) {
    Place place;
    const auto& lines = profile.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section && SameName(lines[i].name, section)) {
            place.header = i;
            break;
        }
    }
    if (!place.header)
        return place;
    place.lastEntry = *place.header;
    for (std::size_t i = *place.header + 1; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == LineKind::Section)
            break;
        if (line.kind == LineKind::Blank || line.kind == LineKind::Comment)
            continue;
        place.lastEntry = i;
        if (!place.key && line.kind == LineKind::Key && SameName(line.name, key))
            place.key = i;
    }
    return place;
}

QStringView Unquoted(QStringView value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == u'"' || value.front() == u'\''))
        return value.sliced(1, value.size() - 2);
    return value;
}

// A section name must come back from its header line, a key name from its key line, as the
// caller wrote it; anything else would add a line that no later read could find.
bool IsWritableSectionName(QStringView name) {
    return !name.isEmpty() && name.isValidUtf16() && !HasLineBreak(name);
}

bool IsWritableKeyName(QStringView name) {
    return !name.isEmpty() && name.isValidUtf16() && !HasLineBreak(name) && !name.contains(u'=') &&
           name.front() != u';' && name.front() != u'[';
}

} // namespace

ProfileEncoding DetectProfileEncoding(QByteArrayView file) {
    if (file.startsWith(kByteOrderMark) || IsValidUtf8(file))
        return ProfileEncoding::Utf8;
    return ProfileEncoding::Cp932;
}

QString DecodeProfileBytes(QByteArrayView bytes, ProfileEncoding encoding) {
    if (encoding == ProfileEncoding::Utf8)
        return QString::fromUtf8(bytes);

    QByteArray utf8;
    utf8.reserve(bytes.size() * 3 / 2);
    const Converter converter("UTF-8", "CP932");
    const char* input = bytes.data();
    std::size_t inputLeft = static_cast<std::size_t>(bytes.size());
    while (inputLeft > 0) {
        if (converter.valid() &&
            ConvertSome(converter.descriptor(), input, inputLeft, utf8) == Conversion::Done)
            break;
        // One undecodable byte at a time, so the rest of the line still reads.
        if (static_cast<unsigned char>(*input) < 0x80)
            utf8.append(*input);
        else
            utf8.append(kReplacementCharacter);
        ++input;
        --inputLeft;
        if (converter.valid())
            iconv(converter.descriptor(), nullptr, nullptr, nullptr, nullptr);
    }
    return QString::fromUtf8(utf8);
}

std::optional<QByteArray> EncodeProfileText(const QString& text, ProfileEncoding encoding) {
    if (!QStringView(text).isValidUtf16())
        return std::nullopt;
    const QByteArray utf8 = text.toUtf8();
    if (encoding == ProfileEncoding::Utf8)
        return utf8;

    const Converter converter("CP932", "UTF-8");
    if (!converter.valid())
        return std::nullopt;
    QByteArray encoded;
    const char* input = utf8.constData();
    std::size_t inputLeft = static_cast<std::size_t>(utf8.size());
    if (ConvertSome(converter.descriptor(), input, inputLeft, encoded) != Conversion::Done)
        return std::nullopt;
    return encoded;
}

std::optional<QString> FindProfileValue(QByteArrayView file, const QString& section,
                                        const QString& key) {
    const Profile profile = Parse(file);
    const Place place = Locate(profile, Trimmed(section), Trimmed(key));
    if (!place.key)
        return std::nullopt;
    const Line& line = profile.lines[*place.key];
    const QString value = DecodeProfileBytes(
        file.sliced(line.equals + 1, line.textEnd - line.equals - 1), profile.encoding);
    return Unquoted(Trimmed(value)).toString();
}

std::optional<QByteArray> SetProfileValue(QByteArrayView file, const QString& section,
                                          const QString& key, const QString& value) {
    const QStringView sectionName = Trimmed(section);
    const QStringView keyName = Trimmed(key);
    if (HasLineBreak(value) || !IsWritableSectionName(sectionName) || !IsWritableKeyName(keyName))
        return std::nullopt;

    const Profile profile = Parse(file);
    const auto encodedValue = EncodeProfileText(value, profile.encoding);
    if (!encodedValue)
        return std::nullopt;

    const Place place = Locate(profile, sectionName, keyName);
    if (place.key) {
        const Line& line = profile.lines[*place.key];
        QByteArray result = file.first(line.equals + 1).toByteArray();
        result += *encodedValue;
        result += file.sliced(line.textEnd);
        return result;
    }

    const auto encodedKey = EncodeProfileText(keyName.toString(), profile.encoding);
    if (!encodedKey)
        return std::nullopt;
    const QByteArray keyLine = *encodedKey + '=' + *encodedValue + profile.newline;

    if (place.header) {
        const Line& previous = profile.lines[place.lastEntry];
        QByteArray result = file.first(previous.end).toByteArray();
        if (previous.end == previous.textEnd)
            result += profile.newline;
        result += keyLine;
        result += file.sliced(previous.end);
        return result;
    }

    const auto encodedSection = EncodeProfileText(sectionName.toString(), profile.encoding);
    if (!encodedSection)
        return std::nullopt;
    QByteArray result = file.toByteArray();
    if (!profile.lines.empty() && profile.lines.back().end == profile.lines.back().textEnd)
        result += profile.newline;
    result += '[' + *encodedSection + ']' + profile.newline + keyLine;
    return result;
}

} // namespace zenko::platform
