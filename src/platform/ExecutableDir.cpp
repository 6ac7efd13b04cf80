#include "platform/ExecutableDir.h"

#include <cstddef>
#include <string>
#include <utility>

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zenko::platform {

namespace {

// The same bound the kernel puts on path resolution, so a loop of links ends.
constexpr int kMaximumLinkHops = 40;
constexpr QLatin1String kDeletedSuffix(" (deleted)");

// readlink() truncates silently, so the buffer grows until the target fits with room to spare.
bool ReadLinkTarget(const QByteArray& link, std::string& target) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(link.constData(), buffer.data(), buffer.size());
        if (length < 0) {
            return false;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            target = std::move(buffer);
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

QString ResolveExecutablePath(const QString& linkPath) {
    QString current = QFileInfo(linkPath).absoluteFilePath();
    std::string target;
    if (!ReadLinkTarget(QFile::encodeName(current), target)) {
        return {};
    }
    for (int hop = 0; hop < kMaximumLinkHops; ++hop) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(target));
        current = QDir::cleanPath(QFileInfo(current).absoluteDir().absoluteFilePath(name));
        if (!ReadLinkTarget(QFile::encodeName(current), target)) {
            break;
        }
    }
    if (current.endsWith(kDeletedSuffix) && !QFileInfo::exists(current)) {
        current.chop(kDeletedSuffix.size());
    }
    return current;
}

QString BaseNameWithoutExtension(const QString& fileName) {
    const QString name = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString ExecutablePath() {
    const QString resolved = ResolveExecutablePath(QStringLiteral("/proc/self/exe"));
    if (!resolved.isEmpty() || QCoreApplication::instance() == nullptr) {
        return resolved;
    }
    return QCoreApplication::applicationFilePath();
}

QString ExecutableDirectory() {
    const QString path = ExecutablePath();
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ExecutableBaseName() {
    return BaseNameWithoutExtension(ExecutablePath());
}

} // namespace zenko::platform
