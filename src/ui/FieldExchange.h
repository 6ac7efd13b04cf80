#pragma once

#include <cstdint>
#include <span>
#include <variant>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QString>
#include <QStringList>

#include "platform/Numbers.h"
#include "ui/DialogBuilder.h"

// The transfer between a dialog's fields and the values it holds, in both directions, from one
// binding table per dialog: the order of reads, the refusal messages and the refused field all
// come from that table.
namespace zenko::ui {

inline constexpr char kIntegerRequired[] =
    QT_TRANSLATE_NOOP("FieldExchange", "整数を入力してください。");
inline constexpr char kPositiveIntegerRequired[] =
    QT_TRANSLATE_NOOP("FieldExchange", "正の整数を入力してください。");

enum class Transfer {
    Text,        // an edit's text, unchanged
    ComboText,   // the text of an editable combo box
    SignedInt,   // 32-bit signed
    UnsignedInt, // 32-bit unsigned, refuses a minus sign
    Int16,       // 16-bit signed
    Check,       // a check box: 1 checked, 0 cleared
};

template <class State> struct FieldBinding {
    int controlId;
    Transfer transfer;
    std::variant<QString State::*, std::int32_t State::*, std::uint32_t State::*,
                 std::int16_t State::*>
        member;
};

// The list entry to select for a held text: the entry equal to it, letters compared without
// regard to case, or -1 (then the text is shown as typed). Only an equal entry is selected:
// a typed address must never turn into a longer listed one.
int MatchingComboEntry(const QStringList& entries, const QString& held);

struct FieldReadResult {
    bool ok = true;
    int refusedControlId = kNoId;
    QString message;
};

namespace detail {

template <class State, class T> T& Member(State& state, const FieldBinding<State>& binding) {
    return state.*std::get<T State::*>(binding.member);
}

template <class State, class T>
const T& Member(const State& state, const FieldBinding<State>& binding) {
    return state.*std::get<T State::*>(binding.member);
}

void ShowCombo(QComboBox* combo, const QString& held);
// A field already showing the text is left alone: the window shows after every request of a
// busy peer, and rewriting identical texts only costs time and resets the operator's cursor.
void ShowText(QWidget* control, const QString& text);
QString FieldText(QWidget* control);

} // namespace detail

template <class State>
void ShowFields(std::span<const FieldBinding<State>> bindings, const State& state,
                const BuiltControls& controls) {
    for (const auto& binding : bindings) {
        QWidget* control = controls.find(binding.controlId);
        switch (binding.transfer) {
        case Transfer::Text:
            detail::ShowText(control, detail::Member<State, QString>(state, binding));
            break;
        case Transfer::ComboText:
            detail::ShowCombo(qobject_cast<QComboBox*>(control),
                              detail::Member<State, QString>(state, binding));
            break;
        case Transfer::SignedInt:
            detail::ShowText(control,
                             QString::number(detail::Member<State, std::int32_t>(state, binding)));
            break;
        case Transfer::UnsignedInt:
            detail::ShowText(control,
                             QString::number(detail::Member<State, std::uint32_t>(state, binding)));
            break;
        case Transfer::Int16:
            detail::ShowText(control,
                             QString::number(detail::Member<State, std::int16_t>(state, binding)));
            break;
        case Transfer::Check:
            qobject_cast<QCheckBox*>(control)->setChecked(
                detail::Member<State, std::int32_t>(state, binding) == 1);
            break;
        }
    }
}

// Reads in table order, storing each value as soon as it is accepted; the first refused field
// stops the read, leaving the values after it untouched.
template <class State>
FieldReadResult ReadFields(std::span<const FieldBinding<State>> bindings, State& state,
                           const BuiltControls& controls) {
    using platform::FieldInteger;
    for (const auto& binding : bindings) {
        QWidget* control = controls.find(binding.controlId);
        const auto refuse = [&](const char* message) {
            return FieldReadResult{false, binding.controlId,
                                   QCoreApplication::translate("FieldExchange", message)};
        };
        switch (binding.transfer) {
        case Transfer::Text:
        case Transfer::ComboText:
            detail::Member<State, QString>(state, binding) = detail::FieldText(control);
            break;
        case Transfer::SignedInt: {
            const auto value =
                platform::ParseFieldInteger(detail::FieldText(control), FieldInteger::Signed32);
            if (!value) {
                return refuse(kIntegerRequired);
            }
            detail::Member<State, std::int32_t>(state, binding) = static_cast<std::int32_t>(*value);
            break;
        }
        case Transfer::UnsignedInt: {
            const auto value =
                platform::ParseFieldInteger(detail::FieldText(control), FieldInteger::Unsigned32);
            if (!value) {
                return refuse(kPositiveIntegerRequired);
            }
            detail::Member<State, std::uint32_t>(state, binding) =
                static_cast<std::uint32_t>(*value);
            break;
        }
        case Transfer::Int16: {
            const auto value =
                platform::ParseFieldInteger(detail::FieldText(control), FieldInteger::Signed16);
            if (!value) {
                return refuse(kIntegerRequired);
            }
            detail::Member<State, std::int16_t>(state, binding) = static_cast<std::int16_t>(*value);
            break;
        }
        case Transfer::Check:
            detail::Member<State, std::int32_t>(state, binding) =
                qobject_cast<QCheckBox*>(control)->isChecked() ? 1 : 0;
            break;
        }
    }
    return {};
}

// Puts the keyboard focus on a refused field with its whole text selected, so the operator
// can type the correction at once.
void FocusRefusedField(QWidget* control);

} // namespace zenko::ui
