// The browse component without a running window: defaults, the history
// rule, the font rule, the option set.

#include "BrowseDlg.h"

#include "BrowseTestSupport.h"

#include <QFontDatabase>
#include <QAbstractButton>
#include <QMessageBox>
#include <QMetaProperty>
#include <QTimer>
#include <QVariant>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace quillane;
using namespace quillane::test;

namespace {

class BrowseDlgTest : public BrowseFixture {};

// Every published property, its default, read through the meta-object so
// that a property missing from the declaration fails too.
TEST_F(BrowseDlgTest, NewComponentHasEveryDefault) {
    TBrowseDlg dlg;
    struct Expect {
        const char* name;
        QVariant value;
    };
    const std::vector<Expect> defaults = {
        {"BottomMargin", 8},
        {"BtnHeight", 24},
        {"BtnHorzMargin", 12},
        {"BtnHorzSpacing", 8},
        {"CancelBtnCaption", QStringLiteral("キャンセル(&C)")},
        {"CancelBtnWidth", 88},
        {"Caption", QStringLiteral("フォルダの参照")},
        {"CustomBtnCaption", QStringLiteral("カスタム(&U)")},
        {"CustomBtnChecked", false},
        {"CustomBtnEnabled", true},
        {"CustomBtnType", QVariant::fromValue(cbNone)},
        {"CustomBtnVisible", true},
        {"CustomEditHorzMargin", 8},
        {"CustomEditItems", QStringList()},
        {"CustomEditType", QVariant::fromValue(ceEdit)},
        {"CustomEditVisible", true},
        {"Font", QVariant::fromValue(SystemFont())},
        {"Height", 300},
        {"OKBtnCaption", QStringLiteral("&OK")},
        {"OKBtnWidth", 88},
        {"Options", QVariant::fromValue(TBrowseOptions{boReturnOnlyDirectory})},
        {"Root", QString()},
        {"ScreenCenter", true},
        {"SpecialRoot", QVariant::fromValue(shell::sfDesktop)},
        {"Text1", QString()},
        {"Text1Visible", true},
        {"Text2", QString()},
        {"Text2Visible", false},
        {"TextHorzMargin", 12},
        {"TopMargin", 8},
        {"TreeHorzMargin", 8},
        {"TreeShowRoot", false},
        {"UseHistory", true},
        {"UseSystemFont", true},
        {"VertSpacing", 4},
        {"Width", 378},
        {"X", 64},
        {"Y", 64},
    };
    for (const Expect& e : defaults) {
        SCOPED_TRACE(e.name);
        const int index = dlg.metaObject()->indexOfProperty(e.name);
        ASSERT_GE(index, 0) << "not published";
        const QVariant actual = dlg.metaObject()->property(index).read(&dlg);
        if (e.value.metaType() == QMetaType::fromType<TFont>()) {
            EXPECT_TRUE(actual.value<TFont>() == e.value.value<TFont>());
        } else if (e.value.metaType() == QMetaType::fromType<TBrowseOptions>()) {
            EXPECT_EQ(actual.value<TBrowseOptions>().Bits(), e.value.value<TBrowseOptions>().Bits());
        } else if (e.value.metaType() == QMetaType::fromType<TCustomBtnType>()) {
            EXPECT_EQ(actual.value<TCustomBtnType>(), e.value.value<TCustomBtnType>());
        } else if (e.value.metaType() == QMetaType::fromType<TCustomEditType>()) {
            EXPECT_EQ(actual.value<TCustomEditType>(), e.value.value<TCustomEditType>());
        } else if (e.value.metaType() == QMetaType::fromType<shell::TSpecialFolder>()) {
            EXPECT_EQ(actual.value<shell::TSpecialFolder>(), e.value.value<shell::TSpecialFolder>());
        } else {
            EXPECT_EQ(actual, e.value);
        }
    }
    EXPECT_TRUE(dlg.CustomEditText().isEmpty());
    EXPECT_TRUE(dlg.SelectedPath().isEmpty());
    EXPECT_TRUE(dlg.SelectedName().isEmpty());
    EXPECT_FALSE(dlg.Running());
}

TEST_F(BrowseDlgTest, OptionSetKeepsOneBitPerOption) {
    const TBrowseOptions none;
    const TBrowseOptions both{boReturnOnlyDirectory, boIncludeFiles};
    EXPECT_EQ(none.Bits(), 0);
    EXPECT_EQ(TBrowseOptions{boReturnOnlyDirectory}.Bits(), 1);
    EXPECT_EQ(TBrowseOptions{boIncludeFiles}.Bits(), 2);
    EXPECT_EQ(both.Bits(), 3);
    EXPECT_TRUE(both.Without(boReturnOnlyDirectory) == TBrowseOptions{boIncludeFiles});
    EXPECT_TRUE(none.With(boIncludeFiles).Contains(boIncludeFiles));
    EXPECT_FALSE(none.With(boIncludeFiles).Contains(boReturnOnlyDirectory));
    EXPECT_EQ(TBrowseOptions::FromBits(0xFF).Bits(), 3);
}

struct HistoryCase {
    const char* name;
    QStringList before;
    QString chosen;
    QStringList after;
};

TEST_F(BrowseDlgTest, HistoryReplacesTheLastEqualLineAndPutsTheEntryFirst) {
    const std::vector<HistoryCase> cases = {
        {"scan from the end", {"c:\\a", "C:\\B", "c:\\b"}, "C:\\b", {"C:\\b", "c:\\a", "C:\\B"}},
        {"new entry", {"c:\\a"}, "D:\\x", {"D:\\x", "c:\\a"}},
        {"empty list", {}, "C:\\", {"C:\\"}},
        {"already first", {"C:\\a", "D:\\"}, "c:\\A", {"c:\\A", "D:\\"}},
        {"only ASCII letters fold", {QStringLiteral("C:\\ä")}, QStringLiteral("C:\\Ä"),
         {QStringLiteral("C:\\Ä"), QStringLiteral("C:\\ä")}},
        {"duplicates allowed elsewhere", {"x", "x", "y"}, "y", {"y", "x", "x"}},
    };
    for (const HistoryCase& c : cases) {
        SCOPED_TRACE(c.name);
        TBrowseDlg dlg;
        dlg.SetCustomEditItems(c.before);
        dlg.SetCustomEditText(c.chosen);
        dlg.AddHistory();
        EXPECT_EQ(dlg.CustomEditLines(), c.after);
        EXPECT_EQ(dlg.CustomEditText(), c.chosen);
    }
}

TEST_F(BrowseDlgTest, AddHistoryHandlerChangesOrCancelsTheEntry) {
    struct Case {
        const char* name;
        bool useHistory;
        QString handlerResult;  // null: no handler
        QStringList after;
        int events;
    };
    const std::vector<Case> cases = {
        {"handler cancels", true, QString(""), {"old"}, 1},
        {"handler replaces", true, QString("other"), {"other", "old"}, 1},
        {"history off", false, QString("other"), {"old"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBrowseDlg dlg;
        dlg.SetCustomEditItems({"old"});
        dlg.SetCustomEditText("chosen");
        dlg.SetUseHistory(c.useHistory);
        int events = 0;
        QString seen;
        dlg.OnAddHistrory = [&](QObject* sender, QString& path) {
            EXPECT_EQ(sender, &dlg);
            ++events;
            seen = path;
            path = c.handlerResult;
        };
        dlg.AddHistory();
        EXPECT_EQ(events, c.events);
        if (c.events > 0) {
            EXPECT_EQ(seen, "chosen");
        }
        EXPECT_EQ(dlg.CustomEditLines(), c.after);
        EXPECT_EQ(dlg.CustomEditText(), "chosen");
    }
}

TEST_F(BrowseDlgTest, AnyFontChangeTurnsSystemFontOffAndSettingItBackRestoresIt) {
    TBrowseDlg dlg;
    ASSERT_TRUE(dlg.UseSystemFont());
    ASSERT_TRUE(dlg.Font() == SystemFont());

    // A copy or an assignment that changes nothing runs no hook.
    dlg.SetFont(SystemFont());
    dlg.Font().SetSize(dlg.Font().Size());
    dlg.Font().SetBold(dlg.Font().Bold());
    EXPECT_TRUE(dlg.UseSystemFont());

    dlg.Font().SetSize(dlg.Font().Size() + 5);
    EXPECT_FALSE(dlg.UseSystemFont());
    EXPECT_FALSE(dlg.Font() == SystemFont());

    dlg.SetUseSystemFont(true);
    EXPECT_TRUE(dlg.UseSystemFont());
    EXPECT_TRUE(dlg.Font() == SystemFont());

    // Off keeps the font as it is.
    dlg.Font().SetColor(Qt::red);
    dlg.SetUseSystemFont(false);
    EXPECT_EQ(dlg.Font().Color(), QColor(Qt::red));
    dlg.SetUseSystemFont(true);
    EXPECT_FALSE(dlg.Font().Color().isValid());

    TFont other = SystemFont();
    other.SetItalic(!other.Italic());
    dlg.SetFont(other);
    EXPECT_FALSE(dlg.UseSystemFont());
    EXPECT_TRUE(dlg.Font() == other);
}

TEST_F(BrowseDlgTest, FontHeightAndLineHeight) {
    TBrowseDlg dlg;
    dlg.Font().SetHeight(-12);
    EXPECT_EQ(dlg.Font().Height(), -12);
    EXPECT_EQ(dlg.TextLineHeight(), 14);
    dlg.Font().SetHeight(20);
    EXPECT_EQ(dlg.Font().Height(), -20);
    EXPECT_EQ(dlg.TextLineHeight(), 22);
    // A height of zero is no font; the font stays.
    dlg.Font().SetHeight(0);
    EXPECT_EQ(dlg.Font().Height(), -20);
}

TEST_F(BrowseDlgTest, SystemFontIsTheDesktopsGeneralFont) {
    TFont loaded;
    LoadMessageFont(loaded);
    EXPECT_EQ(loaded.Value(), QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    EXPECT_TRUE(SystemFont() == loaded);
}

TEST_F(BrowseDlgTest, IdleComponentOnlyStores) {
    TBrowseDlg dlg;
    UseComputer(dlg);
    dlg.SetCustomEditText("C:\\Work");
    dlg.SelectPath("C:\\Windows");
    dlg.SetSelectedPath("D:\\Data");
    EXPECT_EQ(dlg.SelectedPath(), "");
    EXPECT_EQ(dlg.CustomEditText(), "C:\\Work");

    // The five refused properties take values while no window runs.
    dlg.SetRoot("C:\\Work");
    dlg.SetSpecialRoot(shell::sfPersonal);
    dlg.SetOptions({boIncludeFiles});
    dlg.SetCustomBtnType(cbCheckBox);
    dlg.SetCustomEditType(ceComboBox);
    EXPECT_EQ(dlg.Root(), "C:\\Work");
    EXPECT_EQ(dlg.SpecialRoot(), shell::sfPersonal);
    EXPECT_TRUE(dlg.Options() == TBrowseOptions{boIncludeFiles});
    EXPECT_EQ(dlg.CustomBtnType(), cbCheckBox);
    EXPECT_EQ(dlg.CustomEditType(), ceComboBox);

    dlg.SetCustomBtnChecked(true);
    EXPECT_TRUE(dlg.CustomBtnChecked());
}

}  // namespace
