// The password dialog of extended reading: asked once when the empty
// password fails; a right password loads the file, cancelling leaves it
// unloaded with a line in the text area. Needs qpdf to encrypt the file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>

#include "ShellTestSupport.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

using PasswordDialogTest = TShellFixture;

// Answers the next password dialog with Password, or cancels it when null;
// records whether its input was hidden.
void Answer(const char* Password, bool& Hidden) {
    QTimer::singleShot(0, [Password, &Hidden] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        Hidden = dialog->textEchoMode() == QLineEdit::Password;
        if (Password == nullptr) {
            dialog->reject();
        } else {
            dialog->setTextValue(QString::fromUtf8(Password));
            dialog->accept();
        }
    });
}

}  // namespace

TEST_F(PasswordDialogTest, ARightPasswordLoadsAndCancellingLeavesTheFileUnloaded) {
    if (std::system("qpdf --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "qpdf is not installed";
    const std::string plain = Write("plain.pdf", GoodPdf()).toStdString();
    const std::string secret = Path("secret.pdf");
    ASSERT_EQ(std::system(("qpdf --encrypt user owner 256 -- '" + plain + "' '" + secret + "'").c_str()), 0);
    Main().N8->setChecked(true);

    bool hidden = false;
    Answer("user", hidden);
    Main().OpenFile(QString::fromStdString(secret));
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(Main().Run1->isEnabled());
    EXPECT_TRUE(Main().MemoLines().join('\n').contains(QString::fromUtf8("の読み込みが完了しました。")));

    Answer(nullptr, hidden);
    Main().OpenFile(QString::fromStdString(secret));
    EXPECT_FALSE(Main().Run1->isEnabled());
    EXPECT_TRUE(Main().MemoLines().join('\n').contains(QString::fromUtf8("読み込みを中止しました。")));

    Answer("wrong", hidden);
    Main().OpenFile(QString::fromStdString(secret));
    EXPECT_FALSE(Main().Run1->isEnabled());
    EXPECT_TRUE(Main().MemoLines().join('\n').contains(QString::fromUtf8("パスワードが正しくありません。")));
}
