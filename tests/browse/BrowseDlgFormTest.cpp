// The browse window in its modal run, driven from the component's events
// and from timers on the offscreen platform: layout, live properties and
// refusals, event order, OK with typed paths, history and the combo box,
// the ways of closing, failures in handlers.

#include "BrowseDlgForm.h"

#include "BrowseDlg.h"
#include "BrowseTestSupport.h"
#include "SystemShell_posix.h"
#include "ShellTreeView.h"

#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace quillane;
using namespace quillane::test;

namespace {

class BrowseDlgFormTest : public BrowseFixture {
protected:
    // The first text row alone above the tree, which leaves the row's first
    // `treeMargin` pixels free, in a black font 12 pixels high.
    static void TextRowOnly(TBrowseDlg& dlg, int treeMargin) {
        UseComputer(dlg);
        dlg.SetCustomEditType(ceNone);
        dlg.SetTreeHorzMargin(treeMargin);
        dlg.Font().SetHeight(-12);
        dlg.Font().SetColor(Qt::black);
    }
};

QString Str(const QRect& r) {
    return QStringLiteral("(%1,%2) %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// ------------------------------------------------------------- layout

struct LayoutCase {
    const char* name;
    bool text2Visible;
    bool text1Visible;
    bool editVisible;
    TCustomEditType editType;
    QRect text1;  // null: not checked
    QRect text2;
    QRect edit;
    QRect tree;
};

// A client area of 372 x 273, a 12-pixel font (row height 14), an edit of
// height 21 and a custom button, everything else at its default.
TEST_F(BrowseDlgFormTest, LayoutFollowsTheRowArithmetic) {
    const std::vector<LayoutCase> cases = {
        {"defaults", false, true, true, ceEdit, QRect(12, 8, 348, 14), QRect(), QRect(8, 26, 356, 21),
         QRect(8, 51, 356, 186)},
        {"second text row", true, true, true, ceEdit, QRect(12, 8, 348, 14), QRect(12, 26, 348, 14),
         QRect(8, 44, 356, 21), QRect(8, 69, 356, 168)},
        {"edit hidden", false, true, false, ceEdit, QRect(), QRect(), QRect(), QRect(8, 26, 356, 211)},
        {"no rows", false, false, true, ceNone, QRect(), QRect(), QRect(), QRect(8, 8, 356, 229)},
        {"second row in the first's place", true, false, true, ceComboBox, QRect(), QRect(12, 8, 348, 14),
         QRect(8, 26, 356, 21), QRect(8, 51, 356, 186)},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        TBrowseDlg dlg;
        UseComputer(dlg);
        dlg.Font().SetHeight(-12);
        dlg.SetCustomBtnType(cbButton);
        dlg.SetText1("first");
        dlg.SetText2("second");
        dlg.SetText1Visible(c.text1Visible);
        dlg.SetText2Visible(c.text2Visible);
        dlg.SetCustomEditVisible(c.editVisible);
        dlg.SetCustomEditType(c.editType);
        Run(dlg, [&](TBrowseDlgForm& form) {
            SetClientSize(dlg, form, 372, 273);
            if (QWidget* edit = form.CustomEditWidget()) {
                EXPECT_EQ(edit->isVisible(), c.editVisible);
                edit->resize(edit->width(), 21);
                form.ArrangeControls();
                if (!c.edit.isNull()) {
                    EXPECT_EQ(Str(edit->geometry()), Str(c.edit));
                }
            }
            if (!c.text1.isNull()) {
                EXPECT_EQ(Str(form.TextRowRect(1)), Str(c.text1));
            }
            if (!c.text2.isNull()) {
                EXPECT_EQ(Str(form.TextRowRect(2)), Str(c.text2));
            }
            EXPECT_EQ(Str(form.TreeView()->geometry()), Str(c.tree));
            EXPECT_EQ(Str(form.CancelBtn()->geometry()), Str(QRect(272, 241, 88, 24)));
            EXPECT_EQ(Str(form.OKBtn()->geometry()), Str(QRect(176, 241, 88, 24)));
            EXPECT_EQ(Str(form.CustomBtn()->geometry()), Str(QRect(12, 241, 156, 24)));
            form.CancelBtn()->click();
        });
    }
}

TEST_F(BrowseDlgFormTest, ButtonsStandStillWithoutOrWithHiddenCustomControl) {
    struct Case {
        TCustomBtnType type;
        bool visible;
    };
    for (const Case c : {Case{cbNone, true}, Case{cbCheckBox, false}, Case{cbButton, false}}) {
        SCOPED_TRACE(static_cast<int>(c.type));
        TBrowseDlg dlg;
        UseComputer(dlg);
        dlg.SetCustomBtnType(c.type);
        dlg.SetCustomBtnVisible(c.visible);
        Run(dlg, [&](TBrowseDlgForm& form) {
            SetClientSize(dlg, form, 372, 273);
            EXPECT_EQ(Str(form.CancelBtn()->geometry()), Str(QRect(272, 241, 88, 24)));
            EXPECT_EQ(Str(form.OKBtn()->geometry()), Str(QRect(176, 241, 88, 24)));
            if (c.type == cbNone) {
                EXPECT_EQ(form.CustomBtn(), nullptr);
            } else {
                EXPECT_FALSE(form.CustomBtn()->isVisible());
                EXPECT_EQ(Str(form.CustomBtn()->geometry()), Str(QRect(12, 241, 156, 24)));
            }
            form.CancelBtn()->click();
        });
    }
}

TEST_F(BrowseDlgFormTest, SizesThatDoNotFitComeOutAsZero) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetWidth(150);
    dlg.SetHeight(60);
    dlg.SetCustomBtnType(cbButton);
    Run(dlg, [&](TBrowseDlgForm& form) {
        EXPECT_EQ(form.TreeView()->height(), 0);
        EXPECT_EQ(form.CustomBtn()->width(), 0);
        form.CancelBtn()->click();
    });
}

TEST(BrowseWindowBoundsTest, CentresWithTruncationOrStandsAtXY) {
    struct Case {
        bool center;
        QSize screen;
        int width;
        int height;
        QPoint topLeft;
    };
    const std::vector<Case> cases = {
        {true, QSize(1024, 768), 378, 300, QPoint(323, 234)}, {true, QSize(1024, 768), 1101, 300, QPoint(-38, 234)},
        {true, QSize(1024, 768), 1024, 769, QPoint(0, 0)},    {true, QSize(1024, 768), 378, 1000, QPoint(323, -116)},
        {false, QSize(1024, 768), 378, 300, QPoint(64, 64)},
    };
    for (const Case& c : cases) {
        const QRect r = BrowseWindowBounds(c.center, c.screen, 64, 64, c.width, c.height);
        EXPECT_EQ(r.topLeft(), c.topLeft) << c.width << "x" << c.height;
        EXPECT_EQ(r.size(), QSize(c.width, c.height));
    }
}

TEST_F(BrowseDlgFormTest, WindowIsPlacedOnTheScreenOrAtXY) {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    for (const bool center : {true, false}) {
        TBrowseDlg dlg;
        UseComputer(dlg);
        dlg.SetScreenCenter(center);
        dlg.SetX(40);
        dlg.SetY(50);
        Run(dlg, [&](TBrowseDlgForm& form) {
            const QPoint expected =
                center ? QPoint((screen.width() - 378) / 2, (screen.height() - 300) / 2) : QPoint(40, 50);
            EXPECT_EQ(form.frameGeometry().topLeft(), expected);
            EXPECT_EQ(form.frameGeometry().size(), QSize(378, 300));
            // Moving by property while running places the window again.
            dlg.SetScreenCenter(false);
            dlg.SetX(10);
            EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(10, 50));
            form.CancelBtn()->click();
        });
    }
}

TEST(DropDownListWidthTest, WidestEntryPlusSixPlusScrollBarWhenItScrolls) {
    // Entries measure ten pixels per character.
    const auto measure = [](const QString& s) { return static_cast<int>(s.size()) * 10; };
    const QString widest(18, u'w');  // 180 pixels
    struct Case {
        QStringList items;
        int expected;
    };
    const std::vector<Case> cases = {
        {{"ab", widest, "abc"}, 186},
        {{"1", "2", "3", "4", "5", "6", "7", widest}, 186},
        {{"1", "2", "3", "4", "5", "6", "7", "8", widest}, 186 + 17},
        {{}, 6},
    };
    for (const Case& c : cases) EXPECT_EQ(DropDownListWidth(c.items, measure, 8, 17), c.expected) << c.items.size();
}

TEST_F(BrowseDlgFormTest, OpeningTheComboListSizesItForItsWidestEntry) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomEditType(ceComboBox);
    const QString wide = QStringLiteral("C:\\a rather long folder name that is wider than the box\\表示");
    QStringList items = {"C:\\Work", wide};
    for (const int extra : {0, 7}) {
        SCOPED_TRACE(extra);
        QStringList list = items;
        for (int i = 0; i < extra; ++i) list.append(QStringLiteral("D:\\%1").arg(i));
        dlg.SetCustomEditItems(list);
        Run(dlg, [&](TBrowseDlgForm& form) {
            TBrowseComboBox* combo = form.ComboBox();
            ASSERT_NE(combo, nullptr);
            combo->showPopup();
            const QFontMetrics metrics(combo->font(), combo);
            int expected = metrics.horizontalAdvance(wide) + 6;
            if (list.size() > 8) expected += combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, combo);
            EXPECT_EQ(combo->view()->minimumWidth(), expected);
            EXPECT_GE(combo->view()->width(), expected);
            combo->hidePopup();
            form.CancelBtn()->click();
        });
    }
}

TEST(BrowseRowTextTest, FirstLineOnlyElidedAtTheEndAmpersandKept) {
    QFont font;
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    EXPECT_EQ(BrowseRowText("A && B & C", metrics, 1000), "A && B & C");
    EXPECT_EQ(BrowseRowText("first\nsecond", metrics, 1000), "first");
    EXPECT_EQ(BrowseRowText("first\r\nsecond", metrics, 1000), "first");
    EXPECT_EQ(BrowseRowText("\nsecond", metrics, 1000), "");
    EXPECT_EQ(BrowseRowText("", metrics, 1000), "");
    const QString longText(200, u'x');
    const QString cut = BrowseRowText(longText, metrics, 100);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(cut), 100);
    EXPECT_TRUE(cut.startsWith("xxx"));
}

// The painted rows stay inside their rectangles, descenders reaching at
// most into the gap below: a text with a line break leaves nothing below
// its row, and a visible row paints.
TEST_F(BrowseDlgFormTest, TextRowsPaintInsideTheirRectangles) {
    TBrowseDlg dlg;
    TextRowOnly(dlg, 100);
    dlg.SetText1(QStringLiteral("&&&& first line & more\nSECOND LINE SECOND LINE"));
    Run(dlg, [&](TBrowseDlgForm& form) {
        form.setStyleSheet("QDialog { background: white; }");
        const QImage image = form.grab().toImage();
        const QRect row = form.TextRowRect(1).adjusted(0, 0, 0, dlg.VertSpacing());
        int inside = 0;
        int below = 0;
        for (int y = 0; y < form.height() && y < 60; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (qGray(image.pixel(x, y)) > 128) continue;
                if (row.contains(x, y))
                    ++inside;
                else
                    ++below;
            }
        }
        EXPECT_GT(inside, 20);
        EXPECT_EQ(below, 0);
        form.CancelBtn()->click();
    });
}

// Where the text's glyphs reach below the row (taller line metrics, or a
// fallback font for Japanese), the descenders show in the gap below.
TEST_F(BrowseDlgFormTest, DescendersAreNotCutAtTheRowsEnd) {
    TBrowseDlg dlg;
    TextRowOnly(dlg, 250);
    const QString text = QStringLiteral("gypq 選んでください gypq");
    dlg.SetText1(text);
    // Where the lowest glyph pixel lies when nothing clips the text.
    QImage free(400, 60, QImage::Format_RGB32);
    free.fill(Qt::white);
    {
        QPainter painter(&free);
        painter.setFont(dlg.Font().Value());
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, 0, 400, 60), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
    int lowest = -1;
    for (int y = 0; y < free.height(); ++y)
        for (int x = 0; x < free.width(); ++x)
            if (qGray(free.pixel(x, y)) < 128) lowest = y;
    ASSERT_GE(lowest, 0);
    Run(dlg, [&](TBrowseDlgForm& form) {
        form.setStyleSheet("QDialog { background: white; }");
        const QImage image = form.grab().toImage();
        const QRect row = form.TextRowRect(1);
        int inGap = 0;
        for (int y = row.bottom() + 1; y <= row.bottom() + dlg.VertSpacing(); ++y)
            for (int x = row.left(); x < 250; ++x) inGap += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        if (lowest >= row.height()) {
            EXPECT_GT(inGap, 0) << "lowest glyph pixel " << lowest << ", row height " << row.height();
        } else {
            EXPECT_EQ(inGap, 0);
        }
        form.CancelBtn()->click();
    });
}

// ------------------------------------------------- building the window

TEST_F(BrowseDlgFormTest, SetUpBuildsControlsFromTheProperties) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCaption("Pick");
    dlg.SetCustomEditType(ceComboBox);
    dlg.SetCustomEditItems({"C:\\Work", "D:\\Data"});
    dlg.SetCustomEditText("typed before");
    dlg.SetCustomBtnType(cbCheckBox);
    dlg.SetCustomBtnChecked(true);
    dlg.SetCustomBtnEnabled(false);
    dlg.SetOKBtnCaption("Go");
    dlg.SetCancelBtnCaption("Stop");
    dlg.SetCustomBtnCaption("Mine");
    dlg.SetTreeShowRoot(true);
    dlg.SetOptions({boIncludeFiles});
    int clicks = 0;
    int edits = 0;
    dlg.OnCustomBtnClick = [&](QObject*) { ++clicks; };
    dlg.OnCustomEditChange = [&](QObject*) { ++edits; };
    Run(dlg, [&](TBrowseDlgForm& form) {
        EXPECT_EQ(form.windowTitle(), "Pick");
        ASSERT_NE(form.ComboBox(), nullptr);
        EXPECT_EQ(form.Edit(), nullptr);
        EXPECT_EQ(form.ComboBox()->currentText(), "typed before");
        EXPECT_EQ(form.ComboBox()->ItemIndex(), -1);
        EXPECT_EQ(form.ComboBox()->count(), 2);
        EXPECT_EQ(form.ComboBox()->itemText(1), "D:\\Data");
        ASSERT_NE(form.CustomCheckBox(), nullptr);
        EXPECT_TRUE(form.CustomCheckBox()->isChecked());
        EXPECT_FALSE(form.CustomCheckBox()->isEnabled());
        EXPECT_EQ(form.CustomCheckBox()->text(), "Mine");
        EXPECT_EQ(form.OKBtn()->text(), "Go");
        EXPECT_EQ(form.CancelBtn()->text(), "Stop");
        EXPECT_TRUE(form.OKBtn()->isDefault());
        EXPECT_TRUE(form.OKBtn()->isEnabled());
        EXPECT_TRUE(form.TreeView()->ShowRoot());
        EXPECT_TRUE(form.TreeView()->ShowFiles());
        EXPECT_EQ(form.TreeView()->SpecialRoot(), shell::sfMyComputer);
        EXPECT_EQ(form.font(), dlg.Font().Value());
        EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
        form.CancelBtn()->click();
    });
    // Building raised no event.
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(edits, 0);
}

TEST_F(BrowseDlgFormTest, TabOrderAndFirstFocus) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomBtnType(cbButton);
    Run(dlg, [&](TBrowseDlgForm& form) {
        EXPECT_EQ(form.focusWidget(), form.TreeView());
        const std::vector<QWidget*> expected = {form.Edit(), form.TreeView(), form.CustomBtn(), form.CancelBtn(),
                                                form.OKBtn()};
        std::vector<QWidget*> order;
        QWidget* w = form.Edit();
        for (int guard = 0; guard < 50 && order.size() < expected.size(); ++guard) {
            if (std::find(expected.begin(), expected.end(), w) != expected.end() &&
                std::find(order.begin(), order.end(), w) == order.end())
                order.push_back(w);
            w = w->nextInFocusChain();
        }
        EXPECT_EQ(order, expected);
        form.CancelBtn()->click();
    });
}

// -------------------------------------------------------- event order

TEST_F(BrowseDlgFormTest, EventsFireInTheirOrder) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    std::vector<std::string> log;
    auto text = [](const QString& s) { return s.toStdString(); };
    dlg.OnShow = [&](QObject* sender, TBrowseOKState& state) {
        EXPECT_EQ(sender, &dlg);
        EXPECT_EQ(state, okNoChange);
        log.push_back("show");
        dlg.SelectPath("C:\\Work\\");
        log.push_back("show selected " + text(dlg.SelectedPath()));
    };
    dlg.OnChange = [&](QObject*, TBrowseOKState& state) {
        EXPECT_EQ(state, okNoChange);
        log.push_back("change " + text(dlg.SelectedPath()) + " " + text(dlg.SelectedName()) + " " +
                      text(dlg.CustomEditText()));
    };
    dlg.OnOKBtnClick = [&](QObject*) {
        log.push_back("ok " + text(dlg.CustomEditText()) + " items " + std::to_string(dlg.CustomEditItems().Count()));
    };
    dlg.OnAddHistrory = [&](QObject*, QString& path) { log.push_back("history " + text(path)); };
    dlg.OnCancelBtnClick = [&](QObject*) { log.push_back("cancel"); };
    QPointer<TBrowseDlgForm> window;
    const bool ok = Run(dlg, [&](TBrowseDlgForm& form) {
        window = &form;
        log.push_back("running");
        // The same folder again moves nothing and fires nothing.
        dlg.SelectPath("C:\\Work");
        form.OKBtn()->click();
    });
    EXPECT_TRUE(ok);
    const std::vector<std::string> expected = {
        "show",    "change C:\\Work Work C:\\Work", "show selected C:\\Work",
        "running", "ok C:\\Work items 0",           "history C:\\Work",
    };
    EXPECT_EQ(log, expected);
    EXPECT_EQ(dlg.CustomEditLines(), QStringList({"C:\\Work"}));
    EXPECT_EQ(dlg.Form(), nullptr);
    // Released through the event loop, after Execute has returned.
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(BrowseDlgFormTest, WindowStandsAboveTheOwnersWindow) {
    QWidget owner;
    auto* dlg = new TBrowseDlg(&owner);
    UseComputer(*dlg);
    Run(*dlg, [&](TBrowseDlgForm& form) {
        EXPECT_EQ(form.parentWidget(), &owner);
        EXPECT_TRUE(form.isWindow());
        form.CancelBtn()->click();
    });
}

TEST_F(BrowseDlgFormTest, ComponentDestroysAWindowWhoseReleaseIsPending) {
    QPointer<TBrowseDlgForm> window;
    {
        TBrowseDlg dlg;
        UseComputer(dlg);
        Run(dlg, [&](TBrowseDlgForm& form) {
            window = &form;
            form.CancelBtn()->click();
        });
        EXPECT_FALSE(window.isNull());
    }
    EXPECT_TRUE(window.isNull());
}

struct OKStateCase {
    const char* name;
    bool returnOnlyDirectory;
    TBrowseOKState onShow;
    TBrowseOKState onChange;
    QString select;  // path selected in the run; "" for the computer itself
    bool enabledAtShow;
    bool enabledAfter;
};

TEST_F(BrowseDlgFormTest, OKButtonStateFollowsOptionAndHandlers) {
    const std::vector<OKStateCase> cases = {
        {"computer disables", true, okNoChange, okNoChange, "", true, false},
        {"drive enables", true, okNoChange, okNoChange, "C:\\", true, true},
        {"handler overrides the option", true, okNoChange, okEnable, "", true, true},
        {"handler disables a folder", true, okNoChange, okDisable, "C:\\Work", true, false},
        {"no option: stays enabled", false, okNoChange, okNoChange, "", true, true},
        {"show disables, option decides anew", true, okDisable, okNoChange, "C:\\Work", false, true},
        {"show disables, no option keeps it", false, okDisable, okNoChange, "C:\\Work", false, false},
        {"unknown state value changes nothing", true, static_cast<TBrowseOKState>(7), okNoChange, "C:\\", true, true},
    };
    for (const OKStateCase& c : cases) {
        SCOPED_TRACE(c.name);
        TBrowseDlg dlg;
        UseComputer(dlg);
        dlg.SetOptions(c.returnOnlyDirectory ? TBrowseOptions{boReturnOnlyDirectory} : TBrowseOptions{});
        dlg.OnShow = [&](QObject*, TBrowseOKState& state) { state = c.onShow; };
        dlg.OnChange = [&](QObject*, TBrowseOKState& state) { state = c.onChange; };
        Run(dlg, [&](TBrowseDlgForm& form) {
            EXPECT_EQ(form.OKBtn()->isEnabled(), c.enabledAtShow);
            if (c.select.isEmpty()) {
                form.TreeView()->setCurrentIndex(form.TreeView()->TopIndex());
                EXPECT_EQ(dlg.SelectedName(), "Computer");
            } else {
                dlg.SelectPath(c.select);
            }
            EXPECT_EQ(dlg.SelectedPath(), c.select);
            EXPECT_EQ(form.OKBtn()->isEnabled(), c.enabledAfter);
            form.CancelBtn()->click();
        });
    }
}

// ------------------------------------------------------ OK and typing

struct TypedCase {
    const char* name;
    QString typed;
    QString seenAtOK;
    int changesAtOK;
    const char* unanswered = nullptr;  // the namespace holds the parse of this item
};

TEST_F(BrowseDlgFormTest, OKTakesTheTypedPathUnlessTheTreeMoves) {
    const std::vector<TypedCase> cases = {
        {"new subfolder of the selected one", "C:\\Work\\New", "C:\\Work\\New", 0},
        {"nearest existing ancestor elsewhere", "D:\\Data\\Missing", "D:\\Data", 1},
        {"an existing folder", "C:\\Windows\\", "C:\\Windows", 1},
        {"nothing that resolves", "no such place", "no such place", 0},
        {"outside the root: the desktop", "", "", 0},
        // The tree shows the drive meanwhile; what was typed is the answer.
        {"a parse that does not come in time", "D:\\Data\\Missing", "D:\\Data\\Missing", 1, "Computer/D/Data"},
    };
    for (const TypedCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.unanswered != nullptr) {
            ASSERT_TRUE(FShell->Hold(shell::MemoryCall::Parse, c.unanswered));
        }
        TBrowseDlg dlg;
        UseComputer(dlg);
        int changes = 0;
        QString seen = "unset";
        dlg.OnShow = [&](QObject*, TBrowseOKState&) { dlg.SelectPath("C:\\Work"); };
        dlg.OnChange = [&](QObject*, TBrowseOKState&) { ++changes; };
        dlg.OnOKBtnClick = [&](QObject*) { seen = dlg.CustomEditText(); };
        const bool ok = Run(dlg, [&](TBrowseDlgForm& form) {
            changes = 0;
            form.Edit()->clear();
            QTest::keyClicks(form.Edit(), c.typed);
            EXPECT_EQ(dlg.CustomEditText(), c.typed);
            EXPECT_EQ(dlg.SelectedPath(), "C:\\Work");  // typing moves nothing
            form.OKBtn()->click();
        });
        EXPECT_TRUE(ok);
        EXPECT_EQ(seen, c.seenAtOK);
        EXPECT_EQ(changes, c.changesAtOK);
        EXPECT_EQ(dlg.CustomEditText(), c.seenAtOK);
        EXPECT_EQ(dlg.CustomEditLines(), c.seenAtOK.isEmpty() ? QStringList() : QStringList({c.seenAtOK}));
        FShell->ReleaseHeld();
    }
}

TEST_F(BrowseDlgFormTest, EnterClicksOKAndEscClicksCancel) {
    for (const auto key : {Qt::Key_Return, Qt::Key_Escape}) {
        TBrowseDlg dlg;
        UseComputer(dlg);
        int oks = 0;
        int cancels = 0;
        dlg.OnOKBtnClick = [&](QObject*) { ++oks; };
        dlg.OnCancelBtnClick = [&](QObject*) { ++cancels; };
        const bool ok = Run(dlg, [&](TBrowseDlgForm& form) {
            dlg.SelectPath("D:\\Data");
            QTest::keyClick(form.Edit(), key);
        });
        EXPECT_EQ(ok, key == Qt::Key_Return);
        EXPECT_EQ(oks, key == Qt::Key_Return ? 1 : 0);
        EXPECT_EQ(cancels, key == Qt::Key_Escape ? 1 : 0);
    }
}

// ---------------------------------------------- cancel and close box

TEST_F(BrowseDlgFormTest, CancelEscAndCloseBoxStoreNothing) {
    enum Way { CancelButton, EscKey, CloseBox };
    for (const Way way : {CancelButton, EscKey, CloseBox}) {
        SCOPED_TRACE(static_cast<int>(way));
        TBrowseDlg dlg;
        UseComputer(dlg);
        dlg.SetCustomBtnType(cbCheckBox);
        dlg.SetCustomEditItems({"C:\\Old"});
        int cancels = 0;
        int oks = 0;
        dlg.OnCancelBtnClick = [&](QObject*) { ++cancels; };
        dlg.OnOKBtnClick = [&](QObject*) { ++oks; };
        const bool ok = Run(dlg, [&](TBrowseDlgForm& form) {
            dlg.SelectPath("C:\\Windows");
            form.CustomCheckBox()->click();
            EXPECT_TRUE(dlg.CustomBtnChecked());  // read live
            QTest::keyClicks(form.Edit(), "\\x");
            if (way == CancelButton) form.CancelBtn()->click();
            if (way == EscKey) QTest::keyClick(&form, Qt::Key_Escape);
            if (way == CloseBox) form.close();
        });
        EXPECT_FALSE(ok);
        EXPECT_EQ(cancels, way == CloseBox ? 0 : 1);
        EXPECT_EQ(oks, 0);
        EXPECT_FALSE(dlg.CustomBtnChecked());
        EXPECT_EQ(dlg.CustomEditLines(), QStringList({"C:\\Old"}));
        // What the run last left stays.
        EXPECT_EQ(dlg.SelectedPath(), "C:\\Windows");
        EXPECT_EQ(dlg.SelectedName(), "Windows");
        EXPECT_EQ(dlg.CustomEditText(), "C:\\Windows\\x");
    }
}

TEST_F(BrowseDlgFormTest, NextRunStartsWithTheOldEditText) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    Run(dlg, [&](TBrowseDlgForm& form) {
        dlg.SelectPath("D:\\Data");
        form.CancelBtn()->click();
    });
    Run(dlg, [&](TBrowseDlgForm& form) {
        EXPECT_EQ(form.Edit()->text(), "D:\\Data");
        EXPECT_EQ(form.TreeView()->GetSelectedPath(), "");
        form.CancelBtn()->click();
    });
}

// --------------------------------------------------- the custom control

TEST_F(BrowseDlgFormTest, CheckBoxIsReadAndWrittenLiveAndStoredAtOK) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomBtnType(cbCheckBox);
    std::vector<bool> seenInClick;
    dlg.OnCustomBtnClick = [&](QObject*) { seenInClick.push_back(dlg.CustomBtnChecked()); };
    const bool ok = Run(dlg, [&](TBrowseDlgForm& form) {
        dlg.SetCustomBtnChecked(true);  // a change: counts as a click
        EXPECT_TRUE(form.CustomCheckBox()->isChecked());
        dlg.SetCustomBtnChecked(true);   // no change: nothing
        form.CustomCheckBox()->click();  // the user unchecks
        form.CustomCheckBox()->click();  // and checks again
        form.OKBtn()->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(seenInClick, std::vector<bool>({true, false, true}));
    EXPECT_TRUE(dlg.CustomBtnChecked());
}

// A failing click handler under a write of the check state reaches the
// writer; under the user's click it is reported.
TEST_F(BrowseDlgFormTest, FailingClickHandlerReachesTheWriterOfTheCheckState) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomBtnType(cbCheckBox);
    dlg.OnCustomBtnClick = [&](QObject*) { throw EBrowseDlgError("no click"); };
    Run(dlg, [&](TBrowseDlgForm& form) {
        EXPECT_THROW(dlg.SetCustomBtnChecked(true), EBrowseDlgError);
        EXPECT_TRUE(form.CustomCheckBox()->isChecked());
        EXPECT_TRUE(Reports.isEmpty());
        form.CustomCheckBox()->click();
        EXPECT_EQ(Reports, QStringList({"no click."}));
        form.CancelBtn()->click();
    });
}

TEST_F(BrowseDlgFormTest, CustomPushButtonRaisesItsEventAndStaysOpen) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomBtnType(cbButton);
    int clicks = 0;
    dlg.OnCustomBtnClick = [&](QObject*) { ++clicks; };
    Run(dlg, [&](TBrowseDlgForm& form) {
        form.CustomBtn()->click();
        form.CustomBtn()->click();
        EXPECT_TRUE(form.isVisible());
        // Checking state of a push button is no check box state.
        dlg.SetCustomBtnChecked(true);
        EXPECT_TRUE(dlg.CustomBtnChecked());
        form.CancelBtn()->click();
    });
    EXPECT_EQ(clicks, 2);
}

// ---------------------------------------------------- combo box history

TEST_F(BrowseDlgFormTest, ComboListFollowsTheHistoryAndTheOwnersEdits) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomEditType(ceComboBox);
    dlg.SetCustomEditItems({"D:\\Data"});
    auto items = [](QComboBox* combo) {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i) out.append(combo->itemText(i));
        return out;
    };
    Run(dlg, [&](TBrowseDlgForm& form) {
        TBrowseComboBox* combo = form.ComboBox();
        dlg.SelectPath("C:\\Work");
        EXPECT_EQ(combo->currentText(), "C:\\Work");
        dlg.AddHistory();
        EXPECT_EQ(items(combo), QStringList({"C:\\Work", "D:\\Data"}));
        EXPECT_EQ(combo->currentText(), "C:\\Work");  // the text is kept
        EXPECT_EQ(combo->ItemIndex(), -1);
        dlg.CustomEditItems().Add("C:\\Windows");
        EXPECT_EQ(items(combo), QStringList({"C:\\Work", "D:\\Data", "C:\\Windows"}));
        dlg.SetCustomEditItems({});
        EXPECT_EQ(combo->count(), 0);
        EXPECT_EQ(combo->currentText(), "C:\\Work");
        form.OKBtn()->click();
    });
    EXPECT_EQ(dlg.CustomEditLines(), QStringList({"C:\\Work"}));
}

TEST_F(BrowseDlgFormTest, PickingAComboEntryMovesTheTreeTypingDoesNot) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomEditType(ceComboBox);
    dlg.SetCustomEditItems({"C:\\Work\\", "D:\\Data\\Missing"});
    std::vector<std::string> log;
    dlg.OnChange = [&](QObject*, TBrowseOKState&) { log.push_back("change " + dlg.SelectedPath().toStdString()); };
    dlg.OnCustomEditChange = [&](QObject*) { log.push_back("edit " + dlg.CustomEditText().toStdString()); };
    Run(dlg, [&](TBrowseDlgForm& form) {
        TBrowseComboBox* combo = form.ComboBox();
        combo->setFocus();
        // The user chooses the second entry with the arrow key.
        QTest::keyClick(combo, Qt::Key_Down);
        EXPECT_EQ(dlg.SelectedPath(), "D:\\Data");
        // The user types: only the text follows.
        QTest::keyClicks(combo->lineEdit(), "x");
        EXPECT_EQ(combo->ItemIndex(), -1);
        EXPECT_EQ(dlg.CustomEditText(), "D:\\Datax");
        // Choosing the first entry.
        QTest::keyClick(combo, Qt::Key_Up);
        EXPECT_EQ(dlg.SelectedPath(), "C:\\Work");
        form.CancelBtn()->click();
    });
    const std::vector<std::string> expected = {"change D:\\Data", "edit D:\\Data", "change C:\\Work", "edit C:\\Work"};
    EXPECT_EQ(log, expected);
}

// A typed text that happens to equal an entry of the list is still typing:
// leaving the combo box must not turn it into a choice of that entry.
TEST_F(BrowseDlgFormTest, TypedTextEqualToAnEntryStaysTypingWhenTheComboIsLeft) {
    struct Case {
        const char* name;
        std::function<void(TBrowseDlgForm&)> leave;
    };
    const std::vector<Case> cases = {
        {"Tab key", [](TBrowseDlgForm& form) { QTest::keyClick(form.ComboBox(), Qt::Key_Tab); }},
        {"focus moved to the tree", [](TBrowseDlgForm& form) { form.TreeView()->setFocus(Qt::MouseFocusReason); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBrowseDlg dlg;
        UseComputer(dlg);
        dlg.SetCustomEditType(ceComboBox);
        dlg.SetCustomEditItems({"D:\\Data", "C:\\Work"});
        std::vector<std::string> log;
        dlg.OnChange = [&](QObject*, TBrowseOKState&) { log.push_back("change " + dlg.SelectedPath().toStdString()); };
        dlg.OnCustomEditChange = [&](QObject*) { log.push_back("edit"); };
        Run(dlg, [&](TBrowseDlgForm& form) {
            form.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
            dlg.SelectPath("D:\\");
            log.clear();
            TBrowseComboBox* combo = form.ComboBox();
            combo->setFocus();
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo, "C:\\Work");
            c.leave(form);
            EXPECT_NE(QApplication::focusWidget(), combo);
            EXPECT_EQ(combo->ItemIndex(), -1);
            EXPECT_EQ(combo->currentText(), "C:\\Work");
            form.CancelBtn()->click();
        });
        EXPECT_EQ(log, std::vector<std::string>());
        EXPECT_EQ(dlg.SelectedPath(), "D:\\");
        EXPECT_EQ(dlg.CustomEditText(), "C:\\Work");
    }
}

// ------------------------------------------------ live property changes

TEST_F(BrowseDlgFormTest, RunningSettersApplyAtOnce) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomBtnType(cbButton);
    Run(dlg, [&](TBrowseDlgForm& form) {
        dlg.SetCaption("Retitled");
        EXPECT_EQ(form.windowTitle(), "Retitled");
        dlg.SetOKBtnCaption("Yes");
        dlg.SetCancelBtnCaption("No");
        dlg.SetCustomBtnCaption("Other");
        EXPECT_EQ(form.OKBtn()->text(), "Yes");
        EXPECT_EQ(form.CancelBtn()->text(), "No");
        EXPECT_EQ(form.CustomBtn()->text(), "Other");
        dlg.SetCustomBtnEnabled(false);
        EXPECT_FALSE(form.CustomBtn()->isEnabled());
        dlg.SetCustomBtnVisible(false);
        EXPECT_FALSE(form.CustomBtn()->isVisible());
        dlg.SetTreeShowRoot(true);
        EXPECT_TRUE(form.TreeView()->ShowRoot());

        // Width: placed and laid out again, buttons anchored to the right.
        const int editWidth = form.Edit()->width();
        const int customWidth = form.CustomBtn()->width();
        dlg.SetWidth(478);
        EXPECT_EQ(form.frameGeometry().width(), 478);
        EXPECT_EQ(form.Edit()->width(), editWidth + 100);
        EXPECT_EQ(form.CustomBtn()->width(), customWidth + 100);
        EXPECT_EQ(form.CancelBtn()->x(), form.width() - 12 - 88);

        // Height: the tree absorbs it.
        const int treeHeight = form.TreeView()->height();
        dlg.SetHeight(350);
        EXPECT_EQ(form.TreeView()->height(), treeHeight + 50);

        dlg.SetBtnHeight(30);
        dlg.SetCancelBtnWidth(100);
        EXPECT_EQ(form.CancelBtn()->geometry(), QRect(form.width() - 12 - 100, form.height() - 8 - 30, 100, 30));

        // Tree margin alone: left edge and width, nothing else moves.
        const QRect editBefore = form.Edit()->geometry();
        dlg.SetTreeHorzMargin(20);
        EXPECT_EQ(form.TreeView()->x(), 20);
        EXPECT_EQ(form.TreeView()->width(), form.width() - 40);
        EXPECT_EQ(form.Edit()->geometry(), editBefore);

        // Hiding the edit closes its row; the same value again does nothing.
        const int editTop = form.Edit()->y();
        dlg.SetCustomEditVisible(false);
        EXPECT_FALSE(form.Edit()->isVisible());
        EXPECT_EQ(form.TreeView()->y(), editTop);
        form.TreeView()->move(form.TreeView()->x(), 0);
        dlg.SetCustomEditVisible(false);
        EXPECT_EQ(form.TreeView()->y(), 0);

        dlg.SetTopMargin(30);
        EXPECT_EQ(form.TreeView()->y(), editTop + 22);
        form.CancelBtn()->click();
    });
}

TEST_F(BrowseDlgFormTest, FontChangeWhileRunningRelaysTheWindowOut) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.Font().SetHeight(-12);
    Run(dlg, [&](TBrowseDlgForm& form) {
        const int editHeight = form.Edit()->height();
        const int treeTop = form.TreeView()->y();
        const int treeHeight = form.TreeView()->height();
        dlg.Font().SetHeight(-24);
        EXPECT_FALSE(dlg.UseSystemFont());
        EXPECT_EQ(form.font().pixelSize(), 24);
        EXPECT_EQ(form.Edit()->font().pixelSize(), 24);
        EXPECT_GT(form.Edit()->height(), editHeight);
        const int grown = (form.Edit()->height() - editHeight) + 12;  // edit and row height
        EXPECT_EQ(form.Edit()->y(), 8 + 26 + 4);
        EXPECT_EQ(form.TreeView()->y(), treeTop + grown);
        EXPECT_EQ(form.TreeView()->height(), treeHeight - grown);
        // Back to the system font reaches the window too.
        dlg.SetUseSystemFont(true);
        EXPECT_EQ(form.font(), SystemFont().Value());
        form.CancelBtn()->click();
    });
}

struct RefusedCase {
    const char* name;
    std::function<void(TBrowseDlg&)> set;
    std::function<bool(const TBrowseDlg&)> unchanged;
};

TEST_F(BrowseDlgFormTest, FivePropertiesAreRefusedWhileRunning) {
    const std::vector<RefusedCase> cases = {
        {"CustomBtnType", [](TBrowseDlg& d) { d.SetCustomBtnType(cbNone); },
         [](const TBrowseDlg& d) { return d.CustomBtnType() == cbNone; }},
        {"CustomEditType", [](TBrowseDlg& d) { d.SetCustomEditType(ceComboBox); },
         [](const TBrowseDlg& d) { return d.CustomEditType() == ceEdit; }},
        {"Options", [](TBrowseDlg& d) { d.SetOptions({boIncludeFiles}); },
         [](const TBrowseDlg& d) { return d.Options() == TBrowseOptions{boReturnOnlyDirectory}; }},
        {"Root", [](TBrowseDlg& d) { d.SetRoot("C:\\Work"); }, [](const TBrowseDlg& d) { return d.Root().isEmpty(); }},
        {"SpecialRoot", [](TBrowseDlg& d) { d.SetSpecialRoot(shell::sfMyComputer); },
         [](const TBrowseDlg& d) { return d.SpecialRoot() == shell::sfMyComputer; }},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.name);
        TBrowseDlg dlg;
        UseComputer(dlg);
        Run(dlg, [&](TBrowseDlgForm& form) {
            try {
                c.set(dlg);
                ADD_FAILURE() << "not refused";
            } catch (const EBrowseDlgPropertyError& e) {
                EXPECT_EQ(std::string(e.what()), std::string("TBrowseDlg: Execute の実行中には ") + c.name +
                                                     " プロパティの値を変更できません");
            }
            EXPECT_TRUE(c.unchanged(dlg));
            form.CancelBtn()->click();
        });
    }
}

// -------------------------------------------------------------- failures

TEST_F(BrowseDlgFormTest, ExecuteInsideARunIsRefusedAndTheRunGoesOn) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    std::string caught;
    dlg.OnShow = [&](QObject*, TBrowseOKState&) {
        try {
            dlg.Execute();
        } catch (const EBrowseDlgError& e) {
            caught = e.what();
        }
        dlg.Execute();  // this one reaches the failure report
    };
    const bool ok = Run(dlg, [&](TBrowseDlgForm& form) {
        EXPECT_TRUE(form.isVisible());
        form.OKBtn()->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(caught, "TBrowseDlg: Execute is already running");
    EXPECT_EQ(Reports, QStringList({"TBrowseDlg: Execute is already running."}));
}

TEST_F(BrowseDlgFormTest, RefusalInOnShowIsReportedAndCaptionStillApplies) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.OnShow = [&](QObject*, TBrowseOKState& state) {
        dlg.SetCaption("New title");
        state = okDisable;
        dlg.SetRoot("C:\\");
        state = okEnable;
    };
    Run(dlg, [&](TBrowseDlgForm& form) {
        EXPECT_EQ(form.windowTitle(), "New title");
        // The handler ended before its state was applied.
        EXPECT_TRUE(form.OKBtn()->isEnabled());
        form.CancelBtn()->click();
    });
    EXPECT_EQ(dlg.Root(), "");
    EXPECT_EQ(Reports, QStringList({"TBrowseDlg: Execute の実行中には Root プロパティの値を変更できません."}));
}

TEST_F(BrowseDlgFormTest, FailingOKHandlerKeepsTheWindowOpenAndSkipsTheHistory) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    int calls = 0;
    dlg.OnOKBtnClick = [&](QObject*) {
        if (++calls == 1) throw std::runtime_error("not now");
    };
    const bool ok = Run(dlg, [&](TBrowseDlgForm& form) {
        dlg.SelectPath("C:\\Work");
        form.OKBtn()->click();
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(dlg.CustomEditLines().isEmpty());
        form.OKBtn()->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(Reports, QStringList({"not now."}));
    EXPECT_EQ(dlg.CustomEditLines(), QStringList({"C:\\Work"}));
}

// A failure in OnChange under a selection made by program reaches the
// caller of SelectPath; one under the user's own selection is reported.
TEST_F(BrowseDlgFormTest, FailingChangeHandlerReachesTheSelectingCaller) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    bool fail = true;
    dlg.OnChange = [&](QObject*, TBrowseOKState& state) {
        state = okDisable;
        if (fail) throw EBrowseDlgError("change failed");
    };
    std::string caught;
    dlg.OnShow = [&](QObject*, TBrowseOKState&) {
        try {
            dlg.SelectPath("C:\\Work");
        } catch (const EBrowseDlgError& e) {
            caught = e.what();
        }
    };
    Run(dlg, [&](TBrowseDlgForm& form) {
        EXPECT_EQ(dlg.SelectedPath(), "C:\\Work");  // stored before the handler ran
        EXPECT_TRUE(form.OKBtn()->isEnabled());     // the handler's state was skipped
        EXPECT_TRUE(Reports.isEmpty());
        form.TreeView()->setCurrentIndex(form.TreeView()->TopIndex());
        EXPECT_EQ(Reports, QStringList({"change failed."}));
        fail = false;
        dlg.SelectPath("D:\\");
        EXPECT_FALSE(form.OKBtn()->isEnabled());
        form.CancelBtn()->click();
    });
    EXPECT_EQ(caught, "change failed");
}

TEST_F(BrowseDlgFormTest, EnterInTheComboBoxClicksOKWithTheTypedText) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomEditType(ceComboBox);
    dlg.SetCustomEditItems({"D:\\Data", "C:\\Work"});
    int edits = 0;
    QString seen;
    dlg.OnCustomEditChange = [&](QObject*) { ++edits; };
    dlg.OnOKBtnClick = [&](QObject*) { seen = dlg.CustomEditText(); };
    const bool ok = Run(dlg, [&](TBrowseDlgForm& form) {
        dlg.SelectPath("D:\\");
        TBrowseComboBox* combo = form.ComboBox();
        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "C:\\Work");
        QTest::keyClick(combo, Qt::Key_Return);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(seen, "C:\\Work");
    EXPECT_EQ(dlg.CustomEditLines(), QStringList({"C:\\Work", "D:\\Data"}));
}

// The same run on real folders of this system, in its own path syntax.
TEST(BrowseDlgPosixTest, TypedPathOnRealFoldersMovesToItsNearestFolder) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("work/表/deeper")));
    BrowseUnitScope unit(shell::CreatePosixShellPlatform({home.path().toStdString(), "", "", {}}));
    QStringList reports;
    const TFailureReport previous = SetFailureReport([&](const QString& text) { reports.append(text); });

    TBrowseDlg dlg;
    dlg.SetRoot(home.path());
    const QString work = home.path() + QStringLiteral("/work");
    const QString kanji = work + QStringLiteral("/表");
    dlg.OnShow = [&](QObject*, TBrowseOKState&) { dlg.SelectPath(work + "/"); };
    QString seen;
    dlg.OnOKBtnClick = [&](QObject*) { seen = dlg.CustomEditText(); };
    const bool ok = RunBrowse(dlg, [&](TBrowseDlgForm& form) {
        EXPECT_EQ(dlg.SelectedPath(), work);
        EXPECT_EQ(dlg.SelectedName(), "work");
        form.Edit()->setText(kanji + QStringLiteral("/missing/"));
        form.OKBtn()->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(seen, kanji);
    EXPECT_EQ(dlg.CustomEditLines(), QStringList({kanji}));
    EXPECT_TRUE(reports.isEmpty());
    SetFailureReport(previous);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
