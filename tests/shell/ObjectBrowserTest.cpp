// The object browser: children read only when opened, references to rows
// open higher up as links, paths typed or walked, back and forward, find,
// the referrers, a stream's data and the jump from a content check finding.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTreeView>

#include "ShellTestSupport.h"
#include "shell/FindingJump.h"
#include "shell/ObjectBrowser.h"
#include "shell/ObjectTreeModel.h"
#include "support/MemoryObjectSource.h"

namespace lumerra::test {
namespace {

QString U(const char* Utf8) { return QString::fromUtf8(Utf8); }

// A page tree whose pages point back at it, a font, an object that refers
// to itself and a stream.
std::unique_ptr<TMemoryObjectSource> SmallDocument() {
    return std::make_unique<TMemoryObjectSource>(
        "<< /Size 8 /Root 1 0 R >>",
        std::map<int32_t, std::string>{
            {1, "<< /Type /Catalog /Pages 2 0 R >>"},
            {2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"},
            {3, "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 4 0 R >> >> /Contents 6 0 R >>"},
            {4, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"},
            {5, "<< /Me 5 0 R >>"},
            {6, "<< /Length 7 0 R >>"},
            {7, "11"},
        },
        std::map<int32_t, std::string>{{6, "q\r\nBT ET Q\x01"}});
}

TBrowserDocument DocumentOf(std::unique_ptr<TMemoryObjectSource> Source) {
    TBrowserDocument document;
    document.Source = std::move(Source);
    document.FileName = "/tmp/small.pdf";
    return document;
}

class ObjectBrowserTest : public ::testing::Test {
protected:
    ObjectBrowserTest() {
        auto source = SmallDocument();
        FSource = source.get();
        FBrowser = std::make_unique<TfrmBrowser>(DocumentOf(std::move(source)));
    }
    TfrmBrowser& Browser() { return *FBrowser; }
    TMemoryObjectSource* FSource;
    std::unique_ptr<TfrmBrowser> FBrowser;
};

TEST(ObjectTreeModelTest, ReadsAnObjectOnlyWhenItsRowIsShownOrOpened) {
    auto source = SmallDocument();
    TObjectTreeModel model(*source);
    const QModelIndex trailer = model.TrailerIndex();
    EXPECT_TRUE(source->Reads.empty());
    EXPECT_TRUE(model.hasChildren(trailer));
    EXPECT_EQ(model.rowCount(trailer), 0);
    ASSERT_TRUE(model.canFetchMore(trailer));
    model.fetchMore(trailer);
    ASSERT_EQ(model.rowCount(trailer), 2);
    // The entries are there; the objects they refer to are not read yet.
    EXPECT_TRUE(source->Reads.empty());
    const QModelIndex root = model.index(1, 0, trailer);
    EXPECT_EQ(model.data(root).toString(), U("/Root  1 0 R  /Type /Catalog"));
    EXPECT_EQ(source->Reads, (std::map<int32_t, int>{{1, 1}}));
    // Shown again: read once.
    model.data(root);
    model.fetchMore(root);
    EXPECT_EQ(model.rowCount(root), 2);
    EXPECT_EQ(source->Reads, (std::map<int32_t, int>{{1, 1}}));
    EXPECT_EQ(model.data(model.index(1, 0, root)).toString(), U("/Pages  2 0 R  /Type /Pages"));
    EXPECT_EQ(source->Reads, (std::map<int32_t, int>{{1, 1}, {2, 1}}));
    // A reference to a number: it may open until it is shown.
    const QModelIndex length = model.Child(model.ObjectIndex(6), "Length");
    EXPECT_TRUE(model.hasChildren(length));
    EXPECT_EQ(model.data(length).toString(), U("/Length  7 0 R  11"));
    EXPECT_FALSE(model.hasChildren(length));
}

TEST(ObjectTreeModelTest, AReferenceToAnObjectOpenHigherUpIsALink) {
    auto source = SmallDocument();
    TObjectTreeModel model(*source);
    auto walk = [&](QModelIndex At, std::vector<std::string> Steps) {
        for (const std::string& step : Steps) At = model.Child(At, step);
        return At;
    };
    const struct {
        std::vector<std::string> Steps;
        const char* Link;  // the path of the row it jumps to; null: no link
    } cases[] = {
        {{"Root", "Pages", "Kids", "0", "Parent"}, "trailer/Root/Pages"},
        {{"Root", "Pages", "Kids", "0", "Resources", "Font", "F1"}, nullptr},
        {{"Root", "Pages", "Kids"}, nullptr},
    };
    for (const auto& c : cases) {
        const QModelIndex at = walk(model.TrailerIndex(), c.Steps);
        ASSERT_TRUE(at.isValid());
        const QModelIndex link = model.LinkTarget(at);
        EXPECT_EQ(link.isValid(), c.Link != nullptr) << model.PathAt(at);
        if (c.Link != nullptr) {
            EXPECT_EQ(model.PathAt(link), c.Link);
            EXPECT_FALSE(model.hasChildren(at));
            EXPECT_TRUE(model.data(at).toString().contains(U("上で開いています")));
        }
    }
    // An object that refers to itself: its entry links to its own row.
    const QModelIndex self = model.ObjectIndex(5);
    const QModelIndex me = model.Child(self, "Me");
    EXPECT_EQ(model.LinkTarget(me), self);
    EXPECT_EQ(model.ObjectIndex(5), self);  // opened once at the top
}

TEST_F(ObjectBrowserTest, GoesWhereAPathLeadsOrSaysWhyNot) {
    const struct {
        const char* Typed;
        bool Goes;
        const char* Path;    // where it ends up
        const char* Status;  // part of what the status bar says
    } cases[] = {
        {"trailer/Root/Pages/Kids/0", true, "trailer/Root/Pages/Kids/0", ""},
        {"trailer", true, "trailer", ""},
        {"4", true, "4", ""},
        {"3 0", true, "3", ""},
        {"3/Resources/Font/F1", true, "3/Resources/Font/F1", ""},
        // Through a link: on from the row it stands for.
        {"trailer/Root/Pages/Kids/0/Parent/Count", true, "trailer/Root/Pages/Count", ""},
        {"trailer/Root/Nothing", false, "trailer/Root", "「Nothing」はありません"},
        {"trailer/Root/Pages/Kids/7", false, "trailer/Root/Pages/Kids", "「7」はありません"},
        {"99", false, "trailer/Root/Pages/Kids", "オブジェクト 99 はこのファイルにありません"},
        {"0", false, "trailer/Root/Pages/Kids", "オブジェクト 0 はこのファイルにありません"},
        {"page/9", false, "trailer/Root/Pages/Kids", "ページ 9 はありません"},
        {"xref", false, "trailer/Root/Pages/Kids", "lumerra show"},
        {"1 2 3", false, "trailer/Root/Pages/Kids", "パスとして読めません"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Browser().GoToPath(U(c.Typed)), c.Goes) << c.Typed;
        EXPECT_EQ(Browser().CurrentPath(), c.Path) << c.Typed;
        EXPECT_TRUE(Browser().StatusText().contains(U(c.Status))) << c.Typed << ": " << Browser().StatusText().toStdString();
    }
}

TEST_F(ObjectBrowserTest, ShowsTheValueWhereItLiesAndTheReadingUsed) {
    Browser().GoToPath(U("trailer/Root"));
    EXPECT_EQ(Browser().ValueText(), U("<<\n  /Type /Catalog\n  /Pages 2 0 R\n>>"));
    EXPECT_EQ(Browser().PlaceText(), U("オブジェクト 1: 改訂 1 で書き込まれ、ファイルのオフセット 100 にあります。"));
    Browser().GoToPath(U("3/Resources/Font"));
    EXPECT_TRUE(Browser().PlaceText().startsWith(U("オブジェクト 3 の /Resources/Font: "))) << Browser().PlaceText().toStdString();
    EXPECT_TRUE(Browser().NoteText().contains(U("拡張読み込み")));
    EXPECT_TRUE(Browser().DataText().isEmpty());
}

TEST_F(ObjectBrowserTest, BackAndForwardRetraceTheRowsVisited) {
    for (const char* path : {"1", "2", "4"}) Browser().GoToPath(U(path));
    const struct {
        void (TfrmBrowser::*Move)();
        const char* Path;
    } steps[] = {
        {&TfrmBrowser::Back, "2"}, {&TfrmBrowser::Back, "1"}, {&TfrmBrowser::Back, "trailer"},
        {&TfrmBrowser::Back, "trailer"},  // no further back
        {&TfrmBrowser::Forward, "1"}, {&TfrmBrowser::Forward, "2"}, {&TfrmBrowser::Forward, "4"},
        {&TfrmBrowser::Forward, "4"},  // no further forward
        {&TfrmBrowser::Back, "2"},
    };
    for (const auto& step : steps) {
        (Browser().*step.Move)();
        EXPECT_EQ(Browser().CurrentPath(), step.Path);
    }
    // Going somewhere new drops what lay ahead.
    Browser().GoToPath(U("5"));
    Browser().Forward();
    EXPECT_EQ(Browser().CurrentPath(), "5");
    Browser().Back();
    EXPECT_EQ(Browser().CurrentPath(), "2");
}

TEST_F(ObjectBrowserTest, EveryMoveWorksFromTheKeyboard) {
    Browser().show();
    Browser().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Browser()));
    auto keys = [&](const char* Typed) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClicks(QApplication::focusWidget(), U(Typed));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    };
    QTest::keyClick(&Browser(), Qt::Key_G, Qt::ControlModifier);
    keys("4");
    EXPECT_EQ(Browser().CurrentPath(), "4");
    // Find: the next object with the key or name, after the selected one.
    QTest::keyClick(&Browser(), Qt::Key_F, Qt::ControlModifier);
    keys("Page");
    EXPECT_EQ(Browser().CurrentPath(), "3/Type");
    QTest::keyClick(&Browser(), Qt::Key_F3);
    EXPECT_EQ(Browser().CurrentPath(), "3/Type");  // wrapped around to itself
    QTest::keyClick(&Browser(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Browser().CurrentPath(), "4");
    QTest::keyClick(&Browser(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(Browser().CurrentPath(), "3/Type");
    QTest::keyClick(&Browser(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Browser().ReferrerLines(), QStringList({U("2: /Kids[0]")}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Browser().CurrentPath(), "2/Kids/0");
    // A link row jumps to the row it stands for on Enter.
    Browser().GoToPath(U("trailer/Root/Pages/Kids/0/Parent"));
    QTest::keyClick(&Browser(), Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Browser().CurrentPath(), "trailer/Root/Pages");
    QTest::keyClick(&Browser(), Qt::Key_Escape);
    EXPECT_FALSE(Browser().isVisible());
}

TEST_F(ObjectBrowserTest, FindsKeysAndNamesOrSaysNone) {
    const struct {
        const char* Text;
        bool Found;
        const char* Path;
    } cases[] = {
        {"/Font", true, "3/Resources/Font"},
        {"Font", true, "4/Type"},
        {"Helvetica", true, "4/BaseFont"},
        {"Helvetica", true, "4/BaseFont"},  // the only one: found again
        {"Nowhere", false, "4/BaseFont"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Browser().FindNext(U(c.Text)), c.Found) << c.Text;
        EXPECT_EQ(Browser().CurrentPath(), c.Path) << c.Text;
    }
    EXPECT_TRUE(Browser().StatusText().contains(U("見つかりませんでした")));
}

TEST_F(ObjectBrowserTest, AStreamShowsItsDataAsTextOrHex) {
    Browser().GoToPath(U("trailer/Root/Pages/Kids/0/Contents"));
    EXPECT_EQ(Browser().StreamInfoText(), U("ストリーム: 展開後 11 バイト（格納 11 バイト）、フィルタ なし"));
    // One character a byte: a carriage return before a line feed is a space.
    EXPECT_EQ(Browser().DataText(), U("q \nBT ET Q."));
    Browser().SetHexView(true);
    EXPECT_EQ(Browser().DataText(),
              U("00000000  71 0d 0a 42 54 20 45 54 20 51 01                 |q..BT ET Q.|\n"));
    EXPECT_TRUE(Browser().ShowStreamAt(6, 6, 2));
    EXPECT_EQ(Browser().DataText(), U("q \nBT ET Q."));
    EXPECT_EQ(Browser().MarkedData(), U("ET"));
    EXPECT_FALSE(Browser().ShowStreamAt(4, 0, 1));  // no stream
}

// 内容の検査 → a finding's line → the browser at the operator.
class FindingJumpTest : public TShellFixture {};

TEST_F(FindingJumpTest, AFindingsLineOpensTheBrowserAtItsOperator) {
    Main().OpenFile(Write("faulty.pdf", PdfBuilder::SimpleDocument({"q Q", "Q BT", "0 0 m S"}).Build()));
    Main().N10->trigger();
    ASSERT_TRUE(Main().MemoLines().value(2).startsWith(U("ページ 2、オブジェクト 6、オフセット 2:")));
    const struct {
        int Block;
        bool Jumps;
        const char* Marked;
    } cases[] = {
        {0, false, ""},  // the heading
        {1, true, "Q"},
        {2, true, "BT"},
        {3, false, ""},  // the counts
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Main().FindingJump().JumpFrom(c.Block), c.Jumps) << c.Block;
        if (!c.Jumps) continue;
        ASSERT_NE(Main().Browser(), nullptr);
        EXPECT_EQ(Main().Browser()->CurrentPath(), "6");
        EXPECT_EQ(Main().Browser()->MarkedData(), U(c.Marked));
    }
    // From the keyboard: Ctrl+Enter on the line.
    Main().Browser()->close();
    QTextCursor cursor(Main().Memo1->document()->findBlockByNumber(1));
    Main().Memo1->setTextCursor(cursor);
    QTest::keyClick(Main().Memo1, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(Main().Browser()->isVisible());
    EXPECT_EQ(Main().Browser()->MarkedData(), U("Q"));
    // The default reading loaded the file: the browser read it again.
    EXPECT_TRUE(Main().Browser()->NoteText().contains(U("読み直して")));
    // A line rewritten since is no finding's.
    Main().OpenFile(Write("other.pdf", GoodPdf()));
    EXPECT_EQ(Main().Browser(), nullptr);
    EXPECT_FALSE(Main().FindingJump().JumpFrom(1));
}

TEST_F(FindingJumpTest, TheMenuItemOpensTheBrowserOnlyForALoadedFile) {
    EXPECT_EQ(Main().OpenBrowser(), nullptr);
    Main().OpenFile(Write("sample.pdf", GoodPdf()));
    Main().N11->trigger();
    ASSERT_NE(Main().Browser(), nullptr);
    EXPECT_EQ(Main().N11->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    EXPECT_TRUE(Main().Browser()->GoToPath(U("trailer/Root/Pages/Kids/0")));
    EXPECT_TRUE(Main().Browser()->GoToPath(U("page/1")));
    EXPECT_TRUE(Main().Browser()->PlaceText().contains(U("ファイルのオフセット")));
}

}  // namespace
}  // namespace lumerra::test
