// One loaded document, many readers: what every reader of a file shares and
// what each keeps to itself.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "pdf/DefaultAnalyst.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/ObjectReader.h"
#include "pdf/ObjectStreamCache.h"
#include "support/PdfBuilder.h"

namespace lumerra::test {
namespace {

PdfBuilder TwoPages(PdfBuilder::Options Options = {}) {
    PdfBuilder b(std::move(Options));
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 612 792] >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /Resources 5 0 R >>");
    b.Set(4, "<< /Type /Page /Parent 2 0 R /Resources 6 0 R >>");
    b.Set(5, "<< /Font << /F1 7 0 R >> >>");
    b.Set(6, "<< /Font << /F2 7 0 R >> >>");
    b.Set(7, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    return b;
}

TEST(SharedDocument, ReadersShareOneDocumentAndReadWithTheirOwnPosition) {
    PdfBuilder builder = TwoPages();
    const TempFile file(builder.Build());
    for (const TReading reading : {TReading::Default, TReading::Extended}) {
        SCOPED_TRACE(reading == TReading::Extended ? "extended" : "default");
        const std::unique_ptr<TPDFAnalyst> analyst = NewAnalyst(reading);
        ASSERT_EQ(analyst->Reading(), reading);
        analyst->LoadFromFile(file.Path());
        analyst->Stream()->SetPosition(11);

        const std::unique_ptr<TPDFAnalyst> reader = analyst->Reader();
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->Reading(), reading);
        // The table is the loader's, not a copy of it.
        EXPECT_EQ(&reader->ObjectOffsets(), &analyst->ObjectOffsets());
        EXPECT_EQ(&reader->XrefOffsets(), &analyst->XrefOffsets());
        // A read position of its own.
        ASSERT_NE(reader->Stream(), analyst->Stream());
        reader->Stream()->SetPosition(0);
        TIDList first, second;
        reader->GetPageList(&second);
        EXPECT_EQ(analyst->Stream()->Position(), 11);
        analyst->GetPageList(&first);
        EXPECT_EQ(first, (TIDList{3, 4}));
        EXPECT_EQ(second, first);
        EXPECT_EQ(reader->MediaBox(), (TBox{0, 0, 612, 792}));

        // Clearing the loader leaves what its readers share alone.
        analyst->Clear();
        EXPECT_EQ(reader->ObjectCount(), 8);
        EXPECT_TRUE(reader->Loaded());
        EXPECT_EQ(reader->Locate(7).Offset(), static_cast<int64_t>(builder.Offsets().at(7)));
    }
}

// Object 7 is not read by the load; its table entry gives object 5's offset.
// Readers on several threads meet it at once: one pass over the file finds
// it for all of them, and it is told once.
TEST(SharedDocument, AnObjectMisplacedAfterTheLoadIsFoundOnceForEveryThread) {
    PdfBuilder builder = TwoPages();
    std::string bytes = builder.Build();
    const std::string entry = builder.Entry(static_cast<long long>(builder.Offsets().at(7)));
    bytes.replace(bytes.find(entry), entry.size(), builder.Entry(static_cast<long long>(builder.Offsets().at(5))));
    const TempFile file(bytes);
    TExtendedAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    ASSERT_FALSE(analyst.Repaired());
    ASSERT_TRUE(analyst.MisplacedAfterLoad().empty());

    constexpr int Threads = 4;
    std::vector<std::string> fonts(Threads);
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&analyst, &fonts, t] {
            const std::unique_ptr<TPDFAnalyst> reader = analyst.Reader();
            TObjectReader objects(*reader);
            const TValuePtr font = objects.Get(objects.Get(objects.Object(6), "Font"), "F2");
            const TValue* name = font->Find("BaseFont");
            fonts[static_cast<size_t>(t)] = name != nullptr && name->Is(TValue::TKind::Name) ? name->Text() : "(none)";
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (const std::string& font : fonts) EXPECT_EQ(font, "Helvetica");
    const std::vector<TMisplacedObject> misplaced = analyst.MisplacedAfterLoad();
    ASSERT_EQ(misplaced.size(), 1u);
    EXPECT_EQ(misplaced[0].Number, 7);
    EXPECT_EQ(misplaced[0].Offset, static_cast<int64_t>(builder.Offsets().at(5)));
    EXPECT_EQ(misplaced[0].Found, 5);
}

// A file read from memory with its objects in object streams: readers on
// other threads view the loader's bytes instead of copying them, share each
// decoded object stream, and read on once the loader is gone.
TEST(SharedDocument, ReadersShareTheBytesInMemoryAndTheDecodedObjectStreams) {
    const std::string bytes = TwoPages({.Header = "%PDF-1.5\n", .XrefStreams = true, .ObjectStreams = true}).Build();
    auto memory = std::make_unique<TMemoryStream>();
    memory->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    auto analyst = std::make_unique<TExtendedAnalyst>();
    analyst->LoadFromStream(std::move(memory), "memory.pdf");
    const TObjectLocation font = analyst->Locate(7);
    ASSERT_EQ(font.Kind(), TObjectLocation::TKind::InObjectStream);

    constexpr int Threads = 4;
    std::vector<std::unique_ptr<TPDFAnalyst>> readers;
    for (int t = 0; t < Threads; ++t) readers.push_back(analyst->Reader());
    const auto* loaderBytes = dynamic_cast<const TMemoryView*>(analyst->Stream());
    ASSERT_NE(loaderBytes, nullptr);
    for (const auto& reader : readers) {
        const auto* view = dynamic_cast<const TMemoryView*>(reader->Stream());
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->Data(), loaderBytes->Data());
    }
    analyst.reset();

    std::vector<std::string> fonts(Threads);
    std::vector<const TDecodedObjectStream*> decoded(Threads);
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&, t] {
            TObjectReader objects(*readers[static_cast<size_t>(t)]);
            const TValue* name = objects.Object(7)->Find("BaseFont");
            fonts[static_cast<size_t>(t)] = name != nullptr && name->Is(TValue::TKind::Name) ? name->Text() : "(none)";
            decoded[static_cast<size_t>(t)] = readers[static_cast<size_t>(t)]->DecodedObjectStream(font.Stream()).get();
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < Threads; ++t) {
        EXPECT_EQ(fonts[static_cast<size_t>(t)], "Helvetica");
        EXPECT_NE(decoded[static_cast<size_t>(t)], nullptr);
        EXPECT_EQ(decoded[static_cast<size_t>(t)], decoded[0]);
    }
}

}  // namespace
}  // namespace lumerra::test
