#include "DesignLook.h"

#include <QFontDatabase>
#include <QPalette>
#include <QStringList>
#include <QWidget>

namespace quillane {

namespace {

// The design fonts: the window's "ＭＳ Ｐゴシック" and the example memos' "ＭＳ ゴシック",
// 12 pixels high. Where those faces are missing (every Linux desktop) the
// first installed Japanese gothic face stands in, so that the texts show; the
// stand-ins run wider than the faces the fixed geometry was laid out for and
// would clip captions, so they are drawn condensed. The fonts are made in
// code, not in the .ui file, which can only hold point sizes, and are given
// before any text arrives (the window's before its controls exist, the
// memos' by the memos themselves), so that no text is laid out twice.
//
// The face is picked from the installed families once, here: a font whose
// first family is missing makes Qt consult fontconfig for fallbacks for every
// script of every text it lays out, and QFontDatabase::hasFamily runs a
// fontconfig substitution for each name it is asked about; together that was
// about a fifth of the start-up's work. Matching against the family list, as
// Qt's own matcher does, costs next to nothing.
QFont DesignFont(const QStringList& families)
{
    const QStringList installed = QFontDatabase::families();
    qsizetype rank = 0;
    while (rank < families.size() && !installed.contains(families.at(rank), Qt::CaseInsensitive))
        ++rank;
    QFont font;
    // The chosen face alone: names left behind it would each be matched and
    // given fallbacks again. Characters the face lacks still come from Qt's
    // own fallback; with none installed that fallback picks the face.
    if (rank < families.size())
        font.setFamily(families.at(rank));
    else
        font.setFamilies(families);
    font.setPixelSize(12);
    if (rank >= 2)
        font.setStretch(90);
    return font;
}

}  // namespace

QFont WindowFont()
{
    return DesignFont({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                       QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                       QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                       QStringLiteral("TakaoPGothic"), QStringLiteral("Source Han Sans JP")});
}

QFont MemoFont()
{
    return DesignFont({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                       QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP"),
                       QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic")});
}

void UseButtonFace(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    widget->setPalette(palette);
}

}  // namespace quillane
