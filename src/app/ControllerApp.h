#pragma once

#include <QApplication>
#include <QTranslator>

// The application object: refuses to run twice on one machine, points every configuration
// access at the ZENKO.ini beside the executable and runs the main window until it closes.
class CControllerApp : public QApplication {
    Q_OBJECT
public:
    CControllerApp(int& argc, char** argv);

    // Returns the process exit status; 0 also when another instance already runs.
    int InitInstance();

private:
    QTranslator m_qtTranslator;
};
