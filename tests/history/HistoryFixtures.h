// The history of a document built in code, as the history layer reads it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/DocumentHistory.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/SignedDocument.h"

namespace lumerra::test {

// Loads Bytes by extended reading and reads its history.
inline TDocumentHistory HistoryOf(const std::string& Bytes) {
    TempFile file(Bytes);
    TExtendedAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    return ReadDocumentHistory(analyst);
}

}  // namespace lumerra::test
