#include "decoder/PDFLumerra.h"

namespace lumerra {

TPDFLumerra::TPDFLumerra(TPDFAnalyst* Analyst) : FAnalyst(Analyst) {}
TPDFLumerra::~TPDFLumerra() = default;

}  // namespace lumerra
