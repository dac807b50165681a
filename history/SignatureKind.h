// What a signature is (approval, certification, usage rights, document
// timestamp) and the permissions it puts in force: the certification's
// DocMDP level and the fields its lock or FieldMDP reference locks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/ObjectRoles.h"

namespace lumerra {

class TRevisionView;

enum class TSignatureKind : uint8_t { Approval, Certification, UsageRights, DocumentTimestamp };

struct TFieldLock {
    enum class TAction : uint8_t { All, Include, Exclude };
    TAction Action = TAction::All;
    std::vector<std::string> Fields;  // full names, for Include and Exclude
    // A lock may also restrict the whole document as DocMDP does.
    std::optional<int32_t> P;
    friend bool operator==(const TFieldLock&, const TFieldLock&) = default;
};

struct TSignaturePermissions {
    std::optional<int32_t> DocMdp;  // 1, 2 or 3, for a certification
    std::vector<TFieldLock> FieldMdp;
    bool Ur3 = false;  // the catalog's /Perms /UR3 names it
};

struct TSignatureDescription {
    TSignatureKind Kind = TSignatureKind::Approval;
    std::string SubFilter;  // empty when absent
    TSignaturePermissions Permissions;
    std::string Field;  // the full name of the field it signs; empty when none
};

// Signature Object (its dictionary, or its field's when written in place)
// as revision R (from 0) left it; Roles are that revision's.
TSignatureDescription DescribeSignature(TRevisionView& View, size_t R, int32_t Object, const TObjectRoles& Roles);

// Whether Locks lock field Name (a full name; a lock on "a" holds for "a.b").
bool FieldLocked(const std::vector<TFieldLock>& Locks, const std::string& Name);

}  // namespace lumerra
