#include "ui/FieldExchange.h"

namespace zenko::ui {

int MatchingComboEntry(const QStringList& entries, const QString& held) {
    for (int index = 0; index < entries.size(); ++index) {
        if (entries[index].compare(held, Qt::CaseInsensitive) == 0) {
            return index;
        }
    }
    return -1;
}

namespace detail {

void ShowCombo(QComboBox* combo, const QString& held) {
    QStringList entries;
    for (int index = 0; index < combo->count(); ++index) {
        entries << combo->itemText(index);
    }
    const int match = MatchingComboEntry(entries, held);
    if (match >= 0) {
        combo->setCurrentIndex(match);
    }
    // Also for a match: an entry already current keeps whatever the operator typed over it.
    // A field already showing the text is left alone, as in ShowText.
    const QString& shown = match >= 0 ? entries[match] : held;
    if (combo->currentText() != shown) {
        combo->setEditText(shown);
    }
}

void ShowText(QWidget* control, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (edit->text() != text) {
        edit->setText(text);
    }
}

QString FieldText(QWidget* control) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        return combo->currentText();
    }
    return qobject_cast<QLineEdit*>(control)->text();
}

} // namespace detail

void FocusRefusedField(QWidget* control) {
    control->setFocus(Qt::OtherFocusReason);
    if (auto* combo = qobject_cast<QComboBox*>(control); combo != nullptr && combo->lineEdit()) {
        combo->lineEdit()->selectAll();
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->selectAll();
    }
}

} // namespace zenko::ui
