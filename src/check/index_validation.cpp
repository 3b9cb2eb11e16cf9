#include "check/index_validation.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <climits>

#include "check/xml_entity_guard.h"
#include "check/xml_error_scope.h"

namespace norvik {
namespace {

struct Collector {
    size_t max = 0;
    std::vector<IndexProblem> problems;
};

void Collect(void* data, xmlErrorPtr error) {
    auto* collector = static_cast<Collector*>(data);
    if (!error || error->level < XML_ERR_ERROR || collector->problems.size() >= collector->max)
        return;
    std::string message = error->message ? error->message : "unbekannter Fehler";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    collector->problems.push_back({error->line, std::move(message)});
}

}  // namespace

std::vector<IndexProblem> IndexXmlProblems(std::string_view xml, const std::string& url,
                                           std::string dtd, size_t maxProblems) {
    xmlInitParser();
    Collector collector;
    collector.max = maxProblems;
    if (xml.size() > INT_MAX) return {{0, "Die Datei ist zu groß für die XML-Prüfung."}};
    {
        XmlErrorScope scope(&collector, Collect);
        XmlEntityGuard guard(std::move(dtd));
        xmlParserCtxtPtr context = xmlNewParserCtxt();
        if (!context) return {{0, "Die XML-Prüfung konnte nicht gestartet werden."}};
        guard.Attach(context);
        xmlDocPtr doc =
            xmlCtxtReadMemory(context, xml.data(), static_cast<int>(xml.size()), url.c_str(),
                              nullptr, XML_PARSE_DTDLOAD | XML_PARSE_DTDVALID | XML_PARSE_NONET);
        const bool valid = doc && context->wellFormed && context->valid;
        if (doc) xmlFreeDoc(doc);
        xmlFreeParserCtxt(context);
        if (!valid && collector.problems.empty() && maxProblems > 0)
            collector.problems.push_back({0, "Die Datei entspricht nicht der DTD."});
    }
    return collector.problems;
}

}  // namespace norvik
