// The stored form of a browse component: what is written, what loading
// applies, and what it refuses.

#include "BrowseDlg.h"

#include "BrowseTestSupport.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace quillane;
using namespace quillane::test;

namespace {

class BrowseDlgStoreTest : public BrowseFixture {};

const char* const ConstructorStrings =
    "CancelBtnCaption = 'キャンセル(&C)'\n"
    "Caption = 'フォルダの参照'\n"
    "CustomBtnCaption = 'カスタム(&U)'\n"
    "OKBtnCaption = '&OK'\n";

TEST_F(BrowseDlgStoreTest, NewComponentStoresOnlyItsNonEmptyStrings) {
    TBrowseDlg dlg;
    EXPECT_EQ(SaveBrowseDlgForm(dlg).toStdString(), ConstructorStrings);
}

struct StoredCase {
    const char* name;
    std::function<void(TBrowseDlg&)> change;
    QString line;  // the line the change adds
};

TEST_F(BrowseDlgStoreTest, ValuesDifferentFromTheDefaultAreWritten) {
    const std::vector<StoredCase> cases = {
        {"integer", [](TBrowseDlg& d) { d.SetBtnHeight(30); }, "BtnHeight = 30"},
        {"negative integer", [](TBrowseDlg& d) { d.SetX(-5); }, "X = -5"},
        {"Boolean on", [](TBrowseDlg& d) { d.SetText2Visible(true); }, "Text2Visible = True"},
        {"Boolean off", [](TBrowseDlg& d) { d.SetUseHistory(false); }, "UseHistory = False"},
        {"enumeration", [](TBrowseDlg& d) { d.SetCustomBtnType(cbCheckBox); }, "CustomBtnType = cbCheckBox"},
        {"special folder", [](TBrowseDlg& d) { d.SetSpecialRoot(shell::sfPrintHood); }, "SpecialRoot = sfPrintHood"},
        {"empty set", [](TBrowseDlg& d) { d.SetOptions({}); }, "Options = []"},
        {"full set",
         [](TBrowseDlg& d) {
             d.SetOptions({boReturnOnlyDirectory, boIncludeFiles});
         },
         "Options = [boReturnOnlyDirectory, boIncludeFiles]"},
        {"string", [](TBrowseDlg& d) { d.SetText1("It's $HomeDirectory"); }, "Text1 = 'It''s $HomeDirectory'"},
        {"string with line break", [](TBrowseDlg& d) { d.SetText2("a\r\nb"); }, "Text2 = 'a'#13#10'b'"},
        {"list",
         [](TBrowseDlg& d) {
             d.SetCustomEditItems({"C:\\a", "表"});
         },
         "CustomEditItems = ('C:\\a', '表')"},
        {"tag", [](TBrowseDlg& d) { d.SetTag(7); }, "Tag = 7"},
        {"checked", [](TBrowseDlg& d) { d.SetCustomBtnChecked(true); }, "CustomBtnChecked = True"},
    };
    for (const StoredCase& c : cases) {
        SCOPED_TRACE(c.name);
        TBrowseDlg dlg;
        c.change(dlg);
        const QStringList lines = SaveBrowseDlgForm(dlg).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), 5);
        EXPECT_TRUE(lines.contains(c.line)) << lines.join(" | ").toStdString();
    }
}

TEST_F(BrowseDlgStoreTest, DefaultValuesSetAgainAreNotWritten) {
    TBrowseDlg dlg;
    dlg.SetBtnHeight(30);
    dlg.SetBtnHeight(24);
    dlg.SetOptions({boReturnOnlyDirectory});
    dlg.SetSpecialRoot(shell::sfDesktop);
    dlg.SetCustomEditItems({});
    dlg.SetText1("");
    EXPECT_EQ(SaveBrowseDlgForm(dlg).toStdString(), ConstructorStrings);
}

TEST_F(BrowseDlgStoreTest, FontIsWrittenOnlyWhileSystemFontIsOff) {
    TBrowseDlg dlg;
    dlg.Font().SetHeight(-15);
    dlg.Font().SetBold(true);
    dlg.Font().SetColor(QColor(0x12, 0x34, 0x56));
    const QString text = SaveBrowseDlgForm(dlg);
    EXPECT_TRUE(text.contains("Font.Height = -15\n"));
    EXPECT_TRUE(text.contains("Font.Style = [fsBold]\n"));
    EXPECT_TRUE(text.contains("Font.Color = '#123456'\n"));
    EXPECT_TRUE(text.contains("UseSystemFont = False\n"));

    dlg.SetUseSystemFont(true);
    EXPECT_FALSE(SaveBrowseDlgForm(dlg).contains("Font"));
}

TEST_F(BrowseDlgStoreTest, BoundEventsAreWrittenByHandlerName) {
    TBrowseDlg dlg;
    dlg.OnShow = [](QObject*, TBrowseOKState&) {};
    dlg.SetHandlerName("OnShow", "BrowseDlgShow");
    dlg.SetHandlerName("OnOKBtnClick", "NotBound");  // no handler: not written
    EXPECT_TRUE(SaveBrowseDlgForm(dlg).endsWith("OnShow = BrowseDlgShow\n"));
    EXPECT_FALSE(SaveBrowseDlgForm(dlg).contains("OnOKBtnClick"));

    dlg.OnCancelBtnClick = [](QObject*) {};
    EXPECT_THROW(SaveBrowseDlgForm(dlg), EBrowseDlgError);
}

// The home-folder window's design values, as its owner ships them.
const char* const HomeFolderForm = R"(# design values of the home folder browser
Caption = 'フォルダの参照'
Text1 = '$HomeDirectoryを選んでください'
SpecialRoot = sfMyComputer
CustomEditType = ceComboBox
OKBtnCaption = '&OK'
CancelBtnCaption = 'キャンセル(&C)'
CustomBtnCaption = 'カスタム(&U)'
OnShow = BrowseDlgShow
OnOKBtnClick = BrowseDlgOKBtnClick
)";

TEST_F(BrowseDlgStoreTest, LoadingAppliesValuesAndBindsHandlers) {
    TBrowseDlg dlg;
    int shows = 0;
    int oks = 0;
    TBrowseHandlerTable handlers;
    handlers.BrowseEvents["BrowseDlgShow"] = [&](QObject*, TBrowseOKState&) { ++shows; };
    handlers.NotifyEvents["BrowseDlgOKBtnClick"] = [&](QObject*) { ++oks; };
    handlers.NotifyEvents["Unused"] = [](QObject*) {};
    LoadBrowseDlgForm(dlg, QString::fromUtf8(HomeFolderForm), handlers);

    EXPECT_EQ(dlg.Text1(), QStringLiteral("$HomeDirectoryを選んでください"));
    EXPECT_EQ(dlg.SpecialRoot(), shell::sfMyComputer);
    EXPECT_EQ(dlg.CustomEditType(), ceComboBox);
    EXPECT_EQ(dlg.CancelBtnCaption(), QStringLiteral("キャンセル(&C)"));
    EXPECT_EQ(dlg.CustomBtnType(), cbNone);
    EXPECT_TRUE(dlg.UseSystemFont());
    EXPECT_EQ(dlg.HandlerName("OnShow"), "BrowseDlgShow");
    TBrowseOKState state = okNoChange;
    ASSERT_TRUE(dlg.OnShow);
    dlg.OnShow(&dlg, state);
    ASSERT_TRUE(dlg.OnOKBtnClick);
    dlg.OnOKBtnClick(&dlg);
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(oks, 1);
    EXPECT_FALSE(dlg.OnChange);
    EXPECT_FALSE(dlg.OnCancelBtnClick);

    // Written back, the same values come out (comments and order aside).
    const QString saved = SaveBrowseDlgForm(dlg);
    EXPECT_TRUE(saved.contains("SpecialRoot = sfMyComputer\n"));
    EXPECT_TRUE(saved.contains("OnOKBtnClick = BrowseDlgOKBtnClick\n"));
}

// An owner's form is translated in the owner's context, its texts only.
TEST_F(BrowseDlgStoreTest, LoadingTranslatesTheTextsInTheGivenContext) {
    const TMarkingTranslator translator("TOwner");
    const QString form =
        QStringLiteral("Caption = 'フォルダ'\nText2 = 'two'\nRoot = '/home'\nCustomEditItems = ('/a')\n");
    for (const char* context : {static_cast<const char*>(nullptr), "TOwner"}) {
        SCOPED_TRACE(context ? context : "no context");
        TBrowseDlg dlg;
        LoadBrowseDlgForm(dlg, form, {}, context);
        EXPECT_EQ(dlg.Caption(), QString::fromUtf8(context ? "<フォルダ>" : "フォルダ"));
        EXPECT_EQ(dlg.Text2(), QString::fromUtf8(context ? "<two>" : "two"));
        EXPECT_EQ(dlg.Root(), QStringLiteral("/home"));
        EXPECT_EQ(dlg.CustomEditItems().Lines(), QStringList{QStringLiteral("/a")});
    }
}

TEST_F(BrowseDlgStoreTest, EveryStoredValueSurvivesSaveAndLoad) {
    TBrowseDlg dlg;
    dlg.SetBottomMargin(1);
    dlg.SetBtnHeight(2);
    dlg.SetBtnHorzMargin(3);
    dlg.SetBtnHorzSpacing(4);
    dlg.SetCancelBtnCaption("Can'cel");
    dlg.SetCancelBtnWidth(5);
    dlg.SetCaption("");  // emptied: must not come back as the default
    dlg.SetCustomBtnCaption("");
    dlg.SetCustomBtnChecked(true);
    dlg.SetCustomBtnEnabled(false);
    dlg.SetCustomBtnType(cbButton);
    dlg.SetCustomBtnVisible(false);
    dlg.SetCustomEditHorzMargin(6);
    dlg.SetCustomEditItems({"", "a'b", "x\ty", QStringLiteral("ソ能表")});
    dlg.SetCustomEditType(ceNone);
    dlg.SetCustomEditVisible(false);
    dlg.Font().SetName("Noto Sans CJK JP");
    dlg.Font().SetHeight(-17);
    dlg.Font().SetItalic(true);
    dlg.Font().SetStrikeOut(true);
    dlg.SetHeight(7);
    dlg.SetOKBtnCaption("");
    dlg.SetOKBtnWidth(8);
    dlg.SetOptions({boIncludeFiles});
    dlg.SetRoot("C:\\Work");
    dlg.SetScreenCenter(false);
    dlg.SetSpecialRoot(shell::sfAppData);
    dlg.SetText1("one");
    dlg.SetText1Visible(false);
    dlg.SetText2("two");
    dlg.SetText2Visible(true);
    dlg.SetTextHorzMargin(9);
    dlg.SetTopMargin(10);
    dlg.SetTreeHorzMargin(11);
    dlg.SetTreeShowRoot(true);
    dlg.SetUseHistory(false);
    dlg.SetVertSpacing(12);
    dlg.SetWidth(13);
    dlg.SetX(14);
    dlg.SetY(15);
    dlg.SetTag(16);
    TBrowseHandlerTable handlers;
    const char* notify[] = {"OnCustomBtnClick", "OnCustomEditChange", "OnOKBtnClick", "OnCancelBtnClick"};
    for (const char* name : notify) handlers.NotifyEvents[QString(name) + "Handler"] = [](QObject*) {};
    handlers.BrowseEvents["Shown"] = [](QObject*, TBrowseOKState&) {};
    handlers.BrowseEvents["Changed"] = [](QObject*, TBrowseOKState&) {};
    handlers.AddHistoryEvents["Entered"] = [](QObject*, QString&) {};
    dlg.OnShow = handlers.BrowseEvents["Shown"];
    dlg.SetHandlerName("OnShow", "Shown");
    dlg.OnChange = handlers.BrowseEvents["Changed"];
    dlg.SetHandlerName("OnChange", "Changed");
    dlg.OnAddHistrory = handlers.AddHistoryEvents["Entered"];
    dlg.SetHandlerName("OnAddHistrory", "Entered");
    dlg.OnCustomBtnClick = handlers.NotifyEvents["OnCustomBtnClickHandler"];
    dlg.SetHandlerName("OnCustomBtnClick", "OnCustomBtnClickHandler");
    dlg.OnCancelBtnClick = handlers.NotifyEvents["OnCancelBtnClickHandler"];
    dlg.SetHandlerName("OnCancelBtnClick", "OnCancelBtnClickHandler");

    const QString text = SaveBrowseDlgForm(dlg);
    TBrowseDlg copy;
    LoadBrowseDlgForm(copy, text, handlers);
    EXPECT_EQ(SaveBrowseDlgForm(copy).toStdString(), text.toStdString());
    EXPECT_EQ(copy.Caption(), "");
    EXPECT_EQ(copy.OKBtnCaption(), "");
    EXPECT_EQ(copy.CancelBtnCaption(), "Can'cel");
    EXPECT_EQ(copy.CustomEditLines(), dlg.CustomEditLines());
    EXPECT_TRUE(copy.Font() == dlg.Font());
    EXPECT_FALSE(copy.UseSystemFont());
    EXPECT_TRUE(copy.OnCancelBtnClick);
    EXPECT_FALSE(copy.OnOKBtnClick);
    EXPECT_EQ(copy.Tag(), 16);
}

TEST_F(BrowseDlgStoreTest, FontSwitchedOffWithoutChangeSurvives) {
    TBrowseDlg dlg;
    dlg.SetUseSystemFont(false);
    TBrowseDlg copy;
    LoadBrowseDlgForm(copy, SaveBrowseDlgForm(dlg), {});
    EXPECT_FALSE(copy.UseSystemFont());
    EXPECT_TRUE(copy.Font() == dlg.Font());
}

struct BadCase {
    const char* text;
    const char* message;
};

TEST_F(BrowseDlgStoreTest, MalformedFormsAreRefusedNamingTheLine) {
    const std::vector<BadCase> cases = {
        {"Caption = 'x'\nColour = 3\n", "Stored form, line 2: unknown property 'Colour'"},
        {"BtnHeight = tall", "Stored form, line 1: a whole number expected"},
        {"BtnHeight = 3 4", "Stored form, line 1: unexpected text '4'"},
        {"ScreenCenter = yes", "Stored form, line 1: True or False expected, not 'yes'"},
        {"CustomBtnType = cbRadio", "Stored form, line 1: unknown value 'cbRadio'"},
        {"Options = [boIncludeFiles", "Stored form, line 1: ']' expected"},
        {"Text1 = 'open", "Stored form, line 1: unterminated string"},
        {"Text1 = plain", "Stored form, line 1: a quoted string expected"},
        {"\n\n# c\nOnShow = Missing", "Stored form, line 4: no handler named 'Missing' for OnShow"},
        {"OnSomething = X", "Stored form, line 1: unknown property 'OnSomething'"},
        {"just words", "Stored form, line 1: 'Name = value' expected"},
        {"Font.Height = 0", "Stored form, line 1: a font height of 0"},
        {"Font.Color = 'nocolour'", "Stored form, line 1: bad colour 'nocolour'"},
    };
    for (const BadCase& c : cases) {
        TBrowseDlg dlg;
        try {
            LoadBrowseDlgForm(dlg, QString::fromUtf8(c.text), {});
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const EBrowseDlgError& e) {
            EXPECT_EQ(std::string(e.what()), c.message) << c.text;
        }
    }
}

TEST_F(BrowseDlgStoreTest, LoadingRunsThroughTheSetters) {
    // A running component refuses what its setters refuse.
    TBrowseDlg dlg;
    UseComputer(dlg);
    std::string refused;
    Run(dlg, [&](TBrowseDlgForm& form) {
        try {
            LoadBrowseDlgForm(dlg, "Caption = 'Loaded'\nRoot = 'C:\\'\n", {});
        } catch (const EBrowseDlgPropertyError& e) {
            refused = e.what();
        }
        EXPECT_EQ(form.windowTitle(), "Loaded");
        form.CancelBtn()->click();
    });
    EXPECT_EQ(refused, "TBrowseDlg: Execute の実行中には Root プロパティの値を変更できません");
    EXPECT_EQ(dlg.Root(), "");
}

TEST_F(BrowseDlgStoreTest, FormIsReadFromAFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("dlg.txt");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Text1 = '\xE8\xA1\xA8'\r\nWidth = 400\r\n");
    }
    TBrowseDlg dlg;
    LoadBrowseDlgFormFile(dlg, path, {});
    EXPECT_EQ(dlg.Text1(), QStringLiteral("表"));
    EXPECT_EQ(dlg.Width(), 400);
    EXPECT_THROW(LoadBrowseDlgFormFile(dlg, dir.filePath("missing.txt"), {}), EBrowseDlgError);
}

}  // namespace
