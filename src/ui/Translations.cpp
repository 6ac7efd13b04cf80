#include "ui/Translations.h"

#include <QCoreApplication>

namespace zenko::ui {

bool Translations::install(config::Language language) {
    // Compiled in, so that a copy of the executable runs anywhere with only its ZENKO.ini beside
    // it.
    const bool loaded =
        m_translator.load(language == config::Language::English
                              ? QStringLiteral(":/zenko/translations/zenko_en.qm")
                              : QStringLiteral(":/zenko/translations/qtbase_ja.qm"));
    return loaded && QCoreApplication::installTranslator(&m_translator);
}

} // namespace zenko::ui
