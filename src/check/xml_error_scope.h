#pragma once
// libxml2 keeps its error handler per thread; this routes it to a function for the scope's
// lifetime and restores the previous one on every path.

#include <libxml/xmlerror.h>

namespace norvik {

class XmlErrorScope {
  public:
    XmlErrorScope(void* data, xmlStructuredErrorFunc handler)
        : previous_(xmlStructuredError), previousData_(xmlStructuredErrorContext) {
        xmlSetStructuredErrorFunc(data, handler);
    }
    ~XmlErrorScope() { xmlSetStructuredErrorFunc(previousData_, previous_); }
    XmlErrorScope(const XmlErrorScope&) = delete;
    XmlErrorScope& operator=(const XmlErrorScope&) = delete;

  private:
    xmlStructuredErrorFunc previous_;
    void* previousData_;
};

}  // namespace norvik
