// Encrypted files under extended reading: the empty password opens without
// a question; otherwise the password is asked, again after a wrong one, at
// most three times, saying how many tries are left and, after the last,
// what to do next; an opened file runs from the menu and F9 as from the
// tool bar; the dialog shows its title whole. Needs qpdf to encrypt the files.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QToolButton>

#include "ShellTestSupport.h"

namespace lumerra::test {
namespace {

const char* const Wrong = "パスワードが正しくありません。";

using PasswordDialogTest = TShellFixture;

TEST_F(PasswordDialogTest, APasswordIsAskedUpToThreeTimesAndAnOpenedFileRunsFromEveryCommand) {
    const QString secret = WriteEncrypted("secret.pdf", "user owner 256");
    const QString open = WriteEncrypted("open.pdf", "'' owner 128 --use-aes=y");
    if (secret.isEmpty() || open.isEmpty()) GTEST_SKIP() << "qpdf is not installed";
    Main().N8->setChecked(true);
    Main().show();
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));

    struct TCase {
        const QString* File;
        std::vector<const char*> Answers;
        size_t Asked;
        QString Outcome;  // the text area's second line
    };
    const QString loaded = QString::fromUtf8(" の読み込みが完了しました。");
    const TCase cases[] = {
        {&open, {}, 0, QStringLiteral("% open.pdf") + loaded},
        {&secret, {"user"}, 1, QStringLiteral("% secret.pdf") + loaded},
        {&secret, {"wrong", "owner"}, 2, QStringLiteral("% secret.pdf") + loaded},
        {&secret, {"wrong", "wrong", "wrong"}, 3, QString::fromUtf8(Separator)},
        {&secret, {nullptr}, 1, QString::fromUtf8("% パスワードが入力されなかったため、読み込みを中止しました。")},
        {&secret, {"wrong", nullptr}, 2, QString::fromUtf8("% パスワードが入力されなかったため、読み込みを中止しました。")},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.File->toStdString() + " answered " + ::testing::PrintToString(test.Answers.size()));
        TPasswordAnswers answers(test.Answers);
        Main().OpenFile(*test.File);
        ASSERT_EQ(answers.Labels.size(), test.Asked);
        EXPECT_TRUE(answers.AllHidden);
        EXPECT_TRUE(answers.AllWide);
        for (size_t i = 0; i < answers.Labels.size(); ++i) {
            EXPECT_EQ(answers.Labels[i].startsWith(QString::fromUtf8(Wrong)), i > 0) << answers.Labels[i].toStdString();
            // The tries left, this one included.
            EXPECT_TRUE(answers.Labels[i].contains(QString::fromUtf8("あと %1 回入力できます。").arg(3 - i)))
                << answers.Labels[i].toStdString();
        }
        EXPECT_EQ(Main().MemoLines().value(1), test.Outcome);
        const bool opened = test.Outcome.endsWith(loaded);
        if (test.Outcome == QString::fromUtf8(Separator)) {
            EXPECT_EQ(Main().MemoLines().value(2), QStringLiteral("  ") + QString::fromUtf8(Wrong));
            // What to do next, after the last try.
            EXPECT_EQ(Main().MemoLines().mid(4),
                      Lines({"% パスワードを 3 回まちがえたため、読み込みを中止しました。",
                             "% 正しいパスワードを確かめてから、もう一度ファイルを開いてください。"}));
        }
        EXPECT_EQ(Main().Run1->isEnabled(), opened);
        EXPECT_EQ(Main().N2->isEnabled(), opened);
        if (!opened) continue;
        // F9, as a user presses it, runs the file into its report.
        ChooseOutput("report.txt");
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Main(), 1000));
        QTest::keyClick(&Main(), Qt::Key_F9);
        EXPECT_EQ(Main().MemoLines().value(1), QString::fromUtf8("% 「ストリームの展開」が完了しました。"));
        EXPECT_NE(ReadFileBytes(Path("report.txt")).find(PageContent), std::string::npos);
    }
}

}  // namespace
}  // namespace lumerra::test
