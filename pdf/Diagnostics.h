// The records of what reading a document repaired or could not read, made
// from what the analyser and the stream reader found.
#pragma once

#include <cstdint>
#include <vector>

#include "common/Diagnostic.h"
#include "pdf/LateRepair.h"
#include "pdf/StreamData.h"

namespace lumerra {

class TPDFAnalyst;

// An object whose table offset holds another object.
TDiagnostic MisplacedDiagnostic(const TMisplacedObject& Object);
TDiagnostics MisplacedDiagnostics(const std::vector<TMisplacedObject>& Objects);

// What the load of Analyst repaired, in the order it was met: the object
// the table was rebuilt for, then the rebuilt table.
TDiagnostics LoadDiagnostics(const TPDFAnalyst& Analyst);

// The stream Object of page Page whose data is damaged or has no end.
TDiagnostic StreamDamageDiagnostic(int32_t Page, int32_t Object, const TStreamDamage& Damage);

}  // namespace lumerra
