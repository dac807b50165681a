#include <gtest/gtest.h>

#include "pdf/DefaultAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

TEST(AnalystSmoke, LoadsSimpleDocument) {
    TempFile file(PdfBuilder::SimpleDocument({"BT ET", "q Q"}).Build());
    TDefaultAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    EXPECT_EQ(analyst.PageCount(), 2);
    TIDList pages;
    analyst.GetPageList(&pages);
    EXPECT_EQ(pages, (TIDList{3, 5}));
    EXPECT_EQ(analyst.MediaBox(), (TBox{0, 0, 612, 792}));
}
