#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
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
#include "ui/WindowMenu.h"

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

struct Literal {
    QString text;
    int line;
    // What precedes the literal on its lines, comments blanked out.
    QString before;
};

// The string literals of a C++ file. Enough of C++ for this tree, which has no raw strings:
// comments, escapes, character literals and digit separators.
QList<Literal> StringLiterals(const QString& source) {
    QList<Literal> literals;
    QString code = source;
    int line = 1;
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source[i];
        const QChar next = i + 1 < source.size() ? source[i + 1] : QChar();
        if (c == u'\n') {
            ++line;
        } else if (c == u'/' && next == u'/') {
            while (i < source.size() && source[i] != u'\n') {
                code[i++] = u' ';
            }
            --i;
        } else if (c == u'/' && next == u'*') {
            const qsizetype end = source.indexOf(QLatin1String("*/"), i + 2);
            const qsizetype stop = end < 0 ? source.size() : end + 2;
            for (; i < stop; ++i) {
                line += source[i] == u'\n' ? 1 : 0;
                code[i] = source[i] == u'\n' ? u'\n' : u' ';
            }
            --i;
        } else if (c == u'\'' && i > 0 && source[i - 1].isLetterOrNumber()) {
            continue;
        } else if (c == u'"' || c == u'\'') {
            const qsizetype start = i;
            QString text;
            for (++i; i < source.size() && source[i] != c && source[i] != u'\n'; ++i) {
                if (source[i] == u'\\' && i + 1 < source.size()) {
                    text += source[i++];
                }
                text += source[i];
            }
            if (c == u'"') {
                const qsizetype from = std::max<qsizetype>(0, start - 200);
                literals.append({text, line, code.mid(from, start - from)});
            }
        }
    }
    return literals;
}

// The literal is the text of QT_TRANSLATE_NOOP, QCoreApplication::translate, tr or QT_TR_NOOP.
bool MarkedForTranslation(const Literal& literal) {
    static const QRegularExpression marked(QStringLiteral(
        R"((?:(?:\bQT_TRANSLATE_NOOP|\btranslate)\s*\(\s*"[^"]*"\s*,|(?:\btr|\bQT_TR_NOOP)\s*\()\s*$)"));
    return marked.match(literal.before).hasMatch();
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

// Every text the operator sees in a dialog or hears from a screen reader.
QStringList VisibleTexts(QWidget* dialog) {
    QStringList texts{dialog->windowTitle()};
    for (auto* widget : dialog->findChildren<QWidget*>()) {
        texts << widget->accessibleName();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            texts << label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            texts << button->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            texts << group->title();
        }
    }
    for (auto* action : dialog->findChildren<QAction*>()) {
        texts << action->text();
    }
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
        for (const Literal& literal : StringLiterals(QString::fromUtf8(file.readAll()))) {
            if (HasJapanese(literal.text) && !kUntranslatedData.contains(literal.text) &&
                !MarkedForTranslation(literal)) {
                unmarked << QStringLiteral("%1:%2: \"%3\"")
                                .arg(file.fileName())
                                .arg(literal.line)
                                .arg(literal.text);
            }
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
    QStringList menu;
    for (QAction* action : window.menuBar()->actions()) {
        menu << action->text();
    }
    QCOMPARE(menu, (QStringList{"Settings", "Calibration 1", "Calibration 2"}));
    QCOMPARE(window.windowMenu()->actions().constLast()->text(), QStringLiteral("&About ZENKO..."));

    ui::CSettingsDlg settings(fixture.profile, fixture.messages, &window);
    ui::CCalPoint1Dlg point1(&window);
    ui::CCalPoint2Dlg point2(&window);
    ui::CAboutDlg about(&window);
    for (QWidget* dialog : std::initializer_list<QWidget*>{&window, &settings, &point1, &point2,
                                                           &about, window.windowMenu()}) {
        QStringList japanese;
        for (const QString& text : VisibleTexts(dialog)) {
            if (HasJapanese(text)) {
                japanese << text;
            }
        }
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
