#include "db/odbc/odbc_connection_string.h"

#include <odbcinst.h>

#include <algorithm>

#include "common/ascii.h"

namespace norvik::db {
namespace {

// The value without the blanks and braces that may enclose it.
std::string_view Unbraced(std::string_view value) {
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    if (value.size() >= 2 && value.front() == '{' && value.back() == '}')
        return value.substr(1, value.size() - 2);
    return value;
}

// The key's value in the section of an ODBC ini file, as the driver manager finds it ("odbc.ini":
// the user's and then the system's data sources); empty when there is none.
std::string IniValue(std::string_view section, const char* key, const char* file) {
    char value[1024] = {};
    const std::string name(section);
    if (SQLGetPrivateProfileString(name.c_str(), key, "", value, sizeof value, file) <= 0)
        return "";
    return value;
}

}  // namespace

std::optional<std::string_view> KeyValue(std::string_view text, std::string_view key) {
    std::optional<std::string_view> found;
    size_t i = 0;
    while (i < text.size()) {
        const size_t eq = text.find('=', i);
        if (eq == std::string_view::npos) break;
        std::string_view name = text.substr(i, eq - i);
        while (!name.empty() && (name.front() == ' ' || name.front() == ';')) name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        size_t end = eq + 1;
        while (end < text.size() && text[end] == ' ') ++end;
        const size_t start = end;
        if (end < text.size() && text[end] == '{') {
            const size_t close = text.find('}', end);
            end = close == std::string_view::npos ? text.size() : close + 1;
        }
        end = std::min(text.find(';', end), text.size());
        if (AsciiEqualsIgnoreCase(name, key)) found = text.substr(start, end - start);
        i = end + 1;
    }
    return found;
}

std::string DriverLibraryOf(std::string_view connection) {
    std::string driver;
    if (const auto named = KeyValue(connection, "DRIVER"))
        driver = Unbraced(*named);
    else if (const auto dsn = KeyValue(connection, "DSN"))
        driver = IniValue(Unbraced(*dsn), "Driver", "odbc.ini");
    if (driver.empty() || driver.find('/') != std::string::npos) return driver;
    return IniValue(driver, "Driver", "odbcinst.ini");
}

}  // namespace norvik::db
