#include "CommandLine.h"
#include "DesignLook.h"
#include "InterfaceLanguage.h"
#include "JapaneseFontCheck.h"
#include "QuillaneApplication.h"
#include "QuillaneDialogs.h"
#include "QuillaneUnt.h"
#include "WarmUp.h"

#include "BrowseDlg.h"

#include "CodePage.h"
#include "EditorLauncher.h"
#include "InitFileCandidates.h"
#include "Registry.h"

#include <QLocale>

#include <memory>
#include <optional>

int main(int argc, char** argv) {
    using namespace quillane;
    const TCommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.ExitCode) return *commandLine.ExitCode;

    // The font configuration loads while the application connects to the
    // display; the window's fonts need it next.
    TWarmUp fonts = StartFontWarmUp();
    TQuillaneApplication app(argc, argv);
    app.LoadTranslations(QLocale());
    fonts.Wait();
    UseDesignFontEverywhere();
    // The notice is about the Japanese texts: the English window reads well
    // without a Japanese font (its one Japanese text, the not-set text,
    // marks an unset field whether or not its glyphs can be drawn).
    if (InterfaceLanguage(QLocale()) == QLocale::Japanese) WarnWithoutJapaneseFont();
    TQtDialogs dialogs(nullptr);
    app.SetFailureReport([&dialogs](const QString& text) { dialogs.ShowFailureReport(text); });

    std::unique_ptr<IRegistry> registry;
    std::unique_ptr<IEditorLauncher> launcher;
    try {
        registry = CreateSystemRegistry();
        launcher = CreateSystemEditorLauncher();
    } catch (...) {
        dialogs.ShowFailureReport(FailureReportText(ExceptionMessage(std::current_exception())));
        return 1;
    }

    // The folder browse unit starts before the window and ends after it. A
    // shell that cannot be reached leaves the folder tree empty; everything
    // else of the window still works, so the program goes on.
    std::optional<BrowseUnitScope> browseUnit;
    try {
        browseUnit.emplace();
    } catch (...) {
        dialogs.ShowFailureReport(FailureReportText(ExceptionMessage(std::current_exception())));
    }

    TFrmQuillane window({*registry, *launcher, dialogs, SystemCodePage(), commandLine.File, SystemKernelEnvironment()});
    dialogs.SetParent(&window);
    window.ShowCentred();
    return app.exec();
}
