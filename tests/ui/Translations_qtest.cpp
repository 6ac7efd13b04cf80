#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleOptionGroupBox>
#include <QXmlStreamReader>
#include <QtTest>

#include "BuildPaths.h"
#include "support/TestSupport.h"
#include "ui/AboutDlg.h"
#include "ui/CalibrationDialogs.h"
#include "ui/MainWindowTemplate.h"
#include "ui/SettingsDlg.h"
#include "ui/Translations.h"

using namespace zenko;

namespace {

// Japanese that is data, not a text of the interface: shown as it is in either language.
const QStringList kUntranslatedData{
    // The dialog font's family name, which the layouts are measured in.
    QStringLiteral("ＭＳ Ｐゴシック"),
    // The default of Local_Set_1_Text, a value of the file that the settings dialog writes back.
    QStringLiteral("CS放送"),
};

bool HasJapanese(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
               (u >= 0xFF00 && u <= 0xFFEF);
    });
}

// The Japanese string literals of a C++ file that are not the text of QT_TRANSLATE_NOOP,
// QCoreApplication::translate, tr or QT_TR_NOOP, as "line: text". Comments, character literals
// and strings are matched in one pass, so that none of them is read inside another.
QStringList UnmarkedJapanese(const QString& source) {
    static const QRegularExpression token(QString::fromLatin1(
        R"re(//[^\n]*|/\*[\s\S]*?\*/|'(?:[^'\\\n]|\\.)'|"((?:[^"\\\n]|\\.)*)")re"));
    static const QRegularExpression marked(QString::fromLatin1(
        R"re((?:\b(?:QT_TRANSLATE_NOOP|translate)\s*\(\s*"[^"]*"\s*,|\b(?:tr|QT_TR_NOOP)\s*\()\s*$)re"));
    QStringList unmarked;
    QString code;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : token.globalMatch(source)) {
        code += source.mid(done, match.capturedStart() - done);
        done = match.capturedEnd();
        const bool comment = match.captured().startsWith(u'/');
        const QString text = match.captured(1);
        if (HasJapanese(text) && !kUntranslatedData.contains(text) &&
            !marked.match(code.right(200)).hasMatch()) {
            unmarked << QStringLiteral("%1: \"%2\"")
                            .arg(source.left(match.capturedStart()).count(u'\n') + 1)
                            .arg(text);
        }
        code += comment ? QStringLiteral(" ") : match.captured();
    }
    return unmarked;
}

// Every text of a dialog and what it must fit in; empty when it fits.
QStringList Overflows(QWidget* dialog) {
    QStringList overflows;
    const auto check = [&](QWidget* widget, const QString& text, int room) {
        if (widget->fontMetrics().horizontalAdvance(text) > room) {
            overflows << QStringLiteral("%1 \"%2\" needs %3 px, has %4")
                             .arg(widget->objectName(), text)
                             .arg(widget->fontMetrics().horizontalAdvance(text))
                             .arg(room);
        }
    };
    for (auto* label : dialog->findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            check(label, label->text(), label->contentsRect().width());
        }
    }
    for (auto* button : dialog->findChildren<QPushButton*>()) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        check(button, button->text(), button->width() - margin);
    }
    for (auto* group : dialog->findChildren<QGroupBox*>()) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.textAlignment = group->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, group);
        // The caption stands on the frame line, which must show on both sides of it.
        check(group, group->title(), group->width() - title.left() - 1);
    }
    return overflows;
}

// The texts with Japanese among those the operator sees in a dialog, its menus included, or
// hears from a screen reader.
QStringList JapaneseTexts(QWidget* dialog) {
    QStringList texts{dialog->windowTitle()};
    for (auto* widget : dialog->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(widget);
        auto* button = qobject_cast<QAbstractButton*>(widget);
        auto* group = qobject_cast<QGroupBox*>(widget);
        texts << widget->accessibleName()
              << (label    ? label->text()
                  : button ? button->text()
                  : group  ? group->title()
                           : "");
    }
    for (auto* action : dialog->findChildren<QAction*>()) {
        texts << action->text();
    }
    texts.removeIf([](const QString& text) { return !HasJapanese(text); });
    return texts;
}

const QByteArray kLoopbackIni = "[ZENKO]\nPICNIC_IP_1=127.0.0.1\nPICNIC_IP_2=127.0.0.2\n"
                                "PICNIC_IP_3=127.0.0.3\n";

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT
private slots:
    void everyJapaneseTextIsMarkedForTranslation();
    void everyMarkedTextHasAFinishedEnglishTranslation();
    void englishShowsEveryTextInEnglishWithinItsControl();
    void instanceNameLeadsTheTitle_data();
    void instanceNameLeadsTheTitle();
};

// A Japanese text written without a mark would stay Japanese in the English window.
void TranslationsTest::everyJapaneseTextIsMarkedForTranslation() {
    QStringList unmarked;
    QDirIterator files(QStringLiteral(ZENKO_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
    int scanned = 0;
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        ++scanned;
        for (const QString& text : UnmarkedJapanese(QString::fromUtf8(file.readAll()))) {
            unmarked << file.fileName() + u':' + text;
        }
    }
    QVERIFY(scanned > 50);
    QVERIFY2(unmarked.isEmpty(),
             qPrintable(QStringLiteral("Japanese texts outside QT_TRANSLATE_NOOP, translate() or "
                                       "tr() (see the README on translations):\n") +
                        unmarked.join(u'\n')));
}

// lupdate over the sources, into a copy of the .ts: a marked text missing from the file comes
// out unfinished, a text no longer in the sources comes out vanished.
void TranslationsTest::everyMarkedTextHasAFinishedEnglishTranslation() {
    QTemporaryDir dir;
    const QString ts = dir.filePath(QStringLiteral("zenko_en.ts"));
    QVERIFY(QFile::copy(QStringLiteral(ZENKO_SOURCE_DIR "/src/ui/translations/zenko_en.ts"), ts));
    QFile::setPermissions(ts, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(ZENKO_LUPDATE_PATH),
                  {"-locations", "none", "-source-language", "ja", "-target-language", "en",
                   QStringLiteral(ZENKO_SOURCE_DIR "/src"), "-ts", ts});
    QVERIFY(lupdate.waitForFinished(60000));
    const QByteArray output = lupdate.readAll();
    QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0,
             output.constData());
    QVERIFY2(!output.contains("arning"), output.constData());

    QFile file(ts);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList problems;
    QString context;
    QString source;
    int messages = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            ++messages;
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            const QString translation = xml.readElementText();
            const QString where = context + QStringLiteral(": \"") + source + u'"';
            if (!type.isEmpty()) {
                problems << where + QStringLiteral(" is ") + type;
            } else if (translation.isEmpty()) {
                problems << where + QStringLiteral(" has an empty translation");
            } else if (source.contains(u'&') != translation.contains(u'&') ||
                       source.count(u'%') != translation.count(u'%')) {
                problems << where + QStringLiteral(" and \"") + translation +
                                QStringLiteral("\" differ in mnemonics or placeholders");
            }
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(messages > 80);
    QVERIFY2(problems.isEmpty(),
             qPrintable(QStringLiteral("Translations to bring up to date (see the README on "
                                       "translations):\n") +
                        problems.join(u'\n')));
}

void TranslationsTest::englishShowsEveryTextInEnglishWithinItsControl() {
    ui::Translations translations;
    QVERIFY(translations.install(config::Language::English));
    test::WindowFixture fixture(&kLoopbackIni);
    CControllerDlg& window = *fixture.window;

    QCOMPARE(window.windowTitle(), QStringLiteral("Antenna Controller"));

    ui::CSettingsDlg settings(fixture.profile, fixture.messages, &window);
    ui::CCalPoint1Dlg point1(&window);
    ui::CCalPoint2Dlg point2(&window);
    ui::CAboutDlg about(&window);
    for (QWidget* dialog : std::initializer_list<QWidget*>{&window, &settings, &point1, &point2,
                                                           &about, window.windowMenu()}) {
        const QStringList japanese = JapaneseTexts(dialog);
        QVERIFY2(japanese.isEmpty(), qPrintable(japanese.join(u'\n')));
        const QStringList overflows = Overflows(dialog);
        QVERIFY2(overflows.isEmpty(), qPrintable(overflows.join(u'\n')));
    }

    // The field exchange's refusal, Japanese as designed, then a check's message, English as
    // designed: the refused field stopped the read before the board address was taken.
    fixture.setText(ui::ctl::ControlInterval, QStringLiteral("x"));
    window.OnStart();
    QCOMPARE(fixture.messages.messages,
             (QStringList{"Please enter a positive integer.", "PICNIC IP is invalid !"}));
}

// The window's other start-up key, beside its language.
void TranslationsTest::instanceNameLeadsTheTitle_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("title");
    QTest::newRow("no name") << QByteArray() << QStringLiteral("アンテナコントローラ");
    QTest::newRow("empty") << QByteArray("Instance_Name=\n")
                           << QStringLiteral("アンテナコントローラ");
    QTest::newRow("named") << QByteArray("Instance_Name=dish-2\n")
                           << QStringLiteral("dish-2 - アンテナコントローラ");
}

void TranslationsTest::instanceNameLeadsTheTitle() {
    QFETCH(QByteArray, key);
    QFETCH(QString, title);
    const QByteArray ini = kLoopbackIni + key;
    test::WindowFixture fixture(&ini);
    QCOMPARE(fixture.window->windowTitle(), title);
}

QTEST_MAIN(TranslationsTest)
#include "Translations_qtest.moc"
