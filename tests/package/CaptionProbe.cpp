// Tells whether a group box caption in another program's window is drawn in
// a font that has its characters, or as boxes. The window's picture is
// searched for the caption as this program draws it with the fonts
// installed here, and for the caption drawn by a font that lacks its
// characters; the first must be found, and be found far better than the
// second.
//
//   quillane_caption_probe <window id> <caption>
//
// Exit status 0: drawn with its characters; 1: not (boxes, or nowhere);
// 2: the probe cannot tell (no font here has the characters, no picture).
#include "DesignLook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QStringList>
#include <QThread>

#include <cstdio>
#include <limits>
#include <vector>

namespace {

// Pixels darker than half are the ink of text; frames and faces are lighter.
struct TInk {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Dark;

    explicit TInk(const QImage& picture) {
        const QImage image = picture.convertToFormat(QImage::Format_RGB32);
        Width = image.width();
        Height = image.height();
        Dark.resize(std::size_t(Width) * Height);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) Dark[std::size_t(y) * Width + x] = qGray(image.pixel(x, y)) < 128;
    }
    bool At(int x, int y) const { return Dark[std::size_t(y) * Width + x] != 0; }

    // The smallest rectangle holding all of the ink; empty when there is none.
    QRect Bounds() const {
        QRect bounds;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                if (At(x, y)) bounds |= QRect(x, y, 1, 1);
        return bounds;
    }
};

// The caption as the window draws it: a group box's title in the window's
// font and frame style.
QImage DrawnCaption(const QString& caption, const QFont& font) {
    QGroupBox box;
    box.setFont(font);
    quillane::UseEtchedFrame(&box);
    box.setTitle(caption);
    box.resize(box.sizeHint().expandedTo(QSize(300, 40)));
    return box.grab().toImage();
}

// The share of the caption's ink pixels that differ from `window` where the
// caption fits best, 0 for a perfect match.
double BestMismatch(const TInk& window, const QImage& drawn) {
    const TInk all(drawn);
    const QRect bounds = all.Bounds();
    if (bounds.isEmpty() || bounds.width() > window.Width || bounds.height() > window.Height) return 1.0;
    std::vector<QPoint> on, off;
    for (int y = bounds.top(); y <= bounds.bottom(); ++y)
        for (int x = bounds.left(); x <= bounds.right(); ++x)
            (all.At(x, y) ? on : off).emplace_back(x - bounds.left(), y - bounds.top());
    int best = std::numeric_limits<int>::max();
    for (int y = 0; y + bounds.height() <= window.Height; ++y)
        for (int x = 0; x + bounds.width() <= window.Width; ++x) {
            int differ = 0;
            for (const QPoint& p : on) differ += !window.At(x + p.x(), y + p.y());
            for (std::size_t i = 0; i < off.size() && differ < best; ++i)
                differ += window.At(x + off[i].x(), y + off[i].y());
            best = std::min(best, differ);
        }
    return double(best) / on.size();
}

// The caption as a machine without Japanese fonts draws it: in a face that
// lacks its characters, the default sans-serif face where it does, whose
// missing-character glyph shows (some faces draw it as nothing). Null when
// no face here does.
QImage DrawnAsBoxes(const QString& caption, QFont font) {
    QStringList families = QFontDatabase::families(QFontDatabase::Latin);
    families.prepend(QFontInfo(QFont(QStringLiteral("sans-serif"))).family());
    font.setStyleStrategy(QFont::NoFontMerging);
    for (const QString& family : families) {
        if (QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese)) continue;
        font.setFamily(family);
        const QImage drawn = DrawnCaption(caption, font);
        if (!TInk(drawn).Bounds().isEmpty()) {
            std::printf("boxes drawn by %s\n", qPrintable(family));
            return drawn;
        }
    }
    return {};
}

// The window's picture once it has stopped changing, so that a window
// still painting its first frame is not judged.
QImage SettledPicture(QScreen* screen, WId window) {
    QImage last;
    for (int attempt = 0; attempt < 50; ++attempt) {
        const QImage now = screen->grabWindow(window).toImage();
        if (!now.isNull() && now == last) return now;
        last = now;
        QThread::msleep(100);
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillane_caption_probe <window id> <caption>\n");
        return 2;
    }
    const WId window = WId(QByteArray(argv[1]).toULongLong(nullptr, 0));
    const QString caption = QString::fromUtf8(argv[2]);

    const QFont font = quillane::WindowFont();
    const QFontMetrics metrics(font);
    for (const uint c : caption.toUcs4())
        if (!metrics.inFontUcs4(c)) {
            std::fprintf(stderr, "no font installed here has U+%04X, so the caption cannot be drawn as it should\n", c);
            return 2;
        }
    const QImage boxes = DrawnAsBoxes(caption, font);
    if (boxes.isNull()) {
        std::fprintf(stderr, "no font installed here draws the caption as boxes\n");
        return 2;
    }

    const QImage picture = SettledPicture(app.primaryScreen(), window);
    if (picture.isNull()) {
        std::fprintf(stderr, "no settled picture of window %s\n", argv[1]);
        return 2;
    }
    const TInk ink(picture);
    const double asDrawn = BestMismatch(ink, DrawnCaption(caption, font));
    const double asBoxes = BestMismatch(ink, boxes);
    std::printf("caption at its best place: %.0f%% of its ink differs as %s draws it, %.0f%% as boxes\n", asDrawn * 100,
                qPrintable(font.family()), asBoxes * 100);
    return asDrawn <= 0.2 && asDrawn * 2 < asBoxes ? 0 : 1;
}
