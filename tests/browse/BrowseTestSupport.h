#pragma once

// What the browse tests share: an in-memory
// namespace laid out like a Windows computer, the browse unit started on
// it, and failure reports collected instead of shown.

#include "BrowseDlg.h"
#include "BrowseDlgForm.h"
#include "MemoryShell.h"

#include <QApplication>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace quillane::test {

/// A computer with two drives; the desktop holds the computer and one
/// folder of its own. Paths follow the Windows syntax.
inline const char* const ComputerNamespace = R"(
Computer | folder ancestor sub | | Computer
  C | folder | C:\ | C:\
    Work | folder | C:\Work
      Sub | folder | C:\Work\Sub
    Windows | folder | C:\Windows
  D | folder | D:\ | D:\
    Data | folder | D:\Data
Documents | folder | C:\Documents
)";

/// Platform id of the computer (the drives folder).
constexpr int CsidlDrives = 17;

/// Runs `script` inside the modal loop of `dlg`'s window once it is shown;
/// the script must close the window. A window left open is closed and the
/// test fails.
inline void WhenBrowsing(TBrowseDlg& dlg, std::function<void(TBrowseDlgForm&)> script) {
    QTimer::singleShot(0, [&dlg, script = std::move(script)] {
        TBrowseDlgForm* form = dlg.Form();
        if (form == nullptr) {
            ADD_FAILURE() << "no window runs";
            return;
        }
        script(*form);
        if (dlg.Form() == form && form->isVisible()) {
            ADD_FAILURE() << "the script left the window open";
            form->done(2);
        }
    });
}

/// Runs Execute with `script` (see WhenBrowsing).
inline bool RunBrowse(TBrowseDlg& dlg, const std::function<void(TBrowseDlgForm&)>& script) {
    WhenBrowsing(dlg, script);
    return dlg.Execute();
}

/// While it lives, translates every text of one context into the text in
/// angle brackets, so that a test sees which texts go through which context.
class TMarkingTranslator : public QTranslator {
public:
    explicit TMarkingTranslator(const char* context) : FContext(context) { QCoreApplication::installTranslator(this); }
    ~TMarkingTranslator() override { QCoreApplication::removeTranslator(this); }
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* = nullptr, int = -1) const override {
        return FContext == context ? u'<' + QString::fromUtf8(source) + u'>' : QString();
    }

private:
    std::string FContext;
};

/// Starts the browse unit on a fresh in-memory namespace for each test and
/// collects failure reports.
class BrowseFixture : public ::testing::Test {
protected:
    void SetUp() override {
        FShell = std::make_shared<shell::MemoryShell>(ComputerNamespace);
        FShell->SetDesktop("Desktop", "C:\\Desktop");
        FShell->SetSpecialFolder(CsidlDrives, "Computer");
        FUnit = std::make_unique<BrowseUnitScope>(FShell);
        FPreviousReport = SetFailureReport([this](const QString& text) { Reports.append(text); });
    }

    void TearDown() override {
        // Windows released through the event loop go before the unit ends.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // Every released window gave back all its item lists and folders.
        EXPECT_EQ(FShell->Allocator().Outstanding(), 0u);
        EXPECT_EQ(FShell->Allocator().BadFrees(), 0u);
        EXPECT_EQ(FShell->LiveEnumerators(), 0u);
        SetFailureReport(FPreviousReport);
        FUnit.reset();
    }

    /// A component on the Windows-syntax namespace, rooted at the computer.
    static void UseComputer(TBrowseDlg& dlg) {
        dlg.SetPathSyntax(TPathSyntax::Windows);
        dlg.SetSpecialRoot(shell::sfMyComputer);
    }

    /// Sizes the running window so that its client area is w x h: the
    /// outer size is the client size plus the frame the platform draws.
    static void SetClientSize(TBrowseDlg& dlg, TBrowseDlgForm& form, int w, int h) {
        dlg.SetWidth(w + form.frameGeometry().width() - form.width());
        dlg.SetHeight(h + form.frameGeometry().height() - form.height());
        ASSERT_EQ(form.size(), QSize(w, h));
    }

    /// Runs Execute with a script (see RunBrowse).
    static bool Run(TBrowseDlg& dlg, const std::function<void(TBrowseDlgForm&)>& script) {
        return RunBrowse(dlg, script);
    }

    QStringList Reports;
    std::shared_ptr<shell::MemoryShell> FShell;

private:
    std::unique_ptr<BrowseUnitScope> FUnit;
    TFailureReport FPreviousReport;
};

}  // namespace quillane::test
