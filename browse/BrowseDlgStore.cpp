#include "BrowseDlgStore.h"

#include "BrowseDlg.h"

#include <QCoreApplication>
#include <QFile>

#include <array>
#include <variant>

namespace quillane {

namespace {

constexpr std::array<const char*, 4> FontStyleNamesArray = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr TValueNames FontStyleNames = {FontStyleNamesArray.data(), static_cast<int>(FontStyleNamesArray.size())};

// The events in the order they are stored, with the member each binds.
using TEventSlot =
    std::variant<TBrowseEvent TBrowseDlg::*, TNotifyEvent TBrowseDlg::*, TBrowseAddHistoryEvent TBrowseDlg::*>;
const std::pair<const char*, TEventSlot> Events[] = {
    {"OnShow", &TBrowseDlg::OnShow},
    {"OnChange", &TBrowseDlg::OnChange},
    {"OnCustomBtnClick", &TBrowseDlg::OnCustomBtnClick},
    {"OnCustomEditChange", &TBrowseDlg::OnCustomEditChange},
    {"OnOKBtnClick", &TBrowseDlg::OnOKBtnClick},
    {"OnCancelBtnClick", &TBrowseDlg::OnCancelBtnClick},
    {"OnAddHistrory", &TBrowseDlg::OnAddHistrory},
};

// The handlers an owner offers for an event of the slot's type.
const std::map<QString, TBrowseEvent>& Offered(const TBrowseHandlerTable& table, TBrowseEvent TBrowseDlg::*) {
    return table.BrowseEvents;
}
const std::map<QString, TNotifyEvent>& Offered(const TBrowseHandlerTable& table, TNotifyEvent TBrowseDlg::*) {
    return table.NotifyEvents;
}
const std::map<QString, TBrowseAddHistoryEvent>& Offered(const TBrowseHandlerTable& table,
                                                         TBrowseAddHistoryEvent TBrowseDlg::*) {
    return table.AddHistoryEvents;
}

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

QString SetText(TValueNames names, unsigned bits) {
    QStringList members;
    for (int i = 0; i < names.Count; ++i)
        if (bits & (1u << i)) members.append(QString::fromLatin1(names.Names[i]));
    return u'[' + members.join(QStringLiteral(", ")) + u']';
}

unsigned FontStyleBits(const TFont& font) {
    return (font.Bold() ? 1u : 0u) | (font.Italic() ? 2u : 0u) | (font.Underline() ? 4u : 0u) |
           (font.StrikeOut() ? 8u : 0u);
}

// The lines of the stored form, as they are made.
class TFormWriter {
public:
    void Put(const char* name, const QString& value) {
        FText += QString::fromLatin1(name) + QStringLiteral(" = ") + value + u'\n';
    }
    QString Text() const { return FText; }

private:
    QString FText;
};

// The text of a number-valued property's value.
QString NumberText(const TPropertyType& type, int value) {
    switch (type.Kind) {
    case TPropertyKind::Boolean:
        return value != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case TPropertyKind::Enumeration:
        return QString::fromLatin1(type.Names.Names[value]);
    case TPropertyKind::Set:
        return SetText(type.Names, static_cast<unsigned>(value));
    default:
        return QString::number(value);
    }
}

void SaveFont(const TFont& font, TFormWriter& out) {
    out.Put("Font.Name", QuoteString(font.Name()));
    // A font sized in points keeps its points, one sized in pixels its
    // pixels, so that loading gives the same font back.
    if (font.Value().pixelSize() > 0)
        out.Put("Font.Height", QString::number(font.Height()));
    else
        out.Put("Font.Size", QString::number(font.Value().pointSizeF()));
    out.Put("Font.Style", SetText(FontStyleNames, FontStyleBits(font)));
    const QColor color = font.Color();
    out.Put("Font.Color", color.isValid() ? QuoteString(color.name(QColor::HexRgb)) : QStringLiteral("clDefault"));
}

void SaveProperty(const TBrowseDlg& dlg, const TBrowseProperty& property, TFormWriter& out) {
    switch (property.Type.Kind) {
    case TPropertyKind::Lines: {
        if (dlg.CustomEditItems().Count() == 0) return;
        QStringList quoted;
        for (const QString& line : dlg.CustomEditItems().Lines()) quoted.append(QuoteString(line));
        out.Put(property.Name, u'(' + quoted.join(QStringLiteral(", ")) + u')');
        return;
    }
    case TPropertyKind::Font:
        if (!dlg.UseSystemFont()) SaveFont(dlg.Font(), out);
        return;
    case TPropertyKind::String: {
        // A string goes in whenever it is not empty; an empty one only where
        // the default is not, so that loading cannot bring the default back.
        const QString value = std::get<QString>(dlg.Value(property.Id));
        if (!value.isEmpty() || *property.Type.DefaultText != '\0') out.Put(property.Name, QuoteString(value));
        return;
    }
    default: {
        const int value = std::get<int>(dlg.Value(property.Id));
        if (value != property.Type.Default) out.Put(property.Name, NumberText(property.Type, value));
        return;
    }
    }
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

    int Enumeration(TValueNames names) {
        const QString word = Identifier();
        for (int i = 0; i < names.Count; ++i)
            if (word == QLatin1String(names.Names[i])) return i;
        Fail(QStringLiteral("unknown value '%1'").arg(word));
    }

    unsigned Set(TValueNames names) {
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

    // A colour: a quoted name ('#123456') or clDefault, the window's own.
    QColor Color() {
        QColor color;
        if (Peek() == u'\'') {
            const QString v = String();
            ExpectEnd();
            color = QColor(v);
            if (!color.isValid()) Fail(QStringLiteral("bad colour '%1'").arg(v));
        } else {
            const QString word = Identifier();
            ExpectEnd();
            if (word != u"clDefault") Fail(QStringLiteral("unknown colour '%1'").arg(word));
        }
        return color;
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

void LoadProperty(TBrowseDlg& dlg, const TBrowseProperty& property, TValueReader& r, const char* context) {
    const TPropertyType& type = property.Type;
    TPropertyValue value;
    switch (type.Kind) {
    case TPropertyKind::Integer:
        value = r.Integer();
        break;
    case TPropertyKind::Boolean:
        value = r.Boolean() ? 1 : 0;
        break;
    case TPropertyKind::String:
        value =
            context && type.Text ? QCoreApplication::translate(context, r.String().toUtf8().constData()) : r.String();
        break;
    case TPropertyKind::Enumeration:
        value = r.Enumeration(type.Names);
        break;
    case TPropertyKind::Set:
        value = static_cast<int>(r.Set(type.Names));
        break;
    case TPropertyKind::Lines: {
        const QStringList lines = r.StringList();
        r.ExpectEnd();
        dlg.SetCustomEditItems(lines);
        return;
    }
    case TPropertyKind::Font:
        // The font is stored by its attributes only.
        r.Fail(QStringLiteral("unknown property '%1'").arg(QString::fromLatin1(property.Name)));
    }
    r.ExpectEnd();
    dlg.SetValue(property.Id, value);
}

// A "Font.<attribute>" line; false for an attribute the form does not store.
bool LoadFontAttribute(TBrowseDlg& dlg, const QString& attribute, TValueReader& r) {
    if (attribute == u"Name") {
        const QString v = r.String();
        r.ExpectEnd();
        dlg.Font().SetName(v);
    } else if (attribute == u"Height") {
        const int v = r.Integer();
        r.ExpectEnd();
        if (v == 0) r.Fail(QStringLiteral("a font height of 0"));
        dlg.Font().SetHeight(v);
    } else if (attribute == u"Size") {
        const double v = r.Number();
        r.ExpectEnd();
        if (v <= 0) r.Fail(QStringLiteral("a font size of 0 or less"));
        QFont font = dlg.Font().Value();
        font.setPointSizeF(v);
        dlg.Font().SetValue(font);
    } else if (attribute == u"Style") {
        const unsigned v = r.Set(FontStyleNames);
        r.ExpectEnd();
        TFont font = dlg.Font();
        font.SetBold(v & 1u);
        font.SetItalic(v & 2u);
        font.SetUnderline(v & 4u);
        font.SetStrikeOut(v & 8u);
        dlg.SetFont(font);
    } else if (attribute == u"Color") {
        dlg.Font().SetColor(r.Color());
    } else {
        return false;
    }
    return true;
}

// An "On<event> = handler" line; false for an event the component has not.
bool LoadEvent(TBrowseDlg& dlg, const QString& name, const QString& handler, TValueReader& r,
               const TBrowseHandlerTable& handlers) {
    for (const auto& [eventName, slot] : Events) {
        if (name != QLatin1String(eventName)) continue;
        std::visit(
            [&](auto member) {
                const auto& offered = Offered(handlers, member);
                const auto it = offered.find(handler);
                if (it == offered.end()) r.Fail(QStringLiteral("no handler named '%1' for %2").arg(handler, name));
                dlg.*member = it->second;
            },
            slot);
        dlg.SetHandlerName(name, handler);
        return true;
    }
    return false;
}

void LoadLine(TBrowseDlg& dlg, const QString& name, TValueReader& r, const TBrowseHandlerTable& handlers,
              const char* context) {
    if (const TBrowseProperty* property = FindBrowseProperty(name)) {
        LoadProperty(dlg, *property, r, context);
        return;
    }
    if (name.startsWith(u"Font.") && LoadFontAttribute(dlg, name.mid(5), r)) return;
    if (name.startsWith(u"On")) {
        const QString handler = r.Identifier();
        r.ExpectEnd();
        if (LoadEvent(dlg, name, handler, r, handlers)) return;
    }
    r.Fail(QStringLiteral("unknown property '%1'").arg(name));
}

}  // namespace

QString SaveBrowseDlgForm(const TBrowseDlg& dlg) {
    TFormWriter out;
    for (int id = 0; id < BrowsePropertyCount; ++id)
        SaveProperty(dlg, BrowseProperty(static_cast<TBrowsePropertyId>(id)), out);
    for (const auto& [name, slot] : Events) {
        if (!std::visit([&](auto member) { return static_cast<bool>(dlg.*member); }, slot)) continue;
        const QString handler = dlg.HandlerName(QString::fromLatin1(name));
        if (handler.isEmpty())
            throw EBrowseDlgError(std::string("Stored form: the handler of ") + name + " has no name");
        out.Put(name, handler);
    }
    return out.Text();
}

void LoadBrowseDlgForm(TBrowseDlg& dlg, const QString& text, const TBrowseHandlerTable& handlers, const char* context) {
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(u'\r')) line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#')) continue;
        const int number = i + 1;
        const int eq = line.indexOf(u'=');
        if (eq < 0) TValueReader(line, number).Fail(QStringLiteral("'Name = value' expected"));
        TValueReader r(line.mid(eq + 1), number);
        LoadLine(dlg, line.left(eq).trimmed(), r, handlers, context);
    }
}

void LoadBrowseDlgFormFile(TBrowseDlg& dlg, const QString& fileName, const TBrowseHandlerTable& handlers,
                           const char* context) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EBrowseDlgError(QStringLiteral("Cannot read the stored form %1").arg(fileName).toStdString());
    LoadBrowseDlgForm(dlg, QString::fromUtf8(file.readAll()), handlers, context);
}

}  // namespace quillane
