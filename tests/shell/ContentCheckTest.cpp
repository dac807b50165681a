// 実行 → 内容の検査: the findings in the text area, labelled in Japanese with
// the command line's codes, with the run's progress dialog and its cancel
// button.
#include <QAction>
#include <QPushButton>
#include <QTimer>

#include "ShellTestSupport.h"

namespace lumerra::test {
namespace {

std::string Faulty() {
    return PdfBuilder::SimpleDocument({"q Q", "Q BT", "0 0 m S"}).Build();
}

class ContentCheckTest : public TShellFixture {};

TEST_F(ContentCheckTest, FindingsAndCountsGoToTheTextArea) {
    Main().OpenFile(Write("faulty.pdf", Faulty()));
    Main().N10->trigger();
    EXPECT_EQ(Main().MemoLines(),
              Lines({"% 内容の検査: faulty.pdf",
                     "ページ 2、オブジェクト 6、オフセット 0: エラー save-restore (Q): 対応する q のない Q です。",
                     "ページ 2、オブジェクト 6、オフセット 2: エラー text-object (BT): BT が ET で閉じられていません。",
                     "エラー 2、警告 0、情報 0"}));
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_FALSE(Prog().isVisible());
}

TEST_F(ContentCheckTest, TheCancelButtonStopsTheCheck) {
    Main().OpenFile(Write("faulty.pdf", Faulty()));
    auto* timer = new QTimer(&Main());
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [this, timer] {
        if (!Prog().isVisible()) return;
        Prog().Button1->click();
        timer->stop();
        timer->deleteLater();
    });
    timer->start();
    Main().N10->trigger();
    EXPECT_EQ(Main().MemoLines(), Lines({"", "% キャンセルされました。m(_ _)m"}));
    EXPECT_TRUE(Main().isEnabled());
}

}  // namespace
}  // namespace lumerra::test
