// The progress dialog of a run.
#include <QCloseEvent>
#include <QFontMetrics>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ShellTestSupport.h"

namespace lumerra::test {
namespace {

using ProgressDialogTest = TShellFixture;

TEST_F(ProgressDialogTest, HasItsCaptionAndLayoutAndNothingClosesIt) {
    EXPECT_EQ(Prog().windowTitle(), QString::fromUtf8("PDF オブジェクトを解析中・・・"));
    EXPECT_EQ(Prog().size(), QSize(328, 76));
    EXPECT_EQ(Prog().ProgressBar1->geometry(), QRect(16, 12, 297, 25));
    EXPECT_EQ(Prog().Button1->geometry(), QRect(126, 46, 75, 23));
    EXPECT_EQ(Prog().Button1->text(), QString::fromUtf8("中止(&N)"));
    EXPECT_TRUE(Prog().Label1->text().isEmpty());
    EXPECT_EQ(Prog().ProgressBar1->minimum(), 0);
    EXPECT_EQ(Prog().ProgressBar1->maximum(), 100);
    // A fixed size and the customised title without minimise and maximise
    // take both functions away under window managers that follow the hints.
    EXPECT_EQ(Prog().minimumSize(), Prog().maximumSize());
    const Qt::WindowFlags flags = Prog().windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(Prog().isModal());

    // Nothing closes it, and the button only raises the main window's cancel.
    Prog().show();
    EXPECT_FALSE(Prog().close());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&Prog(), &escape);
    EXPECT_TRUE(Prog().isVisible());
    Main().Cancel = false;
    Prog().Button1->click();
    EXPECT_TRUE(Main().Cancel);
    EXPECT_TRUE(Prog().isVisible());
    Prog().hide();
}

// The count is shown whole between the button and the right border, where
// the widest count of the run fits from the start; a single page reports
// -1, which the label shows and the bar cannot. The end hides the dialog
// and leaves the last count.
TEST_F(ProgressDialogTest, ShowsTheCountWholeAndTheBarOfWhatTheRunReports) {
    Prog().show();
    const QRect bar = Prog().ProgressBar1->geometry();
    const QFontMetrics metrics(Prog().Label1->font());
    const struct {
        int32_t Position, Max;
        const char* Label;
    } cases[] = {
        {0, 0, "0/0"}, {37, 100, "37/100"}, {-1, 100, "-1/100"}, {162, 1000, "162/1000"},
        {-1, 1, "-1/1"}, {3234, 12000, "3234/12000"}, {99999, 99999, "99999/99999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Label);
        Prog().ShowProgress(0, c.Max, c.Position, false);
        EXPECT_TRUE(Prog().isVisible());
        EXPECT_EQ(Prog().Label1->text(), QString::fromLatin1(c.Label));
        if (c.Max == 100 && c.Position >= 0) {
            EXPECT_EQ(Prog().ProgressBar1->value(), c.Position);
        }
        const QRect label = Prog().Label1->geometry();
        EXPECT_GE(label.width(), metrics.horizontalAdvance(Prog().Label1->text()));
        EXPECT_GE(label.height(), metrics.height());
        EXPECT_EQ(label.right(), bar.right());
        EXPECT_GT(label.left(), Prog().Button1->geometry().right());
        EXPECT_LE(label.bottom(), Prog().height());
        EXPECT_GE(label.width(), metrics.horizontalAdvance(QStringLiteral("%1/%1").arg(c.Max)));
    }
    Prog().ShowProgress(0, 100, 100, true);
    EXPECT_FALSE(Prog().isVisible());
    EXPECT_EQ(Prog().ProgressBar1->value(), 0);
    EXPECT_EQ(Prog().Label1->text(), QStringLiteral("100/100"));
}

}  // namespace
}  // namespace lumerra::test
