#include "platform/ProfileFile.h"
#include "platform/ProfileText.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zenko::platform {
namespace {

// "CS放送" and "BS放送" as a Windows editor saved them.
constexpr const char* kCsHousouCp932 = "CS\x95\xfa\x91\x97";
constexpr const char* kBsHousouCp932 = "BS\x95\xfa\x91\x97";

std::string Shown(const std::optional<QString>& value) {
    return value ? value->toStdString() : std::string("<absent>");
}

std::string Shown(const std::optional<QByteArray>& bytes) {
    return bytes ? bytes->toStdString() : std::string("<refused>");
}

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

std::optional<QByteArray> ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QStringList Entries(const QString& directory) {
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

struct FindCase {
    const char* name;
    const char* file;
    const char* section;
    const char* key;
    std::optional<const char*> expected;
};

TEST(ProfileText, FindsValuesTheWayTheControllerReadsThem) {
    const FindCase cases[] = {
        {"section and key ignore ASCII case", "[Main]\nRelayPort=5000\n", "MAIN", "relayport",
         "5000"},
        {"blanks around the header", "  [ Main ]\t\nk=1\n", "main", "k", "1"},
        {"blanks around key and value", "[s]\n\t k \t=  v w \t\n", "s", "k", "v w"},
        {"blanks around the requested names", "[s]\nk=1\n", " s ", " k\t", "1"},
        {"double quotes removed", "[s]\nk=\"a b\"\n", "s", "k", "a b"},
        {"single quotes removed", "[s]\nk='a b'\n", "s", "k", "a b"},
        {"blanks inside quotes kept", "[s]\nk = ' a ' \n", "s", "k", " a "},
        {"only one pair removed", "[s]\nk=\"\"x\"\"\n", "s", "k", "\"x\""},
        {"mismatched quotes kept", "[s]\nk='a\"\n", "s", "k", "'a\""},
        {"a lone quote kept", "[s]\nk=\"\n", "s", "k", "\""},
        {"quotes only at one end kept", "[s]\nk=\"a\n", "s", "k", "\"a"},
        {"empty quotes give an empty value", "[s]\nk=''\n", "s", "k", ""},
        {"empty value is present", "[s]\nk=\n", "s", "k", ""},
        {"value may hold '='", "[s]\nk=a=b\n", "s", "k", "a=b"},
        {"semicolon after a value is part of it", "[s]\nk=v ; note\n", "s", "k", "v ; note"},
        {"first duplicate key wins", "[s]\nk=first\nK=second\n", "s", "k", "first"},
        {"first duplicate section is the one used", "[s]\nk=1\n[S]\nk=2\nj=3\n", "s", "k", "1"},
        {"keys of a later duplicate section are not seen", "[s]\nk=1\n[S]\nj=3\n", "s", "j",
         std::nullopt},
        {"commented key", "[s]\n;k=1\n", "s", "k", std::nullopt},
        {"indented comment", "[s]\n   ; k=1\nk=2\n", "s", "k", "2"},
        {"line without '=' ignored", "[s]\nnoise\nk=1\n", "s", "k", "1"},
        {"key before any section", "k=1\n[s]\n", "s", "k", std::nullopt},
        {"key of another section", "[a]\nk=1\n[b]\nj=2\n", "b", "k", std::nullopt},
        {"missing section", "[a]\nk=1\n", "b", "k", std::nullopt},
        {"empty file", "", "s", "k", std::nullopt},
        {"no line ending at the end", "[s]\nk=last", "s", "k", "last"},
        {"CRLF endings", "[s]\r\nk=v\r\n", "s", "k", "v"},
        {"byte order mark before the first header", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
        {"UTF-8 Japanese", "[局]\n名前=CS放送\n", "局", "名前", "CS放送"},
        {"CP932 value", "[s]\r\nk=CS\x95\xfa\x91\x97\r\n", "s", "k", "CS放送"},
        // ー is 0x81 0x5B: its second byte is '[' and must not start a header.
        {"CP932 names", "[\x83\x66\x81\x5b\x83\x5e]\n\x81\x5b=1\n", "データ", "ー", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto expected = c.expected ? std::optional<QString>(Utf8(*c.expected)) : std::nullopt;
        EXPECT_EQ(Shown(FindProfileValue(QByteArray(c.file), Utf8(c.section), Utf8(c.key))),
                  Shown(expected));
    }
}

struct SetCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

TEST(ProfileText, ChangesOnlyTheOneValue) {
    const SetCase cases[] = {
        {"replace keeps indentation, key spelling and other lines",
         "; settings\n[Main]\n  RelayPort = 5000 ; board\nOther=1\n\n[Next]\nRelayPort=7\n", "main",
         "relayport", "6000",
         "; settings\n[Main]\n  RelayPort =6000\nOther=1\n\n[Next]\nRelayPort=7\n"},
        {"replace only the first duplicate", "[s]\nk=1\nk=2\n", "s", "k", "9", "[s]\nk=9\nk=2\n"},
        {"replace in the first duplicate section", "[s]\nk=1\n[s]\nk=2\n", "s", "k", "9",
         "[s]\nk=9\n[s]\nk=2\n"},
        {"replace a quoted value", "[s]\nk=\"old\"\n", "s", "k", "new", "[s]\nk=new\n"},
        {"replace with an empty value", "[s]\nk=1\n", "s", "k", "", "[s]\nk=\n"},
        {"replace the last line without ending", "[s]\nk=1", "s", "k", "2", "[s]\nk=2"},
        {"append a key before the blank line and comment of the next section",
         "[a]\nx=1\n\n; about b\n[b]\ny=2\n", "a", "z", "3",
         "[a]\nx=1\nz=3\n\n; about b\n[b]\ny=2\n"},
        {"append a key after a trailing comment's section content", "[a]\nx=1\n; old\n", "a", "z",
         "3", "[a]\nx=1\nz=3\n; old\n"},
        {"append a key after a line without '='", "[a]\nnoise\n\n[b]\n", "a", "z", "3",
         "[a]\nnoise\nz=3\n\n[b]\n"},
        {"append a key to an empty section", "[a]\n\n[b]\ny=2\n", "a", "z", "3",
         "[a]\nz=3\n\n[b]\ny=2\n"},
        {"append a key to the last section without ending", "[a]\nx=1", "a", "z", "3",
         "[a]\nx=1\nz=3\n"},
        {"append a key to a header without ending", "[a]", "a", "z", "3", "[a]\nz=3\n"},
        {"append a commented-out key", "[a]\n;z=0\n", "a", "z", "3", "[a]\nz=3\n;z=0\n"},
        {"append a section", "[a]\nx=1\n", "b", "z", "3", "[a]\nx=1\n[b]\nz=3\n"},
        {"append a section after a last line without ending", "[a]\nx=1", "b", "z", "3",
         "[a]\nx=1\n[b]\nz=3\n"},
        {"append a section after trailing blank lines", "[a]\nx=1\n\n", "b", "z", "3",
         "[a]\nx=1\n\n[b]\nz=3\n"},
        {"create the contents", "", "b", "z", "3", "[b]\nz=3\n"},
        {"names are written trimmed", "", " b ", "\tz ", "3", "[b]\nz=3\n"},
        {"value is written as given", "[s]\nk=1\n", "s", "k", " 'q' ", "[s]\nk= 'q' \n"},
        {"CRLF kept on a replaced line", "[s]\r\nk=1\r\n", "s", "k", "2", "[s]\r\nk=2\r\n"},
        {"CRLF for an appended key", "[a]\r\nx=1\r\n\r\n[b]\r\n", "a", "z", "3",
         "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\n"},
        {"CRLF for an appended section", "[a]\r\nx=1", "b", "z", "3",
         "[a]\r\nx=1\r\n[b]\r\nz=3\r\n"},
        {"mixed: added lines follow the first ending", "[a]\nx=1\r\n[b]\r\ny=2\r\n", "b", "z", "3",
         "[a]\nx=1\r\n[b]\r\ny=2\r\nz=3\n"},
        {"mixed: a replaced line keeps its own ending", "[a]\r\nx=1\ny=2\r\n", "a", "x", "5",
         "[a]\r\nx=5\ny=2\r\n"},
        {"byte order mark kept", "\xEF\xBB\xBF[a]\nx=1\n", "a", "x", "2", "\xEF\xBB\xBF[a]\nx=2\n"},
        {"a file holding only a byte order mark", "\xEF\xBB\xBF", "a", "x", "1",
         "\xEF\xBB\xBF[a]\nx=1\n"},
        {"UTF-8 Japanese value", "[局]\n名前=BS\n", "局", "名前", "CS放送", "[局]\n名前=CS放送\n"},
        {"CP932 value replaced in CP932, other lines untouched",
         "; \x83\x52\x83\x81\x83\x93\x83\x67\r\n[s]\r\nk=CS\x95\xfa\x91\x97\r\nj=\x81\x5b\r\n", "s",
         "k", "BS放送",
         "; \x83\x52\x83\x81\x83\x93\x83\x67\r\n[s]\r\nk=BS\x95\xfa\x91\x97\r\nj=\x81\x5b\r\n"},
        {"CP932 key and section appended in CP932", "[s]\r\nk=CS\x95\xfa\x91\x97\r\n", "データ",
         "ー", "放送",
         "[s]\r\nk=CS\x95\xfa\x91\x97\r\n[\x83\x66\x81\x5b\x83\x5e]\r\n\x81\x5b="
         "\x95\xfa\x91\x97\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Shown(SetProfileValue(QByteArray(c.before), Utf8(c.section), Utf8(c.key),
                                        Utf8(c.value))),
                  std::string(c.after));
    }
}

TEST(ProfileText, RefusesChangesThatCouldNotBeReadBack) {
    const QString loneSurrogate(QChar(0xD800));
    const struct {
        const char* name;
        QByteArray before;
        QString section;
        QString key;
        QString value;
    } cases[] = {
        {"line feed in the value", "[s]\nk=1\n", "s", "k", "a\nb"},
        {"carriage return in the value", "[s]\nk=1\n", "s", "k", "a\rb"},
        {"trailing CRLF in the value", "", "s", "k", "a\r\n"},
        {"line break in the section", "", "s\nt", "k", "1"},
        {"line break in the key", "", "s", "k\rj", "1"},
        {"empty section", "", " ", "k", "1"},
        {"empty key", "[s]\n", "s", "", "1"},
        {"'=' in the key", "[s]\n", "s", "a=b", "1"},
        {"key read as a comment", "[s]\n", "s", ";k", "1"},
        {"key read as a header", "[s]\n", "s", "[k]", "1"},
        {"broken UTF-16 in the value", "[s]\n", "s", "k", loneSurrogate},
        {"value outside CP932", QByteArray("[s]\nk=") + kCsHousouCp932, "s", "k", Utf8("한")},
        {"emoji outside CP932", QByteArray("[s]\nk=") + kCsHousouCp932, "s", "k", Utf8("😀")},
        {"accent outside CP932", QByteArray("[s]\nk=") + kCsHousouCp932, "s", "k", Utf8("é")},
        {"new key outside CP932", QByteArray("[s]\nk=") + kCsHousouCp932, "s", Utf8("é"), "1"},
        {"new section outside CP932", QByteArray("[s]\nk=") + kCsHousouCp932, Utf8("é"), "k", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Shown(SetProfileValue(c.before, c.section, c.key, c.value)), "<refused>");
    }
}

TEST(ProfileText, TellsUtf8FromCp932) {
    const struct {
        const char* name;
        QByteArray bytes;
        ProfileEncoding expected;
    } cases[] = {
        {"empty", "", ProfileEncoding::Utf8},
        {"ASCII", "[s]\nk=1\n", ProfileEncoding::Utf8},
        {"UTF-8 Japanese", "k=放送", ProfileEncoding::Utf8},
        {"four-byte UTF-8", "k=😀", ProfileEncoding::Utf8},
        {"CP932", QByteArray("k=") + kCsHousouCp932, ProfileEncoding::Cp932},
        {"overlong UTF-8", "k=\xC0\xAF", ProfileEncoding::Cp932},
        {"UTF-8 surrogate", "k=\xED\xA0\x80", ProfileEncoding::Cp932},
        {"beyond U+10FFFF", "k=\xF4\x90\x80\x80", ProfileEncoding::Cp932},
        {"cut sequence at the end", "k=\xE6\x94", ProfileEncoding::Cp932},
        {"byte order mark decides", "\xEF\xBB\xBFk=\x95\xfa", ProfileEncoding::Utf8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetectProfileEncoding(c.bytes), c.expected);
    }
}

TEST(ProfileText, Cp932DecodingSurvivesBadBytes) {
    const struct {
        const char* name;
        QByteArray bytes;
        const char* expected;
    } cases[] = {
        {"valid", "CS\x95\xfa\x91\x97", "CS放送"},
        {"byte that is no character",
         "A\xFF"
         "B",
         "A\xEF\xBF\xBD"
         "B"},
        {"lead byte without its trail", "A\x81=1", "A\xEF\xBF\xBD=1"},
        {"lead byte at the end", "A\x81", "A\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeProfileBytes(c.bytes, ProfileEncoding::Cp932).toStdString(),
                  std::string(c.expected));
    }
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString& name = "ZENKO.ini") const { return m_dir.filePath(name); }
    QString directory() const { return m_dir.path(); }

    QTemporaryDir m_dir;
};

TEST_F(ProfileFileTest, ReadsStringsWithFallbacks) {
    WriteBytes(path(), "[Main]\nName=CS放送\nEmpty=\nQuoted=\"\"\n");
    const ProfileFile profile(path());
    EXPECT_EQ(profile.readString("main", "name", "x").toStdString(), "CS放送");
    EXPECT_EQ(profile.readString("Main", "Empty", "fallback").toStdString(), "");
    EXPECT_EQ(profile.readString("Main", "Quoted", "fallback").toStdString(), "");
    EXPECT_EQ(profile.readString("Main", "Missing", "fallback").toStdString(), "fallback");
    EXPECT_EQ(profile.readString("Other", "Name", "fallback").toStdString(), "fallback");

    const ProfileFile missing(path("absent.ini"));
    EXPECT_EQ(missing.readString("Main", "Name", "fallback").toStdString(), "fallback");
    EXPECT_EQ(missing.readInt("Main", "Name", -7), -7);

    ASSERT_TRUE(QDir(directory()).mkdir("folder.ini"));
    const ProfileFile folder(path("folder.ini"));
    EXPECT_EQ(folder.readString("Main", "Name", "fallback").toStdString(), "fallback");
}

TEST_F(ProfileFileTest, ReadsIntegersLeniently) {
    const struct {
        const char* line;
        std::int32_t expected;
    } cases[] = {
        {"k=65535", 65535},
        {"k=abc", 0},
        {"k=12abc", 12},
        {"k=  -3", -3},
        {"k=+7", 7},
        {"k='42'", 42},
        {"k=\" 8 \"", 8},
        {"k=", 0},
        {"k=99999999999", INT32_MAX},
        {"k=-99999999999", INT32_MIN},
        {"k=1.9", 1},
        {"k=0x10", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        WriteBytes(path(), QByteArray("[s]\n") + c.line + "\n");
        EXPECT_EQ(ProfileFile(path()).readInt("s", "k", 1234), c.expected);
    }
    EXPECT_EQ(ProfileFile(path()).readInt("s", "absent", 1234), 1234);
}

TEST_F(ProfileFileTest, TruncatesLongStrings) {
    const QString pair = Utf8("😀");
    const struct {
        const char* name;
        QString value;
        QString expected;
    } cases[] = {
        {"exactly the limit", QString(4095, 'x'), QString(4095, 'x')},
        {"beyond the limit", QString(5000, 'y'), QString(4095, 'y')},
        {"a surrogate pair across the limit is dropped whole", QString(4094, 'z') + pair,
         QString(4094, 'z')},
        {"a surrogate pair ending at the limit is kept", QString(4093, 'z') + pair + "tail",
         QString(4093, 'z') + pair},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path(), "[s]\nk=" + c.value.toUtf8() + "\n");
        EXPECT_EQ(ProfileFile(path()).readString("s", "k", ""), c.expected);
    }
}

TEST_F(ProfileFileTest, WritesKeepEveryOtherByte) {
    const struct {
        const char* name;
        std::optional<QByteArray> before;
        const char* section;
        const char* key;
        const char* value;
        QByteArray after;
    } cases[] = {
        {"replace a value", "; ZENKO\r\n[Main]\r\n Port = 5000\r\n\r\n[Calib]\r\nA=1\r\n", "MAIN",
         "port", "6000", "; ZENKO\r\n[Main]\r\n Port =6000\r\n\r\n[Calib]\r\nA=1\r\n"},
        {"append a key to a section followed by another", "[Main]\nPort=5000\n\n[Calib]\nA=1\n",
         "Main", "Host", "127.0.0.1", "[Main]\nPort=5000\nHost=127.0.0.1\n\n[Calib]\nA=1\n"},
        {"append a section", "[Main]\r\nPort=5000", "Calib", "A", "2",
         "[Main]\r\nPort=5000\r\n[Calib]\r\nA=2\r\n"},
        {"create the file", std::nullopt, "Main", "Port", "5000", "[Main]\nPort=5000\n"},
        {"Japanese UTF-8", "[Main]\nName=x\n", "Main", "Name", "CS放送", "[Main]\nName=CS放送\n"},
        {"CP932 stays CP932",
         QByteArray("; \x83\x52\x83\x81\x83\x93\x83\x67\r\n[Main]\r\nName=") + kCsHousouCp932 +
             "\r\nPort=1\r\n",
         "Main", "Name", "BS放送",
         QByteArray("; \x83\x52\x83\x81\x83\x93\x83\x67\r\n[Main]\r\nName=") + kBsHousouCp932 +
             "\r\nPort=1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        if (c.before)
            WriteBytes(path(), *c.before);
        ProfileFile profile(path());
        ASSERT_TRUE(profile.writeString(Utf8(c.section), Utf8(c.key), Utf8(c.value)));
        EXPECT_EQ(Shown(ReadBytes(path())), c.after.toStdString());
        EXPECT_EQ(profile.readString(Utf8(c.section), Utf8(c.key), "fallback").toStdString(),
                  std::string(c.value));
        EXPECT_EQ(Entries(directory()), QStringList{"ZENKO.ini"});
    }
}

TEST_F(ProfileFileTest, WritesIntegersAsSignedDecimals) {
    const struct {
        std::int32_t value;
        const char* text;
    } cases[] = {{-3, "-3"}, {10005, "10005"}, {0, "0"}, {INT32_MIN, "-2147483648"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ProfileFile profile(path());
        ASSERT_TRUE(profile.writeInt("s", "k", c.value));
        EXPECT_EQ(Shown(ReadBytes(path())), std::string("[s]\nk=") + c.text + "\n");
        EXPECT_EQ(profile.readInt("s", "k", 99), c.value);
    }
}

TEST_F(ProfileFileTest, RefusedValueLeavesTheFileAlone) {
    ProfileFile profile(path());
    EXPECT_FALSE(profile.writeString("s", "k", "a\nb"));
    EXPECT_FALSE(QFile::exists(path()));

    const QByteArray before = QByteArray("[s]\r\nk=") + kCsHousouCp932 + "\r\n";
    WriteBytes(path(), before);
    for (const char* value : {"a\r\nb", "a\rb", "한"}) {
        SCOPED_TRACE(value);
        EXPECT_FALSE(profile.writeString("s", "k", Utf8(value)));
        EXPECT_EQ(Shown(ReadBytes(path())), before.toStdString());
        EXPECT_EQ(Entries(directory()), QStringList{"ZENKO.ini"});
    }
}

TEST_F(ProfileFileTest, KeepsPermissionsAndFollowsLinks) {
    WriteBytes(path(), "[s]\nk=1\n");
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadGroup | QFile::ExeOther));
    ASSERT_TRUE(QFile::link(path(), path("link.ini")));

    ProfileFile viaLink(path("link.ini"));
    ASSERT_TRUE(viaLink.writeString("s", "k", "2"));
    EXPECT_TRUE(QFileInfo(path("link.ini")).isSymLink());
    EXPECT_EQ(Shown(ReadBytes(path())), "[s]\nk=2\n");
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0641u);

    const mode_t previousMask = ::umask(027);
    const bool created = ProfileFile(path("new.ini")).writeString("s", "k", "1");
    ::umask(previousMask);
    ASSERT_TRUE(created);
    ASSERT_EQ(::stat(QFile::encodeName(path("new.ini")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// The superuser writes into a read-only directory regardless, so that case is only checked
// where the permission bits actually hold.
bool DirectoryRefusesWrites(const QString& directory) {
    QFile probe(directory + "/probe");
    if (!probe.open(QIODevice::WriteOnly))
        return true;
    probe.remove();
    return false;
}

TEST_F(ProfileFileTest, UnwritablePlacesReportFailure) {
    WriteBytes(path("plain-file"), "x");
    ASSERT_TRUE(QDir(directory()).mkdir("folder.ini"));
    const struct {
        const char* name;
        QString path;
    } cases[] = {
        {"missing directory", path("missing/ZENKO.ini")},
        {"directory is a file", path("plain-file/ZENKO.ini")},
        {"target is a directory", path("folder.ini")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ProfileFile(c.path).writeString("s", "k", "1"));
    }
    EXPECT_EQ(Shown(ReadBytes(path("plain-file"))), "x");

    QDir(directory()).mkdir("locked");
    const QString locked = path("locked");
    WriteBytes(locked + "/ZENKO.ini", "[s]\nk=1\n");
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    if (DirectoryRefusesWrites(locked)) {
        EXPECT_FALSE(ProfileFile(locked + "/ZENKO.ini").writeString("s", "k", "2"));
        EXPECT_EQ(Shown(ReadBytes(locked + "/ZENKO.ini")), "[s]\nk=1\n");
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Writes through ::write in pieces, and can run out of room after a number of bytes.
class StingyProfileFile : public ProfileFile {
public:
    StingyProfileFile(QString path, std::size_t room, std::size_t piece, bool interruptFirst)
        : ProfileFile(std::move(path)), m_room(room), m_piece(piece), m_interrupt(interruptFirst) {}

protected:
    std::ptrdiff_t writeBytes(int descriptor, const char* data, std::size_t size) override {
        if (m_interrupt) {
            m_interrupt = false;
            errno = EINTR;
            return -1;
        }
        if (m_room == 0) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t allowed = std::min({size, m_room, m_piece});
        const std::ptrdiff_t written = ProfileFile::writeBytes(descriptor, data, allowed);
        if (written > 0)
            m_room -= static_cast<std::size_t>(written);
        return written;
    }

private:
    std::size_t m_room;
    std::size_t m_piece;
    bool m_interrupt;
};

TEST_F(ProfileFileTest, InterruptedWriteLeavesTheOldFile) {
    const QByteArray before = "; keep\n[Main]\nPort=5000\nHost=127.0.0.1\n";
    const QByteArray after = "; keep\n[Main]\nPort=6000\nHost=127.0.0.1\n";
    const auto size = static_cast<std::size_t>(after.size());
    const struct {
        const char* name;
        std::size_t room;
        std::size_t piece;
        bool interruptFirst;
        bool succeeds;
    } cases[] = {
        {"no room at all", 0, SIZE_MAX, false, false},
        {"room runs out midway", 10, 4, false, false},
        {"one byte short", size - 1, SIZE_MAX, false, false},
        {"short writes all land", size, 3, false, true},
        {"interrupted by a signal, then completes", size, SIZE_MAX, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path(), before);
        StingyProfileFile profile(path(), c.room, c.piece, c.interruptFirst);
        EXPECT_EQ(profile.writeString("main", "port", "6000"), c.succeeds);
        EXPECT_EQ(Shown(ReadBytes(path())), (c.succeeds ? after : before).toStdString());
        EXPECT_EQ(Entries(directory()), QStringList{"ZENKO.ini"});
    }
}

} // namespace
} // namespace zenko::platform
