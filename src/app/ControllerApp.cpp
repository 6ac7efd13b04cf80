#include "app/ControllerApp.h"

#include <QLocale>
#include <QStyle>
#include <QStyleFactory>

#include "config/ConfigKeys.h"
#include "config/StartupKeys.h"
#include "core/JournalText.h"
#include "platform/ExecutableDir.h"
#include "platform/Journal.h"
#include "platform/JournalFormat.h"
#include "platform/MessageBox.h"
#include "platform/ProfileFile.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "ui/AppIcon.h"
#include "ui/ControllerDlg.h"
#include "ui/DialogBuilder.h"

using namespace zenko;

CControllerApp::CControllerApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("zenko"));
    setWindowIcon(ui::AppIcon());
    // The dialogs were laid out for the classic look, with group captions on the frame line.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        setStyle(classic);
    }
    // Message boxes and menus need the Japanese font as much as the dialogs do.
    setFont(ui::DialogFont());
}

int CControllerApp::InitInstance() {
    platform::ProfileFile profile(platform::ExecutableDirectory() + config::kFileName);
    const auto readText = [&profile](const QString& key) {
        return profile.readString(config::kSection, key, QString());
    };
    // Before any window, message box included, so that everything shows in one language.
    m_translations.install(
        config::ChooseLanguage(readText(config::key::Language), QLocale::system().language()));
    const QString nameText = readText(config::key::InstanceName);
    const std::optional<QString> instanceName = config::CheckInstanceName(nameText);
    // An operator's own pattern stands.
    if (!qEnvironmentVariableIsSet("QT_MESSAGE_PATTERN")) {
        qSetMessagePattern(platform::JournalPattern(instanceName.value_or(QString())));
    }
    platform::MessageBoxSink messages;
    // Run under the unnamed copy's lock, a mistyped name would silently end the copy it was
    // meant to run beside, or be ended by it.
    if (!instanceName) {
        qCWarning(platform::journalConfig).noquote() << core::InstanceNameRefusedText(nameText);
        messages.show(nullptr, QStringLiteral("Instance Name is invalid !"));
        return 1;
    }
    const platform::SingleInstance instance(config::SingleInstanceName(*instanceName));
    if (!instance.acquired()) {
        return 0;
    }
    // Before the window, so that a signal from the moment its journal begins is handled.
    platform::TerminationSignals terminationSignals;
    CControllerDlg dialog(profile, messages);
    QObject::connect(&terminationSignals, &platform::TerminationSignals::received, &dialog,
                     &CControllerDlg::OnTerminationRequest);
    dialog.exec();
    return 0;
}
