#pragma once

#include <QLocale>

#include <memory>

class QTranslator;

namespace quillane {

/// The language of the program's own texts for `locale`: English when
/// English comes before Japanese among the locale's languages, Japanese
/// (the texts' own language) otherwise, and always for the C locale.
QLocale::Language InterfaceLanguage(const QLocale& locale);

/// The translator of the program's own texts into `language`; null for
/// Japanese, which needs none, and for a language without a translation.
std::unique_ptr<QTranslator> OwnTranslator(QLocale::Language language);

}  // namespace quillane
