#include "gdpdu/index_validation.h"

#include <fmt/format.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include "common/file_io.h"

namespace norvik {
namespace {

struct Collector {
    size_t max = 0;
    std::vector<std::string> problems;
};

void Collect(void* data, xmlErrorPtr error) {
    auto* collector = static_cast<Collector*>(data);
    if (!error || error->level < XML_ERR_ERROR || collector->problems.size() >= collector->max)
        return;
    std::string message = error->message ? error->message : "unbekannter Fehler";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    collector->problems.push_back(fmt::format("Zeile {}: {}", error->line, message));
}

// libxml2 keeps its error handler per thread; this restores the previous one on every path.
class ErrorHandlerScope {
  public:
    explicit ErrorHandlerScope(Collector& collector)
        : previous_(xmlStructuredError), previousData_(xmlStructuredErrorContext) {
        xmlSetStructuredErrorFunc(&collector, Collect);
    }
    ~ErrorHandlerScope() { xmlSetStructuredErrorFunc(previousData_, previous_); }
    ErrorHandlerScope(const ErrorHandlerScope&) = delete;
    ErrorHandlerScope& operator=(const ErrorHandlerScope&) = delete;

  private:
    xmlStructuredErrorFunc previous_;
    void* previousData_;
};

}  // namespace

std::vector<std::string> ValidateIndexXml(const std::string& path, size_t maxProblems) {
    xmlInitParser();
    Collector collector;
    collector.max = maxProblems;
    {
        ErrorHandlerScope scope(collector);
        xmlParserCtxtPtr context = xmlNewParserCtxt();
        if (!context) return {"Zeile 0: Die XML-Prüfung konnte nicht gestartet werden."};
        const std::string native = NativePath(path).string();
        xmlDocPtr doc = xmlCtxtReadFile(context, native.c_str(), nullptr,
                                        XML_PARSE_DTDLOAD | XML_PARSE_DTDVALID | XML_PARSE_NONET);
        const bool valid = doc && context->wellFormed && context->valid;
        if (doc) xmlFreeDoc(doc);
        xmlFreeParserCtxt(context);
        if (!valid && collector.problems.empty() && maxProblems > 0)
            collector.problems.push_back("Zeile 0: Die Datei entspricht nicht der DTD.");
    }
    return collector.problems;
}

}  // namespace norvik
