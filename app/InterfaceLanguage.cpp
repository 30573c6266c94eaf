#include "InterfaceLanguage.h"

#include <QTranslator>

namespace quillane {

QLocale::Language InterfaceLanguage(const QLocale& locale) {
    // The C and POSIX locales keep the texts as they are written, as gettext
    // ignores LANGUAGE for them; Qt still lists LANGUAGE's entries there.
    if (locale.language() == QLocale::C) return QLocale::Japanese;
    // The user's languages in order of preference (LANGUAGE=de:en:ja): the
    // first one the program has decides.
    for (const QString& name : locale.uiLanguages()) {
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::English || language == QLocale::Japanese) return language;
    }
    return QLocale::Japanese;
}

std::unique_ptr<QTranslator> OwnTranslator(QLocale::Language language) {
    if (language != QLocale::English) return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/quillane_en.qm"))) return nullptr;
    return translator;
}

}  // namespace quillane
