#include "history/SignatureKind.h"

#include <algorithm>

#include "history/RevisionView.h"
#include "pdf/DocInfo.h"

namespace lumerra {

namespace {

// A certification that names no level allows form filling.
constexpr int32_t DefaultDocMdp = 2;

std::optional<int32_t> LevelOf(const TValue* P) {
    if (P == nullptr || !P->Is(TValue::TKind::Integer) || P->AsInteger() < 1 || P->AsInteger() > 3) return std::nullopt;
    return static_cast<int32_t>(P->AsInteger());
}

TFieldLock LockOf(TRevisionView& View, size_t R, const TValue& Dict) {
    TFieldLock lock;
    const TValuePtr action = View.Get(R, Dict, "Action");
    if (action->IsName("Include")) lock.Action = TFieldLock::TAction::Include;
    if (action->IsName("Exclude")) lock.Action = TFieldLock::TAction::Exclude;
    const TValuePtr fields = View.Get(R, Dict, "Fields");
    if (fields->Is(TValue::TKind::Array))
        for (const TValue& name : fields->Items())
            if (name.Is(TValue::TKind::String)) lock.Fields.push_back(TextStringToUtf8(name.Text()));
    lock.P = LevelOf(View.Get(R, Dict, "P").get());
    return lock;
}

void AddLock(std::vector<TFieldLock>& Locks, TFieldLock Lock) {
    if (std::find(Locks.begin(), Locks.end(), Lock) == Locks.end()) Locks.push_back(std::move(Lock));
}

bool Names(const std::string& Lock, const std::string& Field) {
    return Field == Lock || (Field.size() > Lock.size() && Field.compare(0, Lock.size(), Lock) == 0 &&
                             Field[Lock.size()] == '.');
}

int32_t ReferenceNumber(const TValue* V) {
    return V != nullptr && V->Is(TValue::TKind::Reference) ? V->AsReference().Number : 0;
}

}  // namespace

TSignatureDescription DescribeSignature(TRevisionView& View, size_t R, int32_t Object, const TObjectRoles& Roles) {
    TSignatureDescription description;
    TValuePtr signature = View.Object(R, Object);
    int32_t fieldObject = 0;
    if (const TValue* v = signature->Find("V"); v != nullptr && v->IsDictionary()) {
        fieldObject = Object;
        signature = std::make_shared<const TValue>(*v);
    }
    const TObjectRole role = RoleOf(Roles, Object);
    if (role.Kind == TObjectRole::TKind::FieldValue || role.Kind == TObjectRole::TKind::Field)
        description.Field = role.Field;
    if (const TValuePtr subFilter = View.Get(R, *signature, "SubFilter"); subFilter->Is(TValue::TKind::Name))
        description.SubFilter = subFilter->Text();

    // The references: what the signature says it locks or restricts.
    std::optional<int32_t> docMdp;
    const TValuePtr references = View.Get(R, *signature, "Reference");
    if (references->Is(TValue::TKind::Array)) {
        for (const TValue& item : references->Items()) {
            const TValuePtr reference = View.Resolve(R, item);
            const TValuePtr method = View.Get(R, *reference, "TransformMethod");
            const TValuePtr params = View.Get(R, *reference, "TransformParams");
            if (method->IsName("DocMDP")) docMdp = LevelOf(View.Get(R, *params, "P").get()).value_or(DefaultDocMdp);
            if (method->IsName("FieldMDP") && params->IsDictionary())
                AddLock(description.Permissions.FieldMdp, LockOf(View, R, *params));
        }
    }
    // The signed field's /Lock.
    for (const auto& [number, fieldRole] : Roles) {
        if (fieldRole.Kind != TObjectRole::TKind::Field || description.Field.empty() || fieldRole.Field != description.Field)
            continue;
        if (fieldObject != 0 && number != fieldObject) continue;
        const TValuePtr field = View.Object(R, number);
        if (const TValuePtr lock = View.Get(R, *field, "Lock"); lock->IsDictionary())
            AddLock(description.Permissions.FieldMdp, LockOf(View, R, *lock));
    }

    TValuePtr perms;
    if (const TValue* root = View.TrailerKey(R, "Root"); root != nullptr)
        perms = View.Get(R, *View.Resolve(R, *root), "Perms");
    const bool certifies = perms && ReferenceNumber(perms->Find("DocMDP")) == Object;
    description.Permissions.Ur3 = perms && ReferenceNumber(perms->Find("UR3")) == Object;
    if (certifies) description.Permissions.DocMdp = docMdp.value_or(DefaultDocMdp);

    const TValuePtr type = View.Get(R, *signature, "Type");
    if (description.SubFilter == "ETSI.RFC3161" || type->IsName("DocTimeStamp"))
        description.Kind = TSignatureKind::DocumentTimestamp;
    else if (certifies)
        description.Kind = TSignatureKind::Certification;
    else if (description.Permissions.Ur3)
        description.Kind = TSignatureKind::UsageRights;
    return description;
}

bool FieldLocked(const std::vector<TFieldLock>& Locks, const std::string& Name) {
    for (const TFieldLock& lock : Locks) {
        const bool listed = std::any_of(lock.Fields.begin(), lock.Fields.end(),
                                        [&](const std::string& Field) { return Names(Field, Name); });
        if (lock.Action == TFieldLock::TAction::All || (lock.Action == TFieldLock::TAction::Include && listed) ||
            (lock.Action == TFieldLock::TAction::Exclude && !listed))
            return true;
    }
    return false;
}

}  // namespace lumerra
