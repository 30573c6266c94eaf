#include "BrowseDlgStore.h"

#include "BrowseDlg.h"

#include <QFile>

#include <array>
#include <utility>

namespace quillane {

namespace {

const std::array<const char*, 3> CustomBtnTypeNames = {"cbNone", "cbButton", "cbCheckBox"};
const std::array<const char*, 3> CustomEditTypeNames = {"ceNone", "ceEdit", "ceComboBox"};
const std::array<const char*, 2> OptionNames = {"boReturnOnlyDirectory", "boIncludeFiles"};
const std::array<const char*, shell::SpecialFolderCount> SpecialFolderNames = {
    "sfDesktop",   "sfInternet",        "sfPrograms",        "sfControlPanel",  "sfPrinters",
    "sfPersonal",  "sfFavorites",       "sfStartup",         "sfRecent",        "sfSendTo",
    "sfRecycleBin", "sfStartMenu",      "sfDesktopDir",      "sfMyComputer",    "sfNetwork",
    "sfNetHood",   "sfFonts",           "sfTemplates",       "sfCommonStartMenu", "sfCommonPrograms",
    "sfCommonStartup", "sfCommonDesktopDir", "sfAppData",    "sfPrintHood"};
const std::array<const char*, 4> FontStyleNames = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

// A string value: quoted runs with the quote doubled, control characters
// as #n between them, so that every text fits on one line.
QString QuoteString(const QString& text) {
    if (text.isEmpty()) return QStringLiteral("''");
    QString out;
    bool open = false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            if (open) out += u'\'';
            open = false;
            out += u'#' + QString::number(c.unicode());
            continue;
        }
        if (!open) out += u'\'';
        open = true;
        out += c;
        if (c == u'\'') out += u'\'';
    }
    if (open) out += u'\'';
    return out;
}

QString BoolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

template <std::size_t N>
QString SetText(const std::array<const char*, N>& names, unsigned bits) {
    QStringList members;
    for (std::size_t i = 0; i < N; ++i)
        if (bits & (1u << i)) members.append(QString::fromLatin1(names[i]));
    return u'[' + members.join(QStringLiteral(", ")) + u']';
}

unsigned FontStyleBits(const TFont& font) {
    return (font.Bold() ? 1u : 0u) | (font.Italic() ? 2u : 0u) | (font.Underline() ? 4u : 0u) |
           (font.StrikeOut() ? 8u : 0u);
}

// Reads one value from a line, with the line number for the error.
class TValueReader {
public:
    TValueReader(const QString& text, int line) : FText(text), FLine(line) {}

    [[noreturn]] void Fail(const QString& what) const {
        throw EBrowseDlgError(QStringLiteral("Stored form, line %1: %2").arg(FLine).arg(what).toStdString());
    }

    void SkipSpace() {
        while (FPos < FText.size() && FText.at(FPos).isSpace()) ++FPos;
    }

    bool AtEnd() {
        SkipSpace();
        return FPos >= FText.size();
    }

    QChar Peek() {
        SkipSpace();
        return FPos < FText.size() ? FText.at(FPos) : QChar();
    }

    void ExpectEnd() {
        if (!AtEnd()) Fail(QStringLiteral("unexpected text '%1'").arg(FText.mid(FPos)));
    }

    bool Accept(QChar c) {
        SkipSpace();
        if (FPos < FText.size() && FText.at(FPos) == c) {
            ++FPos;
            return true;
        }
        return false;
    }

    void Expect(QChar c) {
        if (!Accept(c)) Fail(QStringLiteral("'%1' expected").arg(c));
    }

    QString Identifier() {
        SkipSpace();
        const int start = FPos;
        while (FPos < FText.size() && (FText.at(FPos).isLetterOrNumber() || FText.at(FPos) == u'_')) ++FPos;
        if (FPos == start) Fail(QStringLiteral("a name expected"));
        return FText.mid(start, FPos - start);
    }

    int Integer() {
        SkipSpace();
        const int start = FPos;
        if (FPos < FText.size() && (FText.at(FPos) == u'-' || FText.at(FPos) == u'+')) ++FPos;
        while (FPos < FText.size() && FText.at(FPos).isDigit()) ++FPos;
        bool ok = false;
        const int value = FText.mid(start, FPos - start).toInt(&ok);
        if (!ok) Fail(QStringLiteral("a whole number expected"));
        return value;
    }

    double Number() {
        SkipSpace();
        const int start = FPos;
        while (FPos < FText.size() && (FText.at(FPos).isDigit() || FText.at(FPos) == u'.' || FText.at(FPos) == u'-'))
            ++FPos;
        bool ok = false;
        const double value = FText.mid(start, FPos - start).toDouble(&ok);
        if (!ok) Fail(QStringLiteral("a number expected"));
        return value;
    }

    bool Boolean() {
        const QString word = Identifier();
        if (word == u"True") return true;
        if (word == u"False") return false;
        Fail(QStringLiteral("True or False expected, not '%1'").arg(word));
    }

    template <std::size_t N>
    int Enumeration(const std::array<const char*, N>& names) {
        const QString word = Identifier();
        for (std::size_t i = 0; i < N; ++i)
            if (word == QLatin1String(names[i])) return static_cast<int>(i);
        Fail(QStringLiteral("unknown value '%1'").arg(word));
    }

    template <std::size_t N>
    unsigned Set(const std::array<const char*, N>& names) {
        Expect(u'[');
        unsigned bits = 0;
        if (Accept(u']')) return bits;
        do {
            bits |= 1u << Enumeration(names);
        } while (Accept(u','));
        Expect(u']');
        return bits;
    }

    QString String() {
        SkipSpace();
        QString out;
        bool any = false;
        for (;;) {
            if (FPos < FText.size() && FText.at(FPos) == u'\'') {
                ++FPos;
                for (;;) {
                    if (FPos >= FText.size()) Fail(QStringLiteral("unterminated string"));
                    const QChar c = FText.at(FPos++);
                    if (c != u'\'') {
                        out += c;
                    } else if (FPos < FText.size() && FText.at(FPos) == u'\'') {
                        out += c;
                        ++FPos;
                    } else {
                        break;
                    }
                }
            } else if (FPos < FText.size() && FText.at(FPos) == u'#') {
                ++FPos;
                const int start = FPos;
                while (FPos < FText.size() && FText.at(FPos).isDigit()) ++FPos;
                bool ok = false;
                const uint code = FText.mid(start, FPos - start).toUInt(&ok);
                if (!ok || code > 0xFFFF) Fail(QStringLiteral("bad character code"));
                out += QChar(static_cast<char16_t>(code));
            } else {
                break;
            }
            any = true;
        }
        if (!any) Fail(QStringLiteral("a quoted string expected"));
        return out;
    }

    QStringList StringList() {
        Expect(u'(');
        QStringList lines;
        if (Accept(u')')) return lines;
        do {
            lines.append(String());
        } while (Accept(u','));
        Expect(u')');
        return lines;
    }

private:
    QString FText;
    int FLine;
    int FPos = 0;
};

}  // namespace

QString SaveBrowseDlgForm(const TBrowseDlg& dlg) {
    QStringList lines;
    auto put = [&](const char* name, const QString& value) {
        lines.append(QString::fromLatin1(name) + QStringLiteral(" = ") + value);
    };
    auto putInt = [&](const char* name, int value, int def) {
        if (value != def) put(name, QString::number(value));
    };
    auto putBool = [&](const char* name, bool value, bool def) {
        if (value != def) put(name, BoolText(value));
    };
    // A string goes in whenever it is not empty; an empty one only where
    // the default is not, so that loading cannot bring the default back.
    auto putString = [&](const char* name, const QString& value, const char* def) {
        if (!value.isEmpty() || *def != '\0') put(name, QuoteString(value));
    };
    putInt("Tag", dlg.Tag(), 0);
    putInt("BottomMargin", dlg.BottomMargin(), 8);
    putInt("BtnHeight", dlg.BtnHeight(), 24);
    putInt("BtnHorzMargin", dlg.BtnHorzMargin(), 12);
    putInt("BtnHorzSpacing", dlg.BtnHorzSpacing(), 8);
    putString("CancelBtnCaption", dlg.CancelBtnCaption(), "キャンセル(&C)");
    putInt("CancelBtnWidth", dlg.CancelBtnWidth(), 88);
    putString("Caption", dlg.Caption(), "フォルダの参照");
    putString("CustomBtnCaption", dlg.CustomBtnCaption(), "カスタム(&U)");
    putBool("CustomBtnChecked", dlg.CustomBtnChecked(), false);
    putBool("CustomBtnEnabled", dlg.CustomBtnEnabled(), true);
    if (dlg.CustomBtnType() != cbNone) put("CustomBtnType", QString::fromLatin1(CustomBtnTypeNames[dlg.CustomBtnType()]));
    putBool("CustomBtnVisible", dlg.CustomBtnVisible(), true);
    putInt("CustomEditHorzMargin", dlg.CustomEditHorzMargin(), 8);
    if (dlg.CustomEditItems().Count() > 0) {
        QStringList quoted;
        for (const QString& line : dlg.CustomEditItems().Lines()) quoted.append(QuoteString(line));
        put("CustomEditItems", u'(' + quoted.join(QStringLiteral(", ")) + u')');
    }
    if (dlg.CustomEditType() != ceEdit)
        put("CustomEditType", QString::fromLatin1(CustomEditTypeNames[dlg.CustomEditType()]));
    putBool("CustomEditVisible", dlg.CustomEditVisible(), true);
    if (!dlg.UseSystemFont()) {
        const TFont& font = dlg.Font();
        const QColor color = font.Color();
        put("Font.Name", QuoteString(font.Name()));
        // A font sized in points keeps its points, one sized in pixels its
        // pixels, so that loading gives the same font back.
        if (font.Value().pixelSize() > 0)
            put("Font.Height", QString::number(font.Height()));
        else
            put("Font.Size", QString::number(font.Value().pointSizeF()));
        put("Font.Style", SetText(FontStyleNames, FontStyleBits(font)));
        put("Font.Color", color.isValid() ? QuoteString(color.name(QColor::HexRgb)) : QStringLiteral("clDefault"));
    }
    putInt("Height", dlg.Height(), 300);
    putString("OKBtnCaption", dlg.OKBtnCaption(), "&OK");
    putInt("OKBtnWidth", dlg.OKBtnWidth(), 88);
    if (dlg.Options() != TBrowseOptions{boReturnOnlyDirectory}) put("Options", SetText(OptionNames, dlg.Options().Bits()));
    putString("Root", dlg.Root(), "");
    putBool("ScreenCenter", dlg.ScreenCenter(), true);
    if (dlg.SpecialRoot() != shell::sfDesktop)
        put("SpecialRoot", QString::fromLatin1(SpecialFolderNames[dlg.SpecialRoot()]));
    putString("Text1", dlg.Text1(), "");
    putBool("Text1Visible", dlg.Text1Visible(), true);
    putString("Text2", dlg.Text2(), "");
    putBool("Text2Visible", dlg.Text2Visible(), false);
    putInt("TextHorzMargin", dlg.TextHorzMargin(), 12);
    putInt("TopMargin", dlg.TopMargin(), 8);
    putInt("TreeHorzMargin", dlg.TreeHorzMargin(), 8);
    putBool("TreeShowRoot", dlg.TreeShowRoot(), false);
    putBool("UseHistory", dlg.UseHistory(), true);
    putBool("UseSystemFont", dlg.UseSystemFont(), true);
    putInt("VertSpacing", dlg.VertSpacing(), 4);
    putInt("Width", dlg.Width(), 378);
    putInt("X", dlg.X(), 64);
    putInt("Y", dlg.Y(), 64);

    auto putEvent = [&](const char* name, bool bound) {
        if (!bound) return;
        const QString handler = dlg.HandlerName(QString::fromLatin1(name));
        if (handler.isEmpty())
            throw EBrowseDlgError(std::string("Stored form: the handler of ") + name + " has no name");
        put(name, handler);
    };
    putEvent("OnShow", static_cast<bool>(dlg.OnShow));
    putEvent("OnChange", static_cast<bool>(dlg.OnChange));
    putEvent("OnCustomBtnClick", static_cast<bool>(dlg.OnCustomBtnClick));
    putEvent("OnCustomEditChange", static_cast<bool>(dlg.OnCustomEditChange));
    putEvent("OnOKBtnClick", static_cast<bool>(dlg.OnOKBtnClick));
    putEvent("OnCancelBtnClick", static_cast<bool>(dlg.OnCancelBtnClick));
    putEvent("OnAddHistrory", static_cast<bool>(dlg.OnAddHistrory));

    QString text;
    for (const QString& line : lines) text += line + u'\n';
    return text;
}

void LoadBrowseDlgForm(TBrowseDlg& dlg, const QString& text, const TBrowseHandlerTable& handlers) {
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(u'\r')) line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#')) continue;
        const int number = i + 1;
        const int eq = line.indexOf(u'=');
        if (eq < 0) TValueReader(line, number).Fail(QStringLiteral("'Name = value' expected"));
        const QString name = line.left(eq).trimmed();
        TValueReader r(line.mid(eq + 1), number);

        using IntSetter = void (TBrowseDlg::*)(int);
        using BoolSetter = void (TBrowseDlg::*)(bool);
        using StringSetter = void (TBrowseDlg::*)(const QString&);
        static const std::pair<const char*, IntSetter> ints[] = {
            {"Tag", &TBrowseDlg::SetTag},
            {"BottomMargin", &TBrowseDlg::SetBottomMargin},
            {"BtnHeight", &TBrowseDlg::SetBtnHeight},
            {"BtnHorzMargin", &TBrowseDlg::SetBtnHorzMargin},
            {"BtnHorzSpacing", &TBrowseDlg::SetBtnHorzSpacing},
            {"CancelBtnWidth", &TBrowseDlg::SetCancelBtnWidth},
            {"CustomEditHorzMargin", &TBrowseDlg::SetCustomEditHorzMargin},
            {"Height", &TBrowseDlg::SetHeight},
            {"OKBtnWidth", &TBrowseDlg::SetOKBtnWidth},
            {"TextHorzMargin", &TBrowseDlg::SetTextHorzMargin},
            {"TopMargin", &TBrowseDlg::SetTopMargin},
            {"TreeHorzMargin", &TBrowseDlg::SetTreeHorzMargin},
            {"VertSpacing", &TBrowseDlg::SetVertSpacing},
            {"Width", &TBrowseDlg::SetWidth},
            {"X", &TBrowseDlg::SetX},
            {"Y", &TBrowseDlg::SetY},
        };
        static const std::pair<const char*, BoolSetter> bools[] = {
            {"CustomBtnChecked", &TBrowseDlg::SetCustomBtnChecked},
            {"CustomBtnEnabled", &TBrowseDlg::SetCustomBtnEnabled},
            {"CustomBtnVisible", &TBrowseDlg::SetCustomBtnVisible},
            {"CustomEditVisible", &TBrowseDlg::SetCustomEditVisible},
            {"ScreenCenter", &TBrowseDlg::SetScreenCenter},
            {"Text1Visible", &TBrowseDlg::SetText1Visible},
            {"Text2Visible", &TBrowseDlg::SetText2Visible},
            {"TreeShowRoot", &TBrowseDlg::SetTreeShowRoot},
            {"UseHistory", &TBrowseDlg::SetUseHistory},
            {"UseSystemFont", &TBrowseDlg::SetUseSystemFont},
        };
        static const std::pair<const char*, StringSetter> strings[] = {
            {"CancelBtnCaption", &TBrowseDlg::SetCancelBtnCaption},
            {"Caption", &TBrowseDlg::SetCaption},
            {"CustomBtnCaption", &TBrowseDlg::SetCustomBtnCaption},
            {"OKBtnCaption", &TBrowseDlg::SetOKBtnCaption},
            {"Root", &TBrowseDlg::SetRoot},
            {"Text1", &TBrowseDlg::SetText1},
            {"Text2", &TBrowseDlg::SetText2},
        };

        bool done = false;
        for (const auto& [key, setter] : ints) {
            if (name == QLatin1String(key)) {
                const int v = r.Integer();
                r.ExpectEnd();
                (dlg.*setter)(v);
                done = true;
            }
        }
        for (const auto& [key, setter] : bools) {
            if (name == QLatin1String(key)) {
                const bool v = r.Boolean();
                r.ExpectEnd();
                (dlg.*setter)(v);
                done = true;
            }
        }
        for (const auto& [key, setter] : strings) {
            if (name == QLatin1String(key)) {
                const QString v = r.String();
                r.ExpectEnd();
                (dlg.*setter)(v);
                done = true;
            }
        }
        if (done) continue;

        if (name == u"CustomBtnType") {
            const int v = r.Enumeration(CustomBtnTypeNames);
            r.ExpectEnd();
            dlg.SetCustomBtnType(static_cast<TCustomBtnType>(v));
        } else if (name == u"CustomEditType") {
            const int v = r.Enumeration(CustomEditTypeNames);
            r.ExpectEnd();
            dlg.SetCustomEditType(static_cast<TCustomEditType>(v));
        } else if (name == u"SpecialRoot") {
            const int v = r.Enumeration(SpecialFolderNames);
            r.ExpectEnd();
            dlg.SetSpecialRoot(static_cast<TSpecialFolder>(v));
        } else if (name == u"Options") {
            const unsigned v = r.Set(OptionNames);
            r.ExpectEnd();
            dlg.SetOptions(TBrowseOptions::FromBits(static_cast<std::uint8_t>(v)));
        } else if (name == u"CustomEditItems") {
            const QStringList v = r.StringList();
            r.ExpectEnd();
            dlg.SetCustomEditItems(v);
        } else if (name == u"Font.Name") {
            const QString v = r.String();
            r.ExpectEnd();
            dlg.Font().SetName(v);
        } else if (name == u"Font.Height") {
            const int v = r.Integer();
            r.ExpectEnd();
            if (v == 0) r.Fail(QStringLiteral("a font height of 0"));
            dlg.Font().SetHeight(v);
        } else if (name == u"Font.Size") {
            const double v = r.Number();
            r.ExpectEnd();
            if (v <= 0) r.Fail(QStringLiteral("a font size of 0 or less"));
            QFont font = dlg.Font().Value();
            font.setPointSizeF(v);
            dlg.Font().SetValue(font);
        } else if (name == u"Font.Style") {
            const unsigned v = r.Set(FontStyleNames);
            r.ExpectEnd();
            TFont font = dlg.Font();
            font.SetBold(v & 1u);
            font.SetItalic(v & 2u);
            font.SetUnderline(v & 4u);
            font.SetStrikeOut(v & 8u);
            dlg.SetFont(font);
        } else if (name == u"Font.Color") {
            QColor color;
            if (r.Peek() == u'\'') {
                const QString v = r.String();
                r.ExpectEnd();
                color = QColor(v);
                if (!color.isValid()) r.Fail(QStringLiteral("bad colour '%1'").arg(v));
            } else {
                const QString word = r.Identifier();
                r.ExpectEnd();
                if (word != u"clDefault") r.Fail(QStringLiteral("unknown colour '%1'").arg(word));
            }
            dlg.Font().SetColor(color);
        } else if (name.startsWith(u"On")) {
            const QString handler = r.Identifier();
            r.ExpectEnd();
            auto unknown = [&] { r.Fail(QStringLiteral("no handler named '%1' for %2").arg(handler, name)); };
            if (name == u"OnShow" || name == u"OnChange") {
                const auto it = handlers.BrowseEvents.find(handler);
                if (it == handlers.BrowseEvents.end()) unknown();
                (name == u"OnShow" ? dlg.OnShow : dlg.OnChange) = it->second;
            } else if (name == u"OnAddHistrory") {
                const auto it = handlers.AddHistoryEvents.find(handler);
                if (it == handlers.AddHistoryEvents.end()) unknown();
                dlg.OnAddHistrory = it->second;
            } else {
                TNotifyEvent* slot = nullptr;
                if (name == u"OnCustomBtnClick") slot = &dlg.OnCustomBtnClick;
                else if (name == u"OnCustomEditChange") slot = &dlg.OnCustomEditChange;
                else if (name == u"OnOKBtnClick") slot = &dlg.OnOKBtnClick;
                else if (name == u"OnCancelBtnClick") slot = &dlg.OnCancelBtnClick;
                else r.Fail(QStringLiteral("unknown property '%1'").arg(name));
                const auto it = handlers.NotifyEvents.find(handler);
                if (it == handlers.NotifyEvents.end()) unknown();
                *slot = it->second;
            }
            dlg.SetHandlerName(name, handler);
        } else {
            r.Fail(QStringLiteral("unknown property '%1'").arg(name));
        }
    }
}

void LoadBrowseDlgFormFile(TBrowseDlg& dlg, const QString& fileName, const TBrowseHandlerTable& handlers) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EBrowseDlgError(QStringLiteral("Cannot read the stored form %1").arg(fileName).toStdString());
    LoadBrowseDlgForm(dlg, QString::fromUtf8(file.readAll()), handlers);
}

}  // namespace quillane
