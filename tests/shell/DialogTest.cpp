// The file dialogs over QFileDialog: configuration, the accepted name kept
// for next time, the Help button, and a real modal run.
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QListView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "ShellTestSupport.h"
#include "shell/DialogEx.h"
#include "shell/ScopeExit.h"

namespace lumerra::test {
namespace {

// The filter becomes Qt's name filters; the save dialog adds its default
// extension and the overwrite question, the open dialog wants an existing file.
TEST(DialogTest, TheDialogsAreConfiguredFromTheirProperties) {
    TSaveDialogEx save(nullptr);
    save.Filter = QStringLiteral("PDF - Portable Document Format|*.pdf|Text|*.txt;*.log");
    EXPECT_EQ(save.NameFilters(), QStringList({QStringLiteral("PDF - Portable Document Format (*.pdf)"),
                                               QStringLiteral("Text (*.txt *.log)")}));
    save.Filter = QStringLiteral("TXT - Text File|*.txt");
    save.DefaultExt = QStringLiteral(".txt");
    save.Options |= ofOverwritePrompt;
    save.FileName = QStringLiteral("/tmp/earlier.txt");
    const auto shownSave = save.CreateDialog();
    EXPECT_EQ(shownSave->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(shownSave->defaultSuffix(), QStringLiteral("txt"));
    EXPECT_FALSE(shownSave->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(shownSave->nameFilters(), QStringList({QStringLiteral("TXT - Text File (*.txt)")}));
    EXPECT_EQ(shownSave->selectedFiles().value(0), QStringLiteral("/tmp/earlier.txt"));

    TOpenDialogEx open(nullptr);
    const auto shownOpen = open.CreateDialog();
    EXPECT_EQ(shownOpen->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(shownOpen->fileMode(), QFileDialog::ExistingFile);
}

TEST(DialogTest, TheHelpButtonAppearsOnlyWhenAskedForAndCallsOnHelp) {
    TOpenDialogEx dialog(nullptr);
    EXPECT_EQ(dialog.CreateDialog()->findChild<QPushButton*>(QStringLiteral("HelpButton")), nullptr);
    dialog.DoHelp();  // nothing assigned: nothing happens

    TOpenDialogEx* sender = nullptr;
    dialog.OnHelp = [&](TOpenDialogEx& Sender) { sender = &Sender; };
    dialog.Options |= ofShowHelp;
    const auto shown = dialog.CreateDialog();
    auto* help = shown->findChild<QPushButton*>(QStringLiteral("HelpButton"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->text(), QString::fromUtf8("ヘルプ(&H)"));
    help->click();
    EXPECT_EQ(sender, &dialog);
}

// Runs Action on the file dialog once it is up.
void WhenDialogUp(std::function<void(QFileDialog&)> Action) {
    QTimer::singleShot(0, [Action] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        Action(*dialog);
    });
}

// Execute shows the dialog centred over its owner and keeps the accepted
// name, which the next one starts from.
TEST(DialogTest, ExecuteShowsTheDialogCentredAndKeepsTheAcceptedName) {
    TempFile folder("x", "existing.txt");
    QWidget owner;
    owner.setGeometry(300, 250, 200, 150);
    owner.show();
    TSaveDialogEx dialog(&owner);
    dialog.DefaultExt = QStringLiteral(".txt");
    bool shown = false;
    dialog.OnShow = [&](TOpenDialogEx&) { shown = true; };
    QPoint offset(-1000, -1000);
    WhenDialogUp([&](QFileDialog& Shown) {
        offset = Shown.frameGeometry().center() - owner.frameGeometry().center();
        Shown.selectFile(QString::fromStdString(folder.Sibling("report")));
        QMetaObject::invokeMethod(&Shown, "accept", Qt::DirectConnection);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_TRUE(shown);
    EXPECT_LE(offset.manhattanLength(), 2);
    EXPECT_EQ(dialog.FileName, QString::fromStdString(folder.Sibling("report.txt")));

    WhenDialogUp([&](QFileDialog& Shown) {
        EXPECT_EQ(Shown.selectedFiles().value(0), dialog.FileName);
        Shown.reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, QString::fromStdString(folder.Sibling("report.txt")));
}

TEST(DialogTest, TheSideBarAndTheColumnsShowTheirTextsWhole) {
    TempFile folder("x", "notes.txt");
    QDir().mkpath(QString::fromStdString(folder.Sibling("folder")));
    // A large font, as Japanese desktops have: the toolkit's own sizes
    // would clip.
    const QFont previous = QApplication::font();
    QFont large = previous;
    large.setPixelSize(24);
    QApplication::setFont(large);
    const TScopeExit restoreFont([&previous] { QApplication::setFont(previous); });
    TSaveDialogEx dialog(nullptr);
    dialog.Filter = QStringLiteral("TXT - Text File|*.txt");
    const auto shown = dialog.CreateDialog();
    shown->setDirectory(QString::fromStdString(folder.Folder()));
    shown->show();
    auto* view = shown->findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* sideBar = shown->findChild<QListView*>(QStringLiteral("sidebar"));
    ASSERT_TRUE(view != nullptr && sideBar != nullptr);
    const QModelIndex root = view->rootIndex();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount(root) == 2; }, 5000));
    QCoreApplication::processEvents();

    const QFontMetrics metrics(view->font());
    for (int column = 0; column < 4; ++column) {
        const QString heading = view->model()->headerData(column, Qt::Horizontal).toString();
        EXPECT_GE(view->header()->sectionSize(column), metrics.horizontalAdvance(heading)) << heading.toStdString();
        for (int row = 0; row < 2; ++row) {
            const QString text = view->model()->index(row, column, root).data().toString();
            EXPECT_GT(view->header()->sectionSize(column), metrics.horizontalAdvance(text) + 8) << text.toStdString();
        }
    }
    for (int row = 0; row < sideBar->model()->rowCount(); ++row)
        EXPECT_GE(sideBar->viewport()->width(), sideBar->sizeHintForIndex(sideBar->model()->index(row, 0)).width());
}

TEST(DialogTest, AnExistingFileIsAcceptedOnlyAfterTheOverwriteQuestion) {
    TempFile folder("x", "existing.txt");
    TSaveDialogEx dialog(nullptr);
    dialog.Options |= ofOverwritePrompt;
    bool asked = false;
    bool stillOpen = false;
    WhenDialogUp([&](QFileDialog& Shown) {
        // Answer "No" to the question; the dialog stays; then give up.
        QTimer::singleShot(0, [&] {
            auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(question, nullptr);
            asked = true;
            question->button(QMessageBox::No)->click();
        });
        Shown.selectFile(QString::fromStdString(folder.Path()));
        QMetaObject::invokeMethod(&Shown, "accept", Qt::DirectConnection);
        stillOpen = Shown.isVisible();
        Shown.reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(asked);
    EXPECT_TRUE(stillOpen);
}

}  // namespace
}  // namespace lumerra::test
