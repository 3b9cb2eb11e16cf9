#pragma once
// libxml2 loads every external entity, parameter entity and DTD through one process-wide loader.
// While a guard lives, that loader hands out only the DTD the DOCTYPE names, as bytes read
// beforehand from the medium's folder; anything else a document asks for is refused unopened.

#include <libxml/parser.h>

#include <string>

namespace norvik {

class XmlEntityGuard {
  public:
    // dtd: the bytes of the DTD the DOCTYPE names; empty when none is to be loaded.
    explicit XmlEntityGuard(std::string dtd = {});
    ~XmlEntityGuard();
    XmlEntityGuard(const XmlEntityGuard&) = delete;
    XmlEntityGuard& operator=(const XmlEntityGuard&) = delete;

    // Lets a parser of this guard's document load its DTD; other parsers get nothing.
    void Attach(xmlParserCtxtPtr context);

  private:
    static xmlParserInputPtr Load(const char* url, const char* id, xmlParserCtxtPtr context);

    xmlExternalEntityLoader previous_;
    std::string dtd_;
    bool dtdGiven_ = false;
};

}  // namespace norvik
