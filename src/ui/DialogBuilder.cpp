#include "ui/DialogBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "ui/AppIcon.h"
#include "ui/UpDownControl.h"

namespace zenko::ui {

namespace {

const QString kDialogFontFamily = QStringLiteral("ＭＳ Ｐゴシック");
constexpr int kDialogFontPoints = 9;

QWidget* CreateControl(QWidget* client, const ControlSpec& spec, const QString& caption) {
    switch (spec.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        auto* button = new QPushButton(caption, client);
        button->setAutoDefault(true);
        button->setDefault(spec.kind == ControlKind::DefaultPushButton);
        return button;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(caption, client);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        return label;
    }
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(client);
        edit->setAlignment(Qt::AlignCenter);
        edit->setReadOnly(spec.kind == ControlKind::ReadOnlyEdit);
        return edit;
    }
    case ControlKind::ComboDropDown: {
        auto* combo = new QComboBox(client);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    case ControlKind::GroupBox: {
        auto* group = new QGroupBox(caption, client);
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
        group->setFocusPolicy(Qt::NoFocus);
        return group;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(caption, client);
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(caption, client);
        radio->setFocusPolicy(Qt::ClickFocus);
        return radio;
    }
    case ControlKind::UpDown:
        return new UpDownControl(client);
    case ControlKind::Icon: {
        auto* icon = new QLabel(client);
        icon->setPixmap(AppIcon().pixmap(32, 32));
        icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return icon;
    }
    }
    return nullptr;
}

bool IsTabStop(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit:
    case ControlKind::ComboDropDown:
    case ControlKind::CheckBox:
        return true;
    default:
        return false;
    }
}

} // namespace

QFont DialogFont() {
    // IPAPGothic is what the Japanese captions need; the other names only help on machines
    // where it is missing.
    const QStringList substitutes{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                  QStringLiteral("Noto Sans CJK JP")};
    QFont::insertSubstitutions(kDialogFontFamily, substitutes);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), substitutes);
    QFont font(kDialogFontFamily, kDialogFontPoints);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QString TemplateText(const DialogTemplate& dialog, const char* text) {
    return QCoreApplication::translate(dialog.translationContext, text);
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Rounded as the original platform rounds its average character width.
    m_baseX = std::max(1, (alphabetWidth / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
}

int DialogUnits::toPixelsX(int dialogUnits) const {
    return (dialogUnits * m_baseX + 2) / 4;
}

int DialogUnits::toPixelsY(int dialogUnits) const {
    return (dialogUnits * m_baseY + 4) / 8;
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const {
    const int left = toPixelsX(x);
    const int top = toPixelsY(y);
    return {left, top, toPixelsX(x + width) - left, toPixelsY(y + height) - top};
}

void BuiltControls::add(int id, QWidget* widget) {
    if (id != kNoId) {
        m_byId.emplace(id, widget);
    }
    m_inOrder.push_back(widget);
}

QWidget* BuiltControls::find(int id) const {
    const auto found = m_byId.find(id);
    return found == m_byId.end() ? nullptr : found->second;
}

BuiltControls BuildControls(QWidget* client, const DialogTemplate& dialog,
                            const DialogUnits& units) {
    BuiltControls built;
    QWidget* previousTabStop = nullptr;
    QLineEdit* previousEdit = nullptr;
    std::vector<QWidget*> groups;
    int index = 0;
    for (const ControlSpec& spec : dialog.controls) {
        const QString caption = TemplateText(dialog, spec.caption);
        QWidget* widget = CreateControl(client, spec, caption);
        QRect rect = units.toPixels(spec.x, spec.y, spec.width, spec.height);
        if (spec.kind == ControlKind::ComboDropDown) {
            // The template's height includes the dropped-down list.
            rect.setHeight(widget->sizeHint().height());
        }
        if (spec.kind == ControlKind::UpDown && previousEdit != nullptr) {
            // Bound to the edit created just before it, at that edit's right edge, which
            // gives up the room the buttons take.
            auto* upDown = static_cast<UpDownControl*>(widget);
            const QRect editRect = previousEdit->geometry();
            rect = QRect(editRect.right() + 1 - rect.width(), editRect.top(), rect.width(),
                         editRect.height());
            previousEdit->resize(editRect.width() - rect.width(), editRect.height());
            upDown->setBuddy(previousEdit);
        }
        widget->setGeometry(rect);
        widget->setObjectName(spec.id == kNoId ? QStringLiteral("ctl_%1").arg(index)
                                               : QStringLiteral("ctl%1").arg(spec.id));
        widget->setAccessibleName(
            spec.accessibleName != nullptr ? TemplateText(dialog, spec.accessibleName) : caption);
        if (IsTabStop(spec.kind)) {
            if (previousTabStop != nullptr) {
                QWidget::setTabOrder(previousTabStop, widget);
            }
            previousTabStop = widget;
        } else if (spec.kind != ControlKind::RadioButton) {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        if (spec.kind == ControlKind::GroupBox) {
            groups.push_back(widget);
        }
        previousEdit = qobject_cast<QLineEdit*>(widget);
        built.add(spec.id, widget);
        ++index;
    }
    // Group boxes are frames behind the controls they enclose, whatever their creation order.
    for (QWidget* group : groups) {
        group->lower();
    }
    return built;
}

BuiltControls BuildModalDialog(QDialog* dialog, const DialogTemplate& dialogTemplate) {
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint);
    const QFont font = DialogFont();
    dialog->setFont(font);
    dialog->setWindowTitle(TemplateText(dialogTemplate, dialogTemplate.caption));
    const DialogUnits units(font);
    dialog->setFixedSize(units.toPixelsX(dialogTemplate.width),
                         units.toPixelsY(dialogTemplate.height));
    BuiltControls controls = BuildControls(dialog, dialogTemplate, units);
    if (auto* ok = controls.get<QPushButton>(kIdOk)) {
        QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    }
    if (auto* cancel = controls.get<QPushButton>(kIdCancel)) {
        QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    }
    return controls;
}

} // namespace zenko::ui
