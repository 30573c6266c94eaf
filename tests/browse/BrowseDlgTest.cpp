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
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace quillane;
using namespace quillane::test;

namespace {

class BrowseDlgTest : public BrowseFixture {};

// A number-valued property's value as a number, whatever its type.
int AsNumber(const QVariant& value) {
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<TBrowseOptions>()) return value.value<TBrowseOptions>().Bits();
    if (type == QMetaType::fromType<TCustomBtnType>()) return value.value<TCustomBtnType>();
    if (type == QMetaType::fromType<TCustomEditType>()) return value.value<TCustomEditType>();
    if (type == QMetaType::fromType<shell::TSpecialFolder>()) return value.value<shell::TSpecialFolder>();
    return value.toInt();
}

// The number `n` as a value of `type`.
QVariant OfType(QMetaType type, int n) {
    if (type == QMetaType::fromType<TBrowseOptions>()) return QVariant::fromValue(TBrowseOptions::FromBits(n));
    if (type == QMetaType::fromType<TCustomBtnType>()) return QVariant::fromValue(TCustomBtnType(n));
    if (type == QMetaType::fromType<TCustomEditType>()) return QVariant::fromValue(TCustomEditType(n));
    if (type == QMetaType::fromType<shell::TSpecialFolder>()) return QVariant::fromValue(shell::TSpecialFolder(n));
    if (type == QMetaType::fromType<bool>()) return QVariant(n != 0);
    return QVariant(n);
}

// Every property of the table is published, nothing else is, and a new
// component reads the table's default through the meta-object; its
// captions in the user's language.
TEST_F(BrowseDlgTest, NewComponentHasEveryDefault) {
    for (const bool translated : {false, true}) {
        SCOPED_TRACE(translated ? "translated" : "as written");
        std::optional<TMarkingTranslator> translator;
        if (translated) translator.emplace("quillane::TBrowseDlg");
        TBrowseDlg dlg;
        const QMetaObject& meta = *dlg.metaObject();
        EXPECT_EQ(meta.propertyCount() - meta.propertyOffset(), BrowsePropertyCount);
        for (int id = 0; id < BrowsePropertyCount; ++id) {
            const TBrowseProperty& property = BrowseProperty(TBrowsePropertyId(id));
            SCOPED_TRACE(property.Name);
            const int index = meta.indexOfProperty(property.Name);
            ASSERT_GE(index, 0) << "not published";
            const QVariant actual = meta.property(index).read(&dlg);
            switch (property.Type.Kind) {
            case TPropertyKind::Lines:
                EXPECT_EQ(actual.toStringList(), QStringList());
                break;
            case TPropertyKind::Font:
                EXPECT_TRUE(actual.value<TFont>() == SystemFont());
                break;
            case TPropertyKind::String: {
                const QString text = QString::fromUtf8(property.Type.DefaultText);
                const bool marked = translated && property.Type.Text && !text.isEmpty();
                EXPECT_EQ(actual.toString(), marked ? u'<' + text + u'>' : text);
                break;
            }
            default:
                EXPECT_EQ(AsNumber(actual), property.Type.Default);
            }
        }
        EXPECT_TRUE(dlg.CustomEditText().isEmpty());
        EXPECT_TRUE(dlg.SelectedPath().isEmpty());
        EXPECT_TRUE(dlg.SelectedName().isEmpty());
        EXPECT_EQ(dlg.Form(), nullptr);
    }
}

// Each published setter writes its own table entry, and its getter reads
// it back; a value the property cannot hold is refused.
TEST_F(BrowseDlgTest, EachSetterWritesItsOwnProperty) {
    for (int id = 0; id < BrowsePropertyCount; ++id) {
        const TBrowseProperty& property = BrowseProperty(TBrowsePropertyId(id));
        const TPropertyType& type = property.Type;
        if (type.Kind == TPropertyKind::Lines || type.Kind == TPropertyKind::Font) continue;
        SCOPED_TRACE(property.Name);
        TBrowseDlg dlg;
        const QMetaProperty published = dlg.metaObject()->property(dlg.metaObject()->indexOfProperty(property.Name));
        if (type.Kind == TPropertyKind::String) {
            ASSERT_TRUE(published.write(&dlg, QStringLiteral("other")));
            EXPECT_TRUE(dlg.Value(property.Id) == TPropertyValue(QStringLiteral("other")));
            EXPECT_EQ(published.read(&dlg).toString(), "other");
            EXPECT_THROW(dlg.SetValue(property.Id, 1), std::invalid_argument);
            continue;
        }
        int other = type.Default + 7;
        if (type.Kind == TPropertyKind::Boolean) other = 1 - type.Default;
        if (type.Kind == TPropertyKind::Enumeration) other = (type.Default + 1) % type.Names.Count;
        if (type.Kind == TPropertyKind::Set) other = type.Default ^ 1;
        ASSERT_TRUE(published.write(&dlg, OfType(published.metaType(), other)));
        EXPECT_TRUE(dlg.Value(property.Id) == TPropertyValue(other));
        EXPECT_EQ(AsNumber(published.read(&dlg)), other);
        EXPECT_THROW(dlg.SetValue(property.Id, QString()), std::invalid_argument);
        if (type.Kind != TPropertyKind::Integer) {
            EXPECT_THROW(dlg.SetValue(property.Id, 99), std::invalid_argument);
        }
    }
}

TEST_F(BrowseDlgTest, OptionSetKeepsOneBitPerOption) {
    const TBrowseOptions none;
    const TBrowseOptions both{boReturnOnlyDirectory, boIncludeFiles};
    EXPECT_EQ(none.Bits(), 0);
    EXPECT_EQ(TBrowseOptions{boReturnOnlyDirectory}.Bits(), 1);
    EXPECT_EQ(TBrowseOptions{boIncludeFiles}.Bits(), 2);
    EXPECT_EQ(both.Bits(), 3);
    EXPECT_TRUE(both.Contains(boIncludeFiles));
    EXPECT_FALSE(TBrowseOptions{boReturnOnlyDirectory}.Contains(boIncludeFiles));
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
        {"only ASCII letters fold",
         {QStringLiteral("C:\\ä")},
         QStringLiteral("C:\\Ä"),
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
