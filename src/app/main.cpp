#include "app/ControllerApp.h"

int main(int argc, char** argv) {
    CControllerApp app(argc, argv);
    return app.InitInstance();
}
