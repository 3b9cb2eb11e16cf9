#include "check/xml_entity_guard.h"

#include <libxml/parserInternals.h>
#include <libxml/xmlIO.h>

#include <climits>

namespace norvik {
namespace {

// libxml2 sets this while it reads the DTD named in the DOCTYPE.
constexpr int kExternalSubset = 2;

}  // namespace

XmlEntityGuard::XmlEntityGuard(std::string dtd)
    : previous_(xmlGetExternalEntityLoader()), dtd_(std::move(dtd)) {
    xmlSetExternalEntityLoader(&XmlEntityGuard::Load);
}

XmlEntityGuard::~XmlEntityGuard() {
    xmlSetExternalEntityLoader(previous_);
}

void XmlEntityGuard::Attach(xmlParserCtxtPtr context) {
    context->_private = this;
}

xmlParserInputPtr XmlEntityGuard::Load(const char*, const char*, xmlParserCtxtPtr context) {
    auto* guard = context ? static_cast<XmlEntityGuard*>(context->_private) : nullptr;
    // Only the DOCTYPE's DTD, once: a parameter entity inside it asks at the same stage.
    if (!guard || context->inSubset != kExternalSubset || guard->dtdGiven_ || guard->dtd_.empty() ||
        guard->dtd_.size() > INT_MAX)
        return nullptr;
    guard->dtdGiven_ = true;
    xmlParserInputBufferPtr buffer = xmlParserInputBufferCreateMem(
        guard->dtd_.data(), static_cast<int>(guard->dtd_.size()), XML_CHAR_ENCODING_NONE);
    if (!buffer) return nullptr;
    xmlParserInputPtr input = xmlNewIOInputStream(context, buffer, XML_CHAR_ENCODING_NONE);
    if (!input) xmlFreeParserInputBuffer(buffer);
    return input;
}

}  // namespace norvik
