#include "ui/ControllerDlg.h"

// The window ends only through a read of its fields that succeeds, so that a refused field
// keeps it open for the operator to correct.
void CControllerDlg::OnExit() {
    if (ReadControls()) {
        done(QDialog::Accepted);
    }
}
