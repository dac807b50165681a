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

TEST_F(ProgressDialogTest, HasItsCaptionLayoutAndNoCloseButton) {
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
}

TEST_F(ProgressDialogTest, NothingClosesItAndTheButtonOnlyRaisesTheMainWindowsCancel) {
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

TEST_F(ProgressDialogTest, ShowsWhatTheRunReports) {
    Prog().show();
    Prog().ShowProgress(0, 100, 37, false);
    EXPECT_EQ(Prog().ProgressBar1->value(), 37);
    EXPECT_EQ(Prog().Label1->text(), QStringLiteral("37/100"));
    EXPECT_TRUE(Prog().isVisible());

    // A single page reports -1: the label shows it, the bar cannot.
    Prog().ShowProgress(0, 100, -1, false);
    EXPECT_EQ(Prog().Label1->text(), QStringLiteral("-1/100"));

    Prog().ShowProgress(0, 100, 100, true);
    EXPECT_FALSE(Prog().isVisible());
    EXPECT_EQ(Prog().ProgressBar1->value(), 0);
    EXPECT_EQ(Prog().Label1->text(), QStringLiteral("100/100"));
}

TEST_F(ProgressDialogTest, TheCountIsShownWholeBetweenTheButtonAndTheRightBorder) {
    Prog().show();
    const QRect bar = Prog().ProgressBar1->geometry();
    const QFontMetrics metrics(Prog().Label1->font());
    struct TCase {
        int32_t Position;
        int32_t Max;
    };
    for (const TCase& test : {TCase{0, 0}, TCase{37, 100}, TCase{162, 1000}, TCase{3234, 12000}, TCase{-1, 1},
                              TCase{99999, 99999}}) {
        Prog().ShowProgress(0, test.Max, test.Position, false);
        const QRect label = Prog().Label1->geometry();
        const QString text = Prog().Label1->text();
        SCOPED_TRACE(text.toStdString());
        EXPECT_GE(label.width(), metrics.horizontalAdvance(text));
        EXPECT_GE(label.height(), metrics.height());
        EXPECT_EQ(label.right(), bar.right());
        EXPECT_GT(label.left(), Prog().Button1->geometry().right());
        EXPECT_LE(label.bottom(), Prog().height());
        // The widest count of the run fits from the start: the label does
        // not move while the count goes up.
        EXPECT_GE(label.width(), metrics.horizontalAdvance(QStringLiteral("%1/%1").arg(test.Max)));
    }
    Prog().hide();
}

}  // namespace
}  // namespace lumerra::test
