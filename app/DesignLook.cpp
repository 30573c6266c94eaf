#include "DesignLook.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>
#include <QPalette>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace quillane {

namespace {

// One face a design font may be drawn with, and how wide to draw it.
struct Face {
    const char16_t* Family;
    int Stretch;  // 0: as wide as designed
};

// The design fonts, 12 pixels high: the window's proportional "ＭＳ Ｐゴシック"
// and the example memos' fixed "ＭＳ ゴシック", then the Japanese gothic faces
// that stand in where those are missing (every Linux desktop), in order of
// preference, each row a proportional face and a fixed one. The IPA gothic
// faces (and Takao, made from them) have the design faces' widths, but for
// the proportional face's Latin letters, a little wider: that one is drawn at
// 95%. The others run wider still than the faces the fixed geometry was laid
// out for and would clip captions, so they are drawn at 90%.
struct FaceRow {
    Face Window;
    Face Memo;  // null family: none in this row
};
constexpr FaceRow DesignFaces[] = {
    {{u"ＭＳ Ｐゴシック", 0}, {u"ＭＳ ゴシック", 0}},   {{u"MS PGothic", 0}, {u"MS Gothic", 0}},
    {{u"IPAPGothic", 95}, {u"IPAGothic", 0}},           {{u"Noto Sans CJK JP", 90}, {u"Noto Sans Mono CJK JP", 90}},
    {{u"Noto Sans JP", 90}, {u"Noto Sans CJK JP", 90}}, {{u"VL PGothic", 90}, {u"VL Gothic", 90}},
    {{u"TakaoPGothic", 95}, {u"TakaoGothic", 0}},       {{u"Source Han Sans JP", 90}, {nullptr, 0}},
};
// The first rows hold the design faces themselves.
constexpr std::size_t DesignRows = 2;

// The fonts are made in code, not in the .ui file, which can only hold point
// sizes, and are given before any text arrives (the window's before its
// controls exist, the memos' by the memos themselves), so that no text is
// laid out twice.
//
// The face is picked from the installed families once, here, by matching
// the family list as Qt's own matcher does: a font whose first family is
// missing would make Qt consult fontconfig for fallbacks for every script of
// every text it lays out, and QFontDatabase::hasFamily runs a fontconfig
// substitution for each name it is asked about.
QFont DesignFont(Face FaceRow::*column) {
    std::vector<Face> faces;
    for (const FaceRow& row : DesignFaces) {
        if ((row.*column).Family != nullptr) faces.push_back(row.*column);
    }
    const QStringList installed = QFontDatabase::families();
    std::size_t rank = 0;
    while (rank < faces.size() && !installed.contains(QString::fromUtf16(faces[rank].Family), Qt::CaseInsensitive))
        ++rank;
    QFont font;
    font.setPixelSize(12);
    // None of these texts needs shaping: Qt then skips it (scripts that do
    // need it are still shaped).
    font.setStyleStrategy(QFont::PreferNoShaping);
    if (rank == faces.size()) {
        // Nothing installed: Qt's own fallback picks a face.
        QStringList families;
        for (const Face& face : faces) families << QString::fromUtf16(face.Family);
        font.setFamilies(families);
        return font;
    }
    // The chosen face alone: names left behind it would each be matched and
    // given fallbacks again. Width and hinting are always set, so that a memo
    // inherits neither from the window's font.
    font.setFamily(QString::fromUtf16(faces[rank].Family));
    font.setStretch(faces[rank].Stretch != 0 ? faces[rank].Stretch : int(QFont::Unstretched));
    // A stand-in is drawn by FreeType, whose light auto-hinting measures
    // every glyph of these large faces before the first is drawn; unhinted,
    // the outlines are drawn as designed, smoothed. The design faces are
    // drawn as the system draws them.
    font.setHintingPreference(rank >= DesignRows ? QFont::PreferNoHinting : QFont::PreferDefaultHinting);
    return font;
}

}  // namespace

QFont WindowFont() {
    return DesignFont(&FaceRow::Window);
}

QFont MemoFont() {
    return DesignFont(&FaceRow::Memo);
}

void UseDesignFontEverywhere() {
    const QFont font = WindowFont();
    const QString face = font.families().value(0);
    for (std::size_t row = 0; row < DesignRows; ++row) {
        if (face == QString::fromUtf16(DesignFaces[row].Window.Family)) return;
    }
    QApplication::setFont(font);
}

QIcon Glyph(int index) {
    // The glyphs are XPM text. Handed to QImage as the array of strings that
    // the text spells out, they need no image reader: the first reader of a
    // run looks through every image plugin installed.
    QFile file(QStringLiteral(":/glyphs/%1.xpm").arg(index));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray text = file.readAll();
    std::vector<QByteArray> strings;
    for (qsizetype at = text.indexOf('"'); at >= 0;) {
        const qsizetype end = text.indexOf('"', at + 1);
        if (end < 0) break;
        strings.push_back(text.mid(at + 1, end - at - 1));
        at = text.indexOf('"', end + 1);
    }
    std::vector<const char*> lines;
    for (const QByteArray& s : strings) lines.push_back(s.constData());
    lines.push_back(nullptr);
    const QImage image(lines.data());
    if (image.isNull()) return {};
    return QIcon(QPixmap::fromImage(image));
}

namespace {

// The application's style with the design's etched group frames. Drawn with
// two lines, they also spare the start-up the image reader that the style's
// own frame picture needs.
class TEtchedFrameStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_FrameGroupBox) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QRect r = option->rect.adjusted(0, 0, -1, -1);
        painter->save();
        painter->setPen(option->palette.color(QPalette::Mid));
        painter->drawRect(r.adjusted(0, 0, -1, -1));
        painter->setPen(option->palette.color(QPalette::Light));
        painter->drawRect(r.adjusted(1, 1, 0, 0));
        painter->restore();
    }
};

}  // namespace

void UseEtchedFrame(QGroupBox* box) {
    // One style for every frame, living as long as the application; made
    // on first use, when the application's own style exists.
    static TEtchedFrameStyle* const style = [] {
        auto* made = new TEtchedFrameStyle;
        made->setParent(qApp);
        return made;
    }();
    box->setStyle(style);
}

void UseButtonFace(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    widget->setPalette(palette);
}

}  // namespace quillane
