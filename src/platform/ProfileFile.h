#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QString>

// An INI file read and written the way the controller's configuration always was: by section
// and key, names matched without regard to case, every other byte of the file left alone.
namespace zenko::platform {

class ProfileFile {
public:
    // The buffer the controller has always read its texts into held 4096 characters with the
    // terminator.
    static constexpr qsizetype kMaxTextLength = 4095;

    explicit ProfileFile(QString path);
    virtual ~ProfileFile() = default;
    ProfileFile(const ProfileFile&) = default;
    ProfileFile& operator=(const ProfileFile&) = default;

    const QString& path() const { return m_path; }

    // Absent key: the default. Otherwise the value's leading decimal integer (LenientToInt),
    // 0 when the value does not begin with a number.
    std::int32_t readInt(const QString& section, const QString& key, std::int32_t fallback) const;

    // Absent key: the default. At most kMaxTextLength characters are returned, one fewer when
    // the last would be the first half of a surrogate pair.
    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    // Nothing for an absent key, so that a present empty value can be told from it.
    std::optional<QString> readOptionalString(const QString& section, const QString& key) const;

    // Replaces the key's value (or appends the key, the section, or creates the file), keeping
    // every other line, line ending and the file's encoding byte for byte; the file is replaced
    // atomically. Returns false when the file could not be written (the old file then stands).
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, std::int32_t value);

protected:
    // Every byte of a new file goes through here, with the contract of ::write (bytes written,
    // or -1 and errno). A test overrides it to make a write fail midway.
    virtual std::ptrdiff_t writeBytes(int descriptor, const char* data, std::size_t size);

private:
    bool writeValue(const QString& section, const QString& key, const QString& value);
    bool replaceFile(const QString& target, const QByteArray& contents, int permissions);

    QString m_path;
};

} // namespace zenko::platform
