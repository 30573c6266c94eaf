#include "ExampleMemo.h"

#include "DesignLook.h"

#include <QPalette>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace quillane;

namespace {

// The memo's look must survive the design's text arriving after it is made:
// setting a text replaces the document's contents.
TEST(ExampleMemoTest, FontMarginAndColourOutliveANewText)
{
    for (const QString& text : {QString(), QStringLiteral("one line"), QStringLiteral("MoveToNotebookDirectory[] 関数は\n"
                                                                                  "最後にﾉｰﾄﾌﾞｯｸﾌｧｲﾙを保存したﾃﾞｨﾚｸﾄﾘを\n"
                                                                                  "ｶﾚﾝﾄﾃﾞｨﾚｸﾄﾘにします。")}) {
        SCOPED_TRACE(text.toStdString());
        TExampleMemo memo;
        memo.setPlainText(text);
        EXPECT_EQ(memo.document()->documentMargin(), 2);
        EXPECT_EQ(memo.font(), MemoFont());
        EXPECT_EQ(memo.palette().color(QPalette::Base), memo.palette().color(QPalette::Button));
        EXPECT_EQ(memo.toPlainText(), text);
    }
}

}  // namespace
