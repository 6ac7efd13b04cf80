#pragma once

#include <QApplication>

#include "ui/Translations.h"

// The application object: refuses to run twice on one machine (per Instance_Name), points every
// configuration access at the ZENKO.ini beside the executable, installs the operator's language
// and runs the main window until it closes.
class CControllerApp : public QApplication {
    Q_OBJECT
public:
    CControllerApp(int& argc, char** argv);

    // Returns the process exit status; 0 also when another copy of the same name already runs,
    // 1 when the name is not one the program accepts.
    int InitInstance();

private:
    zenko::ui::Translations m_translations;
};
