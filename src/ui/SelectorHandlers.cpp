#include <QLineEdit>
#include <QRadioButton>

#include "core/TargetSelection.h"
#include "ui/ControllerDlg.h"
#include "ui/MainWindowTemplate.h"

using namespace zenko;

void CControllerDlg::SelectTarget(std::int32_t selector) {
    core::SelectTarget(*this, selector);
}

void CControllerDlg::ReadLocalSetValues() {
    core::ReadLocalSetValues(*this, m_editLocalAz->text(), m_editLocalEl->text());
}

void CControllerDlg::OnSelectorClicked() {
    const auto checked = [this](int id) {
        return m_controls.get<QRadioButton>(id)->isChecked();
    };
    m_nSelector =
        core::SelectorFromRadios(checked(ui::ctl::RadioPreset1), checked(ui::ctl::RadioLocal),
                                 checked(ui::ctl::RadioRemote), m_nSelector);
    SelectTarget(m_nSelector);
}

void CControllerDlg::OnRemoteClicked() {
    core::TakeCurrentAnglesAsRemote(*this);
    OnSelectorClicked();
}
