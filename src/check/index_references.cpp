#include "check/index_references.h"

#include <fmt/format.h>
#include <libxml/entities.h>
#include <libxml/hash.h>

#include <string>

#include "check/xml_node.h"

namespace norvik {
namespace {

constexpr const char* kNothingElse = "außer der im DOCTYPE genannten DTD wird nichts nachgeladen.";

std::string Text(const xmlChar* text) {
    return text ? reinterpret_cast<const char*>(text) : "";
}

struct Scan {
    FindingSink& sink;
    const char* prefix;  // "%" for parameter entities
};

void ReportEntity(void* payload, void* data, const xmlChar*) {
    const auto* entity = static_cast<const xmlEntity*>(payload);
    auto* scan = static_cast<Scan*>(data);
    if (entity->etype == XML_INTERNAL_GENERAL_ENTITY ||
        entity->etype == XML_INTERNAL_PARAMETER_ENTITY ||
        entity->etype == XML_INTERNAL_PREDEFINED_ENTITY)
        return;
    scan->sink.Report(
        "G107", kIndexFileName, 0, 0,
        fmt::format("Index.xml will über die Entität „{}{}“ „{}“ nachladen; {}", scan->prefix,
                    Text(entity->name), Text(entity->SystemID), kNothingElse));
}

bool IsXInclude(const xmlNode* node) {
    if (!node->ns || !node->ns->href) return false;
    const std::string href = Text(node->ns->href);
    return href == "http://www.w3.org/2001/XInclude" || href == "http://www.w3.org/2003/XInclude";
}

}  // namespace

void ReportOutsideReferences(const xmlDoc* doc, FindingSink& sink) {
    if (const xmlDtd* dtd = doc->intSubset) {
        Scan general{sink, ""}, parameter{sink, "%"};
        if (dtd->entities)
            xmlHashScan(static_cast<xmlHashTablePtr>(dtd->entities), ReportEntity, &general);
        if (dtd->pentities)
            xmlHashScan(static_cast<xmlHashTablePtr>(dtd->pentities), ReportEntity, &parameter);
    }
    // Without recursion: the parser's depth limit is not this walk's.
    const xmlNode* node = xmlDocGetRootElement(doc);
    while (node) {
        if (node->type == XML_ELEMENT_NODE && IsXInclude(node))
            sink.Report("G107", kIndexFileName, static_cast<uint64_t>(ElementLine(node)), 0,
                        fmt::format("Index.xml enthält ein XInclude-Element ({}); {}",
                                    Text(node->name), kNothingElse));
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node && !node->next)
            node = node->parent == reinterpret_cast<const xmlNode*>(doc) ? nullptr : node->parent;
        if (node) node = node->next;
    }
}

}  // namespace norvik
