#include "gdpdu/xml_node.h"

#include "common/ascii.h"

namespace norvik {

std::string ElementText(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

int ElementLine(const xmlNode* node) {
    return static_cast<int>(xmlGetLineNo(node));
}

const xmlNode* FirstElement(const xmlNode* parent, std::string_view name) {
    for (const xmlNode* child = parent->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE && ElementName(child) == name) return child;
    return nullptr;
}

std::optional<uint64_t> ElementCount(const xmlNode* node) {
    const std::string text = ElementText(node);
    std::string_view digits = text;
    const size_t first = digits.find_first_not_of(" \t\r\n");
    digits = first == std::string_view::npos
                 ? std::string_view()
                 : digits.substr(first, digits.find_last_not_of(" \t\r\n") + 1 - first);
    if (digits.empty() || digits.size() > 18) return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        if (!IsAsciiDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

}  // namespace norvik
