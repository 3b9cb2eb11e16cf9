#pragma once
// Small reads of a libxml2 element tree: child elements, their text, numbers and lines.

#include <libxml/tree.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvik {

// The element's name.
inline std::string_view ElementName(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
}
// The element's text content (UTF-8).
std::string ElementText(const xmlNode* node);
// The line of the element in its file.
int ElementLine(const xmlNode* node);
// The first child element of this name; null when there is none.
const xmlNode* FirstElement(const xmlNode* parent, std::string_view name);
// A count written as decimal digits, blanks around allowed; nullopt for anything else.
std::optional<uint64_t> ElementCount(const xmlNode* node);

// Calls fn for each child element, in order.
template <typename Fn>
void ForEachElement(const xmlNode* parent, Fn&& fn) {
    for (const xmlNode* child = parent->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE) fn(child);
}

}  // namespace norvik
