// Where the browse window and its parts stand: its place on the screen, the
// origins of its rows, the arrangement of its controls, and the painting of
// its text rows.

#include "BrowseDlgForm.h"

#include "BrowseDlg.h"
#include "ShellTreeView.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace quillane {

QRect BrowseWindowBounds(bool screenCenter, QSize screen, int x, int y, int width, int height) {
    if (screenCenter) {
        // C++ division truncates toward zero, as the placement requires for
        // a window larger than the screen.
        x = (screen.width() - width) / 2;
        y = (screen.height() - height) / 2;
    }
    return QRect(x, y, width, height);
}

QString BrowseRowText(const QString& text, const QFontMetrics& metrics, int width) {
    // A line break starts a second line below the row, which the row's
    // clipping hides: only the first line shows.
    QString line = text;
    const int cut = line.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    if (cut >= 0) line.truncate(cut);
    if (line.isEmpty()) return line;
    return metrics.elidedText(line, Qt::ElideRight, std::max(width, 0));
}

void TBrowseDlgForm::UpdateBounds() {
    const TBrowseDlg& dlg = FBrowseDlg;
    QSize screen(0, 0);
    if (const QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry().size();
    const QRect outer = BrowseWindowBounds(dlg.ScreenCenter(), screen, dlg.X(), dlg.Y(), dlg.Width(), dlg.Height());
    // Width and Height include the frame; the client area is what it
    // leaves. Where the platform tells the frame only once the window is
    // on the screen, the show corrects the size.
    FFrameUsed = FrameMargins();
    const int cw = std::max(0, outer.width() - FFrameUsed.left() - FFrameUsed.right());
    const int ch = std::max(0, outer.height() - FFrameUsed.top() - FFrameUsed.bottom());
    setFixedSize(cw, ch);
    move(outer.topLeft());  // a window's position is that of its frame
}

QMargins TBrowseDlgForm::FrameMargins() {
    // The platform window is made early so that its frame can be asked for
    // before the window is first shown.
    if (windowHandle() == nullptr) create();
    if (isVisible()) {
        const QRect frame = frameGeometry();
        const QRect client = geometry();
        return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                        frame.bottom() - client.bottom());
    }
    return windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
}

QPoint TBrowseDlgForm::GetText1Pos() const {
    return QPoint(FBrowseDlg.TextHorzMargin(), FBrowseDlg.TopMargin());
}

QPoint TBrowseDlgForm::GetText2Pos() const {
    QPoint p = GetText1Pos();
    if (FBrowseDlg.Text1Visible()) p.ry() += FBrowseDlg.TextLineHeight() + FBrowseDlg.VertSpacing();
    return p;
}

QPoint TBrowseDlgForm::GetCustomEditPos() const {
    QPoint p = GetText2Pos();
    p.setX(FBrowseDlg.CustomEditHorzMargin());
    if (FBrowseDlg.Text2Visible()) p.ry() += FBrowseDlg.TextLineHeight() + FBrowseDlg.VertSpacing();
    return p;
}

QPoint TBrowseDlgForm::GetTreeViewPos() const {
    QPoint p = GetCustomEditPos();
    p.setX(FBrowseDlg.TreeHorzMargin());
    if (FBrowseDlg.CustomEditVisible()) {
        if (FBrowseDlg.CustomEditType() == ceEdit && FEdit != nullptr)
            p.ry() += FEdit->height() + FBrowseDlg.VertSpacing();
        else if (FBrowseDlg.CustomEditType() == ceComboBox && FComboBox != nullptr)
            p.ry() += FComboBox->height() + FBrowseDlg.VertSpacing();
    }
    return p;
}

QPoint TBrowseDlgForm::GetButtonsPos() const {
    return QPoint(width() - FBrowseDlg.BtnHorzMargin() - FBrowseDlg.CancelBtnWidth(),
                  height() - FBrowseDlg.BottomMargin() - FBrowseDlg.BtnHeight());
}

QRect TBrowseDlgForm::TextRowRect(int row) const {
    const QPoint p = row == 1 ? GetText1Pos() : GetText2Pos();
    const int right = width() - FBrowseDlg.TextHorzMargin();
    return QRect(QPoint(p.x(), p.y()), QSize(std::max(0, right - p.x()), FBrowseDlg.TextLineHeight()));
}

void TBrowseDlgForm::ArrangeControls() {
    if (!FControlsCreated) return;
    const TBrowseDlg& dlg = FBrowseDlg;
    const int cw = width();
    // Sizes that do not fit come out as zero, never negative.
    auto extent = [](int v) { return std::max(v, 0); };

    QPoint p = GetCustomEditPos();
    if (QWidget* edit = CustomEditWidget()) edit->setGeometry(p.x(), p.y(), extent(cw - 2 * p.x()), edit->height());

    const QPoint tree = GetTreeViewPos();
    FTreeView->setGeometry(tree.x(), tree.y(), extent(cw - 2 * tree.x()), FTreeView->height());

    p = GetButtonsPos();
    FCancelBtn->setGeometry(p.x(), p.y(), extent(dlg.CancelBtnWidth()), extent(dlg.BtnHeight()));
    p.rx() -= dlg.BtnHorzSpacing() + dlg.OKBtnWidth();
    FOKBtn->setGeometry(p.x(), p.y(), extent(dlg.OKBtnWidth()), extent(dlg.BtnHeight()));
    if (FCustomBtn != nullptr) {
        FCustomBtn->setGeometry(dlg.BtnHorzMargin(), p.y(), extent(p.x() - dlg.BtnHorzMargin() - dlg.BtnHorzSpacing()),
                                extent(dlg.BtnHeight()));
    }
    FTreeView->resize(FTreeView->width(), extent(p.y() - tree.y() - dlg.VertSpacing()));
    update();
}

void TBrowseDlgForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    const TBrowseDlg& dlg = FBrowseDlg;
    QPainter painter(this);
    painter.setFont(dlg.Font().Value());
    const QColor color = dlg.Font().Color();
    painter.setPen(color.isValid() ? color : palette().color(QPalette::WindowText));
    painter.setBrush(Qt::NoBrush);
    const QFontMetrics metrics(dlg.Font().Value(), this);
    const std::pair<bool, QString> rows[] = {{dlg.Text1Visible(), dlg.Text1()}, {dlg.Text2Visible(), dlg.Text2()}};
    for (int row = 1; row <= 2; ++row) {
        const auto& [visible, text] = rows[row - 1];
        if (!visible || text.isEmpty()) continue;
        const QRect rect = TextRowRect(row);
        // The row is one character height plus 2, while most fonts' lines
        // are taller: descenders may reach into the gap below the row, which
        // nothing else uses, instead of being cut off.
        const QRect clip = rect.adjusted(0, 0, 0, std::max(0, dlg.VertSpacing()));
        painter.save();
        painter.setClipRect(clip);
        painter.drawText(clip, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         BrowseRowText(text, metrics, rect.width()));
        painter.restore();
    }
}

}  // namespace quillane
