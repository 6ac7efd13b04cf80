#pragma once

#include <span>

#include <QtGlobal>

// Dialogs are data: each is a table of its controls in creation order (which is also the tab
// order), with positions in dialog units of the dialog font, built by one builder.
namespace zenko::ui {

inline constexpr int kNoId = -1;

enum class ControlKind {
    PushButton,        // Enter on it when focused presses it; never pressed by Enter elsewhere
    DefaultPushButton, // pressed by Enter anywhere in its dialog
    Label,             // static text, ampersands shown as typed
    Edit,              // bordered, centred, scrolls horizontally
    ReadOnlyEdit,
    ComboDropDown, // editable field with a drop-down list
    GroupBox,      // a frame with a caption; transparent to the mouse, as on the original platform
    CheckBox,
    RadioButton,
    UpDown, // spin buttons bound to the edit created just before, at its right edge
    Icon,   // the application icon
};

struct ControlSpec {
    int id;
    ControlKind kind;
    // UTF-8, exactly as designed; Japanese captions are marked with QT_TRANSLATE_NOOP in the
    // template's context, and the builder shows them in the operator's language.
    const char* caption;
    int x, y, width, height;
    // What a screen reader speaks for a captionless control: its label and group.
    const char* accessibleName = nullptr;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;
    std::span<const ControlSpec> controls;
    // Where the translations of the captions and accessible names are looked up.
    const char* translationContext;
};

} // namespace zenko::ui
