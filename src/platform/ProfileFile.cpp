#include "platform/ProfileFile.h"

#include <cerrno>
#include <charconv>
#include <iterator>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "platform/Journal.h"
#include "platform/Numbers.h"
#include "platform/ProfileText.h"

namespace zenko::platform {

namespace {

std::optional<QByteArray> ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return contents;
}

std::optional<QString> ReadValue(const QString& path, const QString& section, const QString& key) {
    const auto contents = ReadWholeFile(path);
    if (!contents)
        return std::nullopt;
    return FindProfileValue(*contents, section, key);
}

// Never ends on the first half of a surrogate pair.
QString Truncated(QString text) {
    if (text.size() > ProfileFile::kMaxTextLength) {
        const bool splitsPair = text[ProfileFile::kMaxTextLength - 1].isHighSurrogate();
        text.truncate(splitsPair ? ProfileFile::kMaxTextLength - 1 : ProfileFile::kMaxTextLength);
    }
    return text;
}

// A new file gets the permissions any program's new file would. The mask can only be read by
// setting it; the controller writes its profile from its one thread, so the moment in which
// the mask is zero cannot affect another file.
int NewFilePermissions() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<int>(0666 & ~mask);
}

// Writing through a symbolic link must update the file it points to, not replace the link.
QString WriteTarget(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

// Makes the rename durable. Not every file system can sync a directory, and by now the new
// contents are in place, so a failure here does not make the write a failure.
void SyncDirectory(const QByteArray& directory) {
    const int descriptor = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

} // namespace

ProfileFile::ProfileFile(QString path) : m_path(std::move(path)) {}

std::int32_t ProfileFile::readInt(const QString& section, const QString& key,
                                  std::int32_t fallback) const {
    const auto value = ReadValue(m_path, section, key);
    return value ? LenientToInt(*value) : fallback;
}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& fallback) const {
    return Truncated(ReadValue(m_path, section, key).value_or(fallback));
}

std::optional<QString> ProfileFile::readOptionalString(const QString& section,
                                                       const QString& key) const {
    const auto value = ReadValue(m_path, section, key);
    if (!value) {
        return std::nullopt;
    }
    return Truncated(*value);
}

bool ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    if (writeValue(section, key, value)) {
        return true;
    }
    qCWarning(journalConfig).noquote()
        << QStringLiteral("could not write %1 in [%2] of %3").arg(key, section, m_path);
    return false;
}

bool ProfileFile::writeValue(const QString& section, const QString& key, const QString& value) {
    const QString target = WriteTarget(m_path);
    QByteArray original;
    int permissions = NewFilePermissions();
    struct stat status {};
    if (::stat(QFile::encodeName(target).constData(), &status) == 0) {
        // A file that exists but cannot be read must not be replaced by one holding only the
        // new key.
        const auto contents = S_ISREG(status.st_mode) ? ReadWholeFile(target) : std::nullopt;
        if (!contents)
            return false;
        original = *contents;
        permissions = static_cast<int>(status.st_mode & 07777);
    } else if (errno != ENOENT) {
        return false;
    }
    const auto updated = SetProfileValue(original, section, key, value);
    return updated && replaceFile(target, *updated, permissions);
}

bool ProfileFile::writeInt(const QString& section, const QString& key, std::int32_t value) {
    char digits[16];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
    return writeString(section, key,
                       QString::fromLatin1(digits, static_cast<qsizetype>(result.ptr - digits)));
}

std::ptrdiff_t ProfileFile::writeBytes(int descriptor, const char* data, std::size_t size) {
    return ::write(descriptor, data, size);
}

// The new contents go to a temporary beside the target and are renamed over it only when
// complete and on disk, so a crash leaves either the old file or the new one, never a mix.
bool ProfileFile::replaceFile(const QString& target, const QByteArray& contents, int permissions) {
    const QFileInfo info(target);
    const QByteArray directory = QFile::encodeName(info.absolutePath());
    QByteArray temporary = directory + "/." + QFile::encodeName(info.fileName()) + ".XXXXXX";
    int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
        return false;

    const auto abandon = [&] {
        if (descriptor >= 0)
            ::close(descriptor);
        ::unlink(temporary.constData());
        return false;
    };

    if (::fchmod(descriptor, static_cast<mode_t>(permissions)) != 0)
        return abandon();
    const char* data = contents.constData();
    std::size_t left = static_cast<std::size_t>(contents.size());
    while (left > 0) {
        const std::ptrdiff_t written = writeBytes(descriptor, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return abandon();
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fsync(descriptor) != 0)
        return abandon();
    const int closed = ::close(descriptor);
    descriptor = -1;
    if (closed != 0)
        return abandon();
    if (::rename(temporary.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) !=
        0)
        return abandon();
    SyncDirectory(directory);
    return true;
}

} // namespace zenko::platform
