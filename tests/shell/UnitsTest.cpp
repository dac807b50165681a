// Small units of the shell: the standard error box's texts, the Escape key
// watch, and the allocation accounting's bookkeeping.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ShellTestSupport.h"
#include "common/OutputFile.h"
#include "shell/EscapeKey.h"
#include "shell/MemCheck.h"

namespace lumerra::test {
namespace {

TEST(StandardErrorBoxTest, AppendsAPeriodAfterCharactersThatSortAfterIt) {
    const struct {
        const char* Text;
        const char* Shown;
    } cases[] = {
        {"使用中です。", "使用中です。."}, {"cannot read", "cannot read."}, {"done.", "done."},
        {"stop!", "stop!"},           {"(x)", "(x)"},                 {"", ""},
        {"絵\U0001F600", "絵\U0001F600."},
    };
    for (const auto& c : cases) EXPECT_EQ(StandardErrorText(QString::fromUtf8(c.Text)), QString::fromUtf8(c.Shown));
}

// The standard error box (a command that throws; one that does not shows
// nothing) and the leak warning, under their captions.
TEST(StandardErrorBoxTest, EachBoxHasItsKindCaptionAndText) {
    const struct {
        std::function<void()> Show;
        TMessageBoxKind Kind;
        const char* Caption;
        const char* Text;
    } cases[] = {
        {[] {
             RunCommand(nullptr, [] { throw Exception("ページ番号の指定が不正です。"); });
             RunCommand(nullptr, [] {});
         },
         TMessageBoxKind::Error, "PDF Lumerra", "ページ番号の指定が不正です。."},
        {[] { ShowLeakWarning(3); }, TMessageBoxKind::Warning, "メモリーリークエラー", "3 回メモリーを解放し忘れています"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        TMessageBoxRecorder recorder;
        c.Show();
        ASSERT_EQ(recorder.Boxes.size(), 1u);
        EXPECT_EQ(recorder.Boxes[0].Kind, c.Kind);
        EXPECT_EQ(recorder.Boxes[0].Caption, QString::fromUtf8(c.Caption));
        EXPECT_EQ(recorder.Boxes[0].Text, QString::fromUtf8(c.Text));
    }
}

TEST(StandardErrorBoxTest, FileSystemErrorsAddTheirReasonInJapanese) {
    const std::string cannotWrite = "書き込みに失敗しました。";
    const struct {
        int Error;
        const char* Reason;  // the box's second line
    } reasons[] = {
        {ENOSPC, "ディスクの空き容量が足りません。"},
        {EROFS, "読み込み専用のファイルシステムです。"},
        {EACCES, "アクセスが拒否されました。"},
        {EFBIG, "ファイルが大きすぎます。"},
        {ENOENT, "保存先のフォルダが見つかりません。"},
        {EXDEV, "システムエラーが発生しました (エラー番号 18)。"},
    };
    for (const auto& row : reasons) {
        const QString expected = QString::fromStdString(cannotWrite + "\n") + QString::fromUtf8(row.Reason);
        EXPECT_EQ(ErrorBoxMessage(EOutputWriteError(cannotWrite, std::strerror(row.Error), row.Error)), expected);
    }
    EXPECT_EQ(ErrorBoxMessage(EOutputRefused("レポートを作成できません。", "/x: Read-only file system", EROFS)),
              QString::fromUtf8("レポートを作成できません。\n読み込み専用のファイルシステムです。"));
    // The program's own refusals and every other error: the message alone.
    EXPECT_EQ(ErrorBoxMessage(EOutputRefused("このファイルは使用中です。別名で保存してください。", "read-only")),
              QString::fromUtf8("このファイルは使用中です。別名で保存してください。"));
    EXPECT_EQ(ErrorBoxMessage(Exception("対応できない形式です。", "object 12")), QString::fromUtf8("対応できない形式です。"));
}

void SendKey(QObject* Receiver, QEvent::Type Type, int Key, bool AutoRepeat = false) {
    QKeyEvent event(Type, Key, Qt::NoModifier, QString(), AutoRepeat);
    QCoreApplication::sendEvent(Receiver, &event);
}

TEST(EscapeKeyTest, APressIsSeenOnceAHeldKeyEveryTimeAndResetForgetsThem) {
    TEscapeKeyFilter watch;
    QWidget anywhere;
    EXPECT_FALSE(watch.Query());
    SendKey(&anywhere, QEvent::KeyPress, Qt::Key_Escape);
    SendKey(&anywhere, QEvent::KeyRelease, Qt::Key_Escape);
    EXPECT_TRUE(watch.Query());
    EXPECT_FALSE(watch.Query());

    SendKey(&anywhere, QEvent::KeyPress, Qt::Key_Escape);
    SendKey(&anywhere, QEvent::KeyRelease, Qt::Key_Escape, true);  // auto-repeat: still held
    EXPECT_TRUE(watch.Query());
    EXPECT_TRUE(watch.Query());
    SendKey(&anywhere, QEvent::KeyRelease, Qt::Key_Escape);
    EXPECT_FALSE(watch.Query());

    SendKey(&anywhere, QEvent::KeyPress, Qt::Key_A);
    EXPECT_FALSE(watch.Query());

    // Reset forgets earlier presses.
    SendKey(&anywhere, QEvent::KeyPress, Qt::Key_Escape);
    SendKey(&anywhere, QEvent::KeyRelease, Qt::Key_Escape);
    watch.Reset();
    EXPECT_FALSE(watch.Query());
}

// An address inside this executable's machine code.
const void* ProgramAddress() { return reinterpret_cast<const void*>(&ProgramAddress); }

TEST(MemCheckTest, CountsBlocksOfProgramCodeWhileOn) {
    MemCheck::Start();
    void* own = MemCheck::CountingGetMem(10, ProgramAddress());
    void* foreign = MemCheck::CountingGetMem(10, nullptr);
    void* library = MemCheck::CountingGetMem(10, reinterpret_cast<const void*>(&::free));
    EXPECT_TRUE(MemCheck::IsCounted(own));
    EXPECT_FALSE(MemCheck::IsCounted(foreign));
    EXPECT_FALSE(MemCheck::IsCounted(library));
    EXPECT_EQ(MemCheck::LiveBlockCount(), 1);
    MemCheck::CountingFreeMem(foreign);
    MemCheck::CountingFreeMem(library);
    EXPECT_EQ(MemCheck::LiveBlockCount(), 1);
    MemCheck::CountingFreeMem(own);
    EXPECT_EQ(MemCheck::Stop(), 0);
    MemCheck::CountingFreeMem(nullptr);
}

TEST(MemCheckTest, AMovedBlockKeepsItsCountAndTheBlocksAreUsable) {
    MemCheck::Start();
    auto* block = static_cast<char*>(MemCheck::CountingGetMem(4, ProgramAddress()));
    std::memcpy(block, "abc", 4);
    block = static_cast<char*>(MemCheck::CountingReallocMem(block, 1 << 20, ProgramAddress()));
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(block, "abc");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
    EXPECT_EQ(MemCheck::LiveBlockCount(), 1);
    void* fresh = MemCheck::CountingReallocMem(nullptr, 8, ProgramAddress());
    EXPECT_EQ(MemCheck::LiveBlockCount(), 2);
    EXPECT_EQ(MemCheck::CountingReallocMem(fresh, 0, ProgramAddress()), nullptr);
    EXPECT_EQ(MemCheck::LiveBlockCount(), 1);
    EXPECT_EQ(MemCheck::Stop(), 1);
    MemCheck::CountingFreeMem(block);
}

TEST(MemCheckTest, NothingCountsWhileOffOrFromAnEarlierSession) {
    void* before = MemCheck::CountingGetMem(8, ProgramAddress());
    MemCheck::Start();
    void* earlier = MemCheck::CountingGetMem(8, ProgramAddress());
    MemCheck::Stop();
    MemCheck::Start();
    MemCheck::CountingFreeMem(before);
    MemCheck::CountingFreeMem(earlier);
    EXPECT_EQ(MemCheck::Stop(), 0);
}

}  // namespace
}  // namespace lumerra::test
