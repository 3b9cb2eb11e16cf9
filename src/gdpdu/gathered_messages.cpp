#include "gdpdu/gathered_messages.h"

namespace norvik {

void GatheredMessages::ShowText(const std::string& text, int32_t style) {
    if (style != 4) problems_.push_back(text);
}

int32_t GatheredMessages::ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                                      bool flag) {
    return host_.ShowMessage(text, style, buttons, flag);
}

void GatheredMessages::ReportError(const std::string& className, const std::string& operation,
                                   int32_t number, const std::string& description, bool flag) {
    host_.ReportError(className, operation, number, description, flag);
}

}  // namespace norvik
