#include "ExampleMemo.h"

#include "DesignLook.h"

#include <QPalette>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace quillane;

namespace {

// The memo's look must survive the design's text arriving after it is made,
// and every line of a text, first or replacing another, is 12 pixels high.
TEST(ExampleMemoTest, TextKeepsTheLookAndGetsTwelvePixelLines) {
    const QString design = QStringLiteral(
        "MoveToNotebookDirectory[] 関数は\n"
        "最後にﾉｰﾄﾌﾞｯｸﾌｧｲﾙを保存したﾃﾞｨﾚｸﾄﾘを\n"
        "ｶﾚﾝﾄﾃﾞｨﾚｸﾄﾘにします。");
    struct Case {
        QString First, Then;
        int Blocks;
    };
    const Case cases[] = {
        {QString(), QString(), 1},
        {QStringLiteral("one line"), QString(), 1},
        {QString(), design, 3},
        {QStringLiteral("a\nb\nc\nd"), design, 3},
        {design, QStringLiteral("x\n"), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.First + QStringLiteral(" -> ") + c.Then).toStdString());
        TExampleMemo memo;
        memo.SetExampleText(c.First);
        memo.SetExampleText(c.Then);
        EXPECT_EQ(memo.toPlainText(), c.Then);
        EXPECT_EQ(memo.document()->blockCount(), c.Blocks);
        for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next()) {
            EXPECT_EQ(block.blockFormat().lineHeightType(), int(QTextBlockFormat::FixedHeight));
            EXPECT_EQ(block.blockFormat().lineHeight(), 12);
        }
        EXPECT_FALSE(memo.document()->isModified());
        EXPECT_EQ(memo.document()->documentMargin(), 2);
        EXPECT_EQ(memo.font(), MemoFont());
        EXPECT_EQ(memo.palette().color(QPalette::Base), memo.palette().color(QPalette::Button));
    }
}

}  // namespace
