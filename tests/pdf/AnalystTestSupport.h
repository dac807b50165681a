// Helpers shared by the analyser tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "pdf/DefaultAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/PdfBuilder.h"

namespace lumerra::test {

// A document written to a temporary file and loaded.
struct LoadedDocument {
    explicit LoadedDocument(const std::string& Bytes) : File(Bytes) { Analyst.LoadFromFile(File.Path()); }
    explicit LoadedDocument(const PdfBuilder& Builder) : LoadedDocument(Builder.Build()) {}
    TempFile File;
    TDefaultAnalyst Analyst;  // declared after File: closed before the file goes
};

// Loads Bytes and returns the message that loading raised ("" when it
// loaded): a refusal (Exception) or damage (EDamagedInput). Another exception
// type fails the test.
inline std::string LoadMessage(TPDFAnalyst& Analyst, const std::string& Bytes) {
    TempFile file(Bytes);
    try {
        Analyst.LoadFromFile(file.Path());
    } catch (const Exception& e) {
        EXPECT_TRUE(typeid(e) == typeid(Exception) || typeid(e) == typeid(EDamagedInput))
            << "raised " << typeid(e).name() << ": " << e.Message();
        return e.Message();
    }
    return "";
}

inline std::string LoadMessage(const std::string& Bytes) {
    TDefaultAnalyst analyst;
    return LoadMessage(analyst, Bytes);
}

inline const std::string FileEnds = "ファイルが途中で終わっています。";

// Loads the file at Path and returns the message and context of the
// EDamagedInput that loading raised ("" when it loaded).
inline std::string DamageOnLoad(TPDFAnalyst& Analyst, const std::string& Path) {
    try {
        Analyst.LoadFromFile(Path);
    } catch (const EDamagedInput& e) {
        return e.Detailed();
    }
    return "";
}

// The state after Fail: empty but marked failed.
inline void ExpectFailedState(const TPDFAnalyst& Analyst) {
    EXPECT_TRUE(Analyst.Failed());
    EXPECT_FALSE(Analyst.Loaded());
    EXPECT_EQ(Analyst.Stream(), nullptr);
    EXPECT_EQ(Analyst.ObjectCount(), -1);
    EXPECT_TRUE(Analyst.ObjectOffsets().empty());
    EXPECT_TRUE(Analyst.FreeObjects().empty());
    EXPECT_EQ(Analyst.RootID(), -1);
    EXPECT_EQ(Analyst.InfoID(), -1);
    EXPECT_EQ(Analyst.FirstPagesID(), -1);
    EXPECT_EQ(Analyst.PageCount(), -1);
    EXPECT_TRUE(Analyst.Version().empty());
    EXPECT_TRUE(Analyst.FileName().empty());
    EXPECT_TRUE(Analyst.XrefOffsets().empty());
    EXPECT_FALSE(Analyst.Encrypted());
    EXPECT_EQ(Analyst.MediaBox(), TBox{});
}

// Replaces the first occurrence of From in Bytes (which must be there).
inline std::string Replace(std::string Bytes, const std::string& From, const std::string& To) {
    const size_t at = Bytes.find(From);
    EXPECT_NE(at, std::string::npos) << From;
    if (at != std::string::npos) Bytes.replace(at, From.size(), To);
    return Bytes;
}

// Replaces the last occurrence instead.
inline std::string ReplaceLast(std::string Bytes, const std::string& From, const std::string& To) {
    const size_t at = Bytes.rfind(From);
    EXPECT_NE(at, std::string::npos) << From;
    if (at != std::string::npos) Bytes.replace(at, From.size(), To);
    return Bytes;
}

}  // namespace lumerra::test
