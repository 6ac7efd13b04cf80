#include <csignal>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "BuildPaths.h"
#include "support/ControllerProcess.h"

// Installs the build with `cmake --install` into a fresh folder, as a station engineer does,
// and runs what was installed.
class InstallTest : public QObject {
    Q_OBJECT
private slots:
    void installedFolderIsCompleteAndRuns_data();
    void installedFolderIsCompleteAndRuns();
};

namespace {

const QString kBuildDir = QStringLiteral(ZENKO_BUILD_DIR);
const QString kCMake = QStringLiteral(ZENKO_CMAKE_COMMAND);
// Without help2man the build writes no manual pages.
constexpr bool kManPages = ZENKO_MAN_PAGES;

QStringList InstalledPrograms() {
    return QStringLiteral(ZENKO_INSTALLED_PROGRAMS).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

// The string level of a desktop entry value: \s \n \t \r \\ stand for one character each.
QString UnescapeDesktopString(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == QLatin1Char('s'))
            text += QLatin1Char(' ');
        else if (next == QLatin1Char('n'))
            text += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            text += QLatin1Char('\t');
        else if (next == QLatin1Char('r'))
            text += QLatin1Char('\r');
        else
            text += next;
    }
    return text;
}

// The arguments of an Exec value whose string level is already undone: blanks separate them,
// double quotes enclose one with \" \` \$ \\ escaped inside, and %% is a percent sign.
QStringList SplitExec(const QString& command) {
    QStringList arguments;
    QString argument;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && i + 1 < command.size())
                argument += command[++i];
            else
                argument += c;
        } else if (c == QLatin1Char(' ')) {
            if (inArgument)
                arguments << argument;
            argument.clear();
            inArgument = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inArgument = true;
        } else {
            argument += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments << argument;
    // Every other percent sign starts a field code, which a launcher would expand or drop.
    for (QString& each : arguments) {
        QString literal;
        for (qsizetype i = 0; i < each.size(); ++i) {
            if (each[i] == QLatin1Char('%') &&
                (i + 1 == each.size() || each[++i] != QLatin1Char('%')))
                return {QStringLiteral("field code in ") + each};
            literal += each[i];
        }
        each = literal;
    }
    return arguments;
}

QMap<QString, QString> ReadDesktopEntry(const QString& path) {
    QMap<QString, QString> entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entry;
    bool inMainGroup = false;
    for (const QByteArray& rawLine : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(rawLine);
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inMainGroup && equals > 0 && !line.startsWith(QLatin1Char('#')))
            entry.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return entry;
}

QProcessEnvironment PlainEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // An inherited staging folder would send the install elsewhere.
    environment.remove(QStringLiteral("DESTDIR"));
    return environment;
}

} // namespace

void InstallTest::installedFolderIsCompleteAndRuns_data() {
    QTest::addColumn<QString>("folderName");
    QTest::newRow("plain") << QStringLiteral("zenko");
    // Blanks and the characters a menu entry must escape, in a Japanese folder name.
    QTest::newRow("blanks, $ and % in a Japanese name") << QStringLiteral("無線局 2 $HOME 100%");
}

void InstallTest::installedFolderIsCompleteAndRuns() {
    QFETCH(QString, folderName);
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QString prefix = temporary.filePath(folderName);
    const QDir installed(prefix);

    QProcess install;
    install.setProcessEnvironment(PlainEnvironment());
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(kCMake,
                  {QStringLiteral("--install"), kBuildDir, QStringLiteral("--prefix"), prefix});
    QVERIFY(install.waitForFinished(120000));
    const QByteArray installLog = install.readAll();
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
             installLog.constData());

    // A plain install stays inside its folder: the package's /usr/share entries and its link
    // of ZENKO.ini to /etc/opt are not part of it.
    QFile manifest(kBuildDir + QStringLiteral("/install_manifest.txt"));
    QVERIFY(manifest.open(QIODevice::ReadOnly));
    const QList<QByteArray> installedFiles = manifest.readAll().trimmed().split('\n');
    QVERIFY(!installedFiles.isEmpty());
    for (const QByteArray& file : installedFiles) {
        const QString path = QString::fromUtf8(file);
        QVERIFY2(QDir::cleanPath(path).startsWith(prefix + QLatin1Char('/')), file.constData());
    }
    const QFileInfo config(installed.filePath(QStringLiteral("ZENKO.ini")));
    QVERIFY(!config.exists() && !config.isSymLink());

    for (const QString& program : InstalledPrograms()) {
        const QFileInfo info(installed.filePath(program));
        QVERIFY2(info.isFile() && info.isExecutable(), qPrintable(program));
    }
    // The tools run from the installed folder, not only from the build tree.
    for (const QString& program : InstalledPrograms()) {
        if (program == QStringLiteral("zenko"))
            continue;
        QProcess tool;
        tool.start(installed.filePath(program), {QStringLiteral("--help")});
        QVERIFY2(tool.waitForFinished(10000), qPrintable(program));
        QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0,
                 qPrintable(program));
        if (!kManPages)
            continue;
        // The page of this very tool, its options included, where man finds it below the prefix.
        QProcess page;
        page.start(QStringLiteral("gzip"),
                   {QStringLiteral("-dc"),
                    installed.filePath(QStringLiteral("share/man/man1/%1.1.gz").arg(program))});
        QVERIFY2(page.waitForFinished(10000) && page.exitCode() == 0, qPrintable(program));
        const QString text = QString::fromUtf8(page.readAllStandardOutput());
        const QRegularExpression title(
            QStringLiteral("^\\.TH %1 \"1\" \"[^\"]*\" \"%2 \\d+\\.\\d+\\.\\d+\"")
                .arg(program.toUpper(), program),
            QRegularExpression::MultilineOption);
        QVERIFY2(title.match(text).hasMatch(), qPrintable(text.left(400)));
        QVERIFY2(text.contains(QStringLiteral("\\fB\\-\\-port\\fR")), qPrintable(program));
    }

    for (const int size : {16, 32}) {
        const QString path = installed.filePath(
            QStringLiteral("share/icons/hicolor/%1x%1/apps/zenko.png").arg(size));
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), QSize(size, size));
    }

    const QMap<QString, QString> entry =
        ReadDesktopEntry(installed.filePath(QStringLiteral("share/applications/zenko.desktop")));
    QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("ZENKO"));
    QCOMPARE(entry.value(QStringLiteral("Name[ja]")), QStringLiteral("アンテナコントローラ"));
    QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("zenko"));
    QVERIFY(entry.value(QStringLiteral("Categories"))
                .split(QLatin1Char(';'))
                .contains(QStringLiteral("HamRadio")));
    const QStringList command =
        SplitExec(UnescapeDesktopString(entry.value(QStringLiteral("Exec"))));
    QCOMPARE(command, QStringList{installed.filePath(QStringLiteral("zenko"))});

    // The installed program with a ZENKO.ini beside it that keeps every address on loopback.
    QFile ini(installed.filePath(QStringLiteral("ZENKO.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[ZENKO]\nPICNIC_IP_1=127.0.0.1\nPICNIC_IP_2=127.0.0.2\nPICNIC_IP_3=127.0.0.3\n");
    ini.close();
    QProcess program;
    zenko::test::StartController(program, command.first());
    QByteArray printed;
    const zenko::test::ControllerStartup startup = zenko::test::AwaitStartup(program, printed);
    if (startup.anotherCopyRuns) {
        QSKIP(zenko::test::kAnotherControllerRuns);
    }
    QVERIFY2(startup.up, startup.failure.constData());
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_MAIN(InstallTest)
#include "Install_qtest.moc"
