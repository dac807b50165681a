// What each object is to the document as a revision left it: the catalog,
// page 2's content, field "Name", annotation 14's appearance, and so on.
// A later revision's changes are judged by the roles of what they touch.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>

namespace lumerra {

class TRevisionView;

struct TObjectRole {
    enum class TKind : uint8_t {
        Unreferenced,          // nothing the trailer reaches refers to it
        Structure,             // a cross-reference or object stream
        Catalog,
        Information,           // the trailer's /Info
        Metadata,              // the catalog's /Metadata
        Security,              // the trailer's /Encrypt and what it holds
        Dss,                   // the document security store and what it holds
        Form,                  // the catalog's /AcroForm
        Field,                 // a field or its widget
        FieldAppearance,       // what a field's /AP reaches
        FieldValue,            // what a field's /V reaches (a signature)
        PageTree,              // /Pages and its intermediate nodes
        Page,
        PageContent,           // a page's /Contents
        PageResource,          // what a page's /Resources reaches: fonts, images, forms
        AnnotationList,        // a page's /Annots array written as an object
        Annotation,            // not a widget
        AnnotationAppearance,  // what an annotation's /AP reaches
        OptionalContent,       // the catalog's /OCProperties and what it reaches
        Other                  // anything else the catalog reaches
    };
    TObjectRole() = default;
    TObjectRole(TKind Kind, int32_t Page = 0, int32_t Annotation = 0, std::string Field = {})
        : Kind(Kind), Page(Page), Annotation(Annotation), Field(std::move(Field)) {}

    TKind Kind = TKind::Unreferenced;
    int32_t Page = 0;        // from 1, for pages, their parts and annotations
    int32_t Annotation = 0;  // the annotation's object
    std::string Field;       // the field's full name
    friend bool operator==(const TObjectRole&, const TObjectRole&) = default;
};

using TObjectRoles = std::unordered_map<int32_t, TObjectRole>;

// The role of each object revision R (from 0) reaches; an object with two
// roles keeps the first found: fields, then pages, then the rest.
TObjectRoles ObjectRolesOf(TRevisionView& View, size_t R);

// The role of Number in Roles; Unreferenced when it has none.
TObjectRole RoleOf(const TObjectRoles& Roles, int32_t Number);

}  // namespace lumerra
