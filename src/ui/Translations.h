#pragma once

#include <QTranslator>

#include "config/StartupKeys.h"

namespace zenko::ui {

// The translators of the operator's language, installed into the application for as long as
// this object lives. The designed Japanese texts are the sources and need no translation of
// their own; Japanese brings Qt's own strings (edit menus, standard buttons) in Japanese, and
// English the program's texts in English beside Qt's, which are English already.
class Translations {
public:
    // Reports false when a translation could not be loaded; the texts then stay as designed.
    bool install(config::Language language);

private:
    QTranslator m_translator;
};

} // namespace zenko::ui
