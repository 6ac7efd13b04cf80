#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The text rules of the INI file, on the file's bytes and without touching the disk, so that
// ProfileFile only has to read, and atomically replace, whole files.
namespace zenko::platform {

// A file that is valid UTF-8 (or starts with the UTF-8 byte order mark) is UTF-8; anything
// else came over from Windows and is CP932 (Shift_JIS with the Microsoft extensions).
enum class ProfileEncoding { Utf8, Cp932 };

ProfileEncoding DetectProfileEncoding(QByteArrayView file);

// Never fails: a byte sequence that does not decode becomes U+FFFD.
QString DecodeProfileBytes(QByteArrayView bytes, ProfileEncoding encoding);

// Nothing when the text holds a character the encoding cannot represent.
std::optional<QByteArray> EncodeProfileText(const QString& text, ProfileEncoding encoding);

// The value of the first `key` in the first section named `section`, blanks around it and one
// pair of matching quotes removed; nothing when the section or the key is absent.
std::optional<QString> FindProfileValue(QByteArrayView file, const QString& section,
                                        const QString& key);

// The whole file after setting `key` in `section` to `value`, every byte outside the changed
// or added lines untouched. Nothing when the change cannot be written faithfully: a value
// holding a line break, a name that could not be read back as written, or a character the
// file's encoding cannot represent.
std::optional<QByteArray> SetProfileValue(QByteArrayView file, const QString& section,
                                          const QString& key, const QString& value);

} // namespace zenko::platform
