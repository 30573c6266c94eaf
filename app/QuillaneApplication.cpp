#include "QuillaneApplication.h"

#include "FailureReport.h"
#include "InterfaceLanguage.h"
#include "Translation.h"

#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace quillane {

const char* const ApplicationTitle = "Quillane";

namespace {

// Qt's text fields insert the text of Alt+letter when no accelerator takes
// it (a disabled action's, a letter no control uses). Accelerators are
// matched before the key press reaches a widget, so eating the press costs
// them nothing. Ctrl+Alt is left alone: it is AltGr on Windows keyboards.
class TAltLetterGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        return (mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !key->text().isEmpty() &&
               key->text().at(0).isPrint();
    }
};

}  // namespace

TQuillaneApplication::TQuillaneApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The name, not the display name: Qt appends a display name to every
    // window title, and the main window's caption stands alone.
    setApplicationName(QString::fromUtf8(ApplicationTitle));
    installEventFilter(new TAltLetterGuard(this));
    // The Qt-free layers' texts go through the translators installed here.
    SetTranslation([](const char* context, const char* text, const char* disambiguation) {
        return QCoreApplication::translate(context, text, disambiguation).toStdString();
    });
}

TQuillaneApplication::~TQuillaneApplication() {
    SetTranslation(nullptr);
}

void TQuillaneApplication::SetFailureReport(std::function<void(const QString&)> report) {
    FReport = std::move(report);
}

bool TQuillaneApplication::LoadTranslations(const QLocale& locale) {
    for (std::unique_ptr<QTranslator>* loaded : {&FQtTranslator, &FOwnTranslator}) {
        if (*loaded) removeTranslator(loaded->get());
        loaded->reset();
    }
    FOwnTranslator = OwnTranslator(InterfaceLanguage(locale));
    if (FOwnTranslator) installTranslator(FOwnTranslator.get());
    // qtbase holds the texts of the widgets and dialogs this program uses.
    auto qt = std::make_unique<QTranslator>();
    if (!qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    installTranslator(qt.get());
    FQtTranslator = std::move(qt);
    return true;
}

// The window's handlers report their own failures; this catches what slips
// past them (a slot of a later component, Qt calling into our code), since
// an exception must never unwind through the event loop.
bool TQuillaneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const QString text = FailureReportText(ExceptionMessage(std::current_exception()));
        if (FReport) {
            try {
                FReport(text);
                return false;
            } catch (...) {}
        }
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return false;
    }
}

}  // namespace quillane
