#include "app/ControllerApp.h"

#include <QStyle>
#include <QStyleFactory>

#include "config/ConfigKeys.h"
#include "platform/ExecutableDir.h"
#include "platform/JournalFormat.h"
#include "platform/MessageBox.h"
#include "platform/ProfileFile.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "ui/AppIcon.h"
#include "ui/ControllerDlg.h"
#include "ui/DialogBuilder.h"

using namespace zenko;

namespace {
// The same name is the configuration section.
const QString kInstanceName = QStringLiteral("ZENKO");
} // namespace

CControllerApp::CControllerApp(int& argc, char** argv) : QApplication(argc, argv) {
    // An operator's own pattern stands.
    if (!qEnvironmentVariableIsSet("QT_MESSAGE_PATTERN")) {
        qSetMessagePattern(QString::fromLatin1(platform::kJournalPattern));
    }
    setApplicationName(QStringLiteral("zenko"));
    setWindowIcon(ui::AppIcon());
    // The dialogs were laid out for the classic look, with group captions on the frame line.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        setStyle(classic);
    }
    // Message boxes and menus need the Japanese font as much as the dialogs do.
    setFont(ui::DialogFont());
    // The operator's interface is Japanese whatever the desktop's language.
    if (m_qtTranslator.load(QStringLiteral(":/zenko/translations/qtbase_ja.qm"))) {
        installTranslator(&m_qtTranslator);
    }
}

int CControllerApp::InitInstance() {
    const platform::SingleInstance instance(kInstanceName);
    if (!instance.acquired()) {
        return 0;
    }
    platform::ProfileFile profile(platform::ExecutableDirectory() + config::kFileName);
    platform::MessageBoxSink messages;
    // Before the window, so that a signal from the moment its journal begins is handled.
    platform::TerminationSignals terminationSignals;
    CControllerDlg dialog(profile, messages);
    QObject::connect(&terminationSignals, &platform::TerminationSignals::received, &dialog,
                     &CControllerDlg::OnTerminationRequest);
    dialog.exec();
    return 0;
}
