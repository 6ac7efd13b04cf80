#include "ui/ControllerDlg.h"

// Every timer message first takes the Local set values from their edits, whatever the timer.
void CControllerDlg::OnTimer(unsigned /*id*/) {
    ReadLocalSetValues();
}
