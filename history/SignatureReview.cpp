#include "history/SignatureReview.h"

#include <algorithm>
#include <optional>

#include "history/RevisionView.h"
#include "pdf/ObjectReader.h"

namespace lumerra {

namespace {

// Each revision's roles, read once and only when asked for.
class TRolesByRevision {
public:
    explicit TRolesByRevision(TRevisionView& View) : FView(View), FRoles(View.Count()) {}
    const TObjectRoles& operator[](size_t R) {
        if (!FRoles[R]) FRoles[R] = ObjectRolesOf(FView, R);
        return *FRoles[R];
    }

private:
    TRevisionView& FView;
    std::vector<std::optional<TObjectRoles>> FRoles;
};

// The signature's /Contents bytes; empty when it has none.
std::string ContentsOf(TRevisionView& View, size_t R, int32_t Object) {
    TValuePtr signature = View.Object(R, Object);
    if (const TValue* v = signature->Find("V"); v != nullptr && v->IsDictionary()) signature = std::make_shared<const TValue>(*v);
    const TValuePtr contents = View.Get(R, *signature, "Contents");
    return contents->Is(TValue::TKind::String) ? contents->Text() : std::string();
}

std::optional<int32_t> Stricter(std::optional<int32_t> A, std::optional<int32_t> B) {
    if (!A) return B;
    if (!B) return A;
    return std::min(*A, *B);
}

}  // namespace

std::vector<TSignatureReview> ReviewSignatures(TObjectReader& Reader, const std::vector<TRevision>& Revisions,
                                               const std::vector<TRevisionChanges>& Changes,
                                               const std::vector<TSignature>& Signatures) {
    std::vector<TSignatureReview> reviews(Signatures.size());
    if (Signatures.empty() || Revisions.empty()) return reviews;
    TRevisionView view(Reader, Revisions);
    TRolesByRevision roles(view);

    // What each signature is, read as its revision left it.
    size_t first = Revisions.size();
    for (size_t i = 0; i < Signatures.size(); ++i) {
        const size_t at = Signatures[i].Revision > 0 ? static_cast<size_t>(Signatures[i].Revision - 1) : Revisions.size() - 1;
        reviews[i].Description = DescribeSignature(view, at, Signatures[i].Object, roles[at]);
        reviews[i].Integrity = CheckIntegrity(Reader.File(), Signatures[i].ByteRange,
                                              ContentsOf(view, at, Signatures[i].Object),
                                              reviews[i].Description.SubFilter);
        if (Signatures[i].Revision > 0) first = std::min(first, at);
    }

    // Each revision after the first signed one, judged by the permissions of
    // the signatures before it.
    std::vector<TRevisionLevel> levels(Revisions.size());
    std::vector<TPermissionsInForce> inForce(Revisions.size());
    for (size_t r = first + 1; r < Revisions.size(); ++r) {
        std::vector<TFieldLock> locks;
        for (size_t i = 0; i < Signatures.size(); ++i) {
            if (Signatures[i].Revision <= 0 || static_cast<size_t>(Signatures[i].Revision) > r) continue;
            const TSignaturePermissions& permissions = reviews[i].Description.Permissions;
            inForce[r].DocMdp = Stricter(inForce[r].DocMdp, permissions.DocMdp);
            for (const TFieldLock& lock : permissions.FieldMdp) {
                locks.push_back(lock);
                inForce[r].DocMdp = Stricter(inForce[r].DocMdp, lock.P);
            }
        }
        levels[r] = ClassifyRevision(view, r, Changes[r], roles[r - 1], roles[r], locks);
    }

    for (size_t i = 0; i < Signatures.size(); ++i) {
        if (Signatures[i].Revision <= 0) continue;
        const size_t at = static_cast<size_t>(Signatures[i].Revision - 1);
        std::vector<TLaterChange> later;
        for (size_t r = at + 1; r < Revisions.size(); ++r) {
            reviews[i].Later.push_back({static_cast<int32_t>(r) + 1, levels[r].Level, Judge(levels[r], inForce[r]),
                                        levels[r].Objects});
            later.push_back({r, &levels[r]});
        }
        const TSignedState state{at, &roles[at], view.Reachable(at), inForce[std::min(at + 1, Revisions.size() - 1)].DocMdp};
        reviews[i].Findings = FindShadowAttacks(view, state, later);
    }
    return reviews;
}

}  // namespace lumerra
