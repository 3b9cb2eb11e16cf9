#pragma once
// What reading a definition needs from its host: the values stored for it and a way to tell the
// user. The host side implements it; the definition layer knows nothing else of the host.

#include <string>
#include <unordered_map>

namespace norvik {

class DefinitionHost {
  public:
    virtual ~DefinitionHost() = default;
    // The folder "%DataPath%" stands for.
    virtual std::string DataPath() const = 0;
    // The output file the user last chose for the definition of this name; empty when none.
    virtual std::string RememberedOutputFile(const std::string& name) = 0;
    // The parameter values stored in this settings section, by lower-case name.
    virtual std::unordered_map<std::string, std::string> StoredParameters(
        const std::string& section) = 0;
    // Tells the user that an item of the file was refused (a parameter whose name is taken).
    virtual void ShowRefusal(const std::string& text) = 0;
};

}  // namespace norvik
