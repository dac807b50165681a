#include "shell/DialogSizes.h"

#include <algorithm>
#include <array>

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListView>
#include <QLocale>
#include <QMimeDatabase>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>

#include "shell/ToolkitLanguage.h"

namespace lumerra {

namespace {

// Room for a window manager's icon and its three buttons beside the title.
constexpr int TitleBarButtons = 140;
// Title fonts are often bold: a little more than the plain text's width.
constexpr double BoldTitleFactor = 1.15;
// A file name of this many average characters shows whole.
constexpr int NameColumnCharacters = 28;
// Padding of a cell and of a side-bar entry (beside its icon).
constexpr int CellPadding = 24;

int TextWidth(const QFontMetrics& Metrics, const QString& Text) {
    return Metrics.horizontalAdvance(Text) + CellPadding;
}

// The widest of the texts a column shows: its heading and what its cells
// typically hold.
int ColumnWidth(const QTreeView& View, int Column, const QStringList& Samples) {
    const QFontMetrics metrics(View.font());
    int width = View.header()->sectionSizeHint(Column);
    for (const QString& sample : Samples) width = std::max(width, TextWidth(metrics, sample));
    return width;
}

// The type column's texts for the files these dialogs show, in the
// desktop's language as the dialog gives them.
QStringList FileTypeNames() {
    const QMimeDatabase types;
    return {types.mimeTypeForName(QStringLiteral("application/pdf")).comment(),
            types.mimeTypeForName(QStringLiteral("text/plain")).comment(),
            FolderTypeName()};
}

int SideBarWidth(const QListView& SideBar) {
    return SideBar.sizeHintForColumn(0) + 2 * SideBar.frameWidth() +
           SideBar.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + CellPadding;
}

}  // namespace

int TitleBarWidth(const QString& Title) {
    const QFontMetrics metrics(QApplication::font());
    return static_cast<int>(metrics.horizontalAdvance(Title) * BoldTitleFactor) + TitleBarButtons;
}

void FitFileDialog(QFileDialog& Dialog) {
    auto* view = Dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* sideBar = Dialog.findChild<QListView*>(QStringLiteral("sidebar"));
    auto* splitter = Dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    if (view == nullptr || sideBar == nullptr || splitter == nullptr) return;

    const QLocale locale = QLocale::system();
    const QString latest = locale.toString(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)), QLocale::ShortFormat);
    const QFontMetrics metrics(view->font());
    const std::array<int, 4> columns = {
        metrics.averageCharWidth() * NameColumnCharacters,
        ColumnWidth(*view, 1, {locale.formattedDataSize(999'999'999)}),
        ColumnWidth(*view, 2, FileTypeNames()),
        ColumnWidth(*view, 3, {latest}),
    };
    // Every column keeps its width; on a narrow screen the list scrolls
    // rather than squeezing the names away.
    QHeaderView& header = *view->header();
    header.setStretchLastSection(true);
    for (int column = 0; column < 4; ++column) {
        header.setSectionResizeMode(column, QHeaderView::Interactive);
        header.resizeSection(column, columns[static_cast<size_t>(column)]);
    }
    int listWidth = 2 * view->frameWidth() + view->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (const int width : columns) listWidth += width;
    const int sideWidth = SideBarWidth(*sideBar);
    splitter->setSizes({sideWidth, listWidth});

    // The rest of the dialog around the splitter: margins and its handle.
    const int chrome = Dialog.sizeHint().width() - splitter->sizeHint().width() + splitter->handleWidth();
    int width = std::max(Dialog.sizeHint().width(), sideWidth + listWidth + chrome);
    if (const QScreen* screen = Dialog.screen()) width = std::min(width, screen->availableGeometry().width());
    Dialog.resize(width, std::max(Dialog.sizeHint().height(), Dialog.height()));
}

}  // namespace lumerra
