#include "host/user_settings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "common/atomic_file.h"
#include "common/file_io.h"
#include "common/guarded_open.h"
#include "common/text_codec.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

// Far above any real store; a larger file is no store of ours.
constexpr size_t kMaxStoreBytes = 64 * 1024 * 1024;

struct Entry {
    std::string section;
    std::string key;
    std::string value;
};

// Keys and sections may hold any text; these characters would change the line's meaning.
std::string Escape(std::string_view text, bool isKey) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '=':
                out += isKey ? "\\e" : "=";
                break;
            case '[':
                out += isKey && i == 0 ? "\\o" : "[";
                break;
            case ']':
                out += isKey ? "\\c" : "]";
                break;
            case ';':
                out += isKey && i == 0 ? "\\s" : ";";
                break;
            case ' ':
                out += (i == 0 || i + 1 == text.size()) ? "\\b" : " ";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        switch (text[++i]) {
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'e':
                out.push_back('=');
                break;
            case 'o':
                out.push_back('[');
                break;
            case 'c':
                out.push_back(']');
                break;
            case 's':
                out.push_back(';');
                break;
            case 'b':
                out.push_back(' ');
                break;
            default:
                out.push_back(text[i]);
        }
    }
    return out;
}

std::filesystem::path StoreFile(const std::string& appName) {
    return UserSettingsFolder() / (appName + ".ini");
}

std::vector<Entry> LoadEntries(const std::filesystem::path& file) {
    std::vector<Entry> entries;
    std::string bytes;
    try {
        bytes = ReadFileBytes(file.string(), kMaxStoreBytes);
    } catch (const VbError&) {
        return entries;  // a store not yet written, or unreadable, holds nothing
    }
    std::string section;
    ForEachLine(bytes, [&](std::string_view line) {
        if (line.empty() || line[0] == ';') return;
        if (line[0] == '[' && line.back() == ']') {
            section = Unescape(line.substr(1, line.size() - 2));
            return;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) return;
        entries.push_back({section, Unescape(line.substr(0, eq)), Unescape(line.substr(eq + 1))});
    });
    return entries;
}

// The error of a store that cannot be written, naming the file and what to check.
VbError NotSaved(int err, const std::filesystem::path& file) {
    const int32_t number = ErrorNumberFromErrno(err);
    return VbError(number, "Benutzereinstellungen nicht gespeichert (" +
                               VbError::DescriptionOf(number) + "): " + file.string() +
                               ". Bitte prüfen Sie, ob der Ordner " + file.parent_path().string() +
                               " angelegt und beschreibbar ist (siehe XDG_CONFIG_HOME).");
}

// Holds the store's lock file exclusively, so that parallel processes change the store one after
// the other instead of each replacing it with what it read before the others wrote.
class StoreLock {
  public:
    explicit StoreLock(const std::filesystem::path& file) {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        if (ec) throw NotSaved(ec.value(), file);
        // A lock file of its own: the store itself is replaced by rename, which would drop a lock.
        const std::string lockFile = file.string() + ".lock";
        lock_ = OpenGuarded(lockFile, O_RDWR | O_CREAT, 0600);
        if (!lock_) throw NotSaved(errno, file);
        while (::flock(lock_.Get(), LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            throw NotSaved(errno, file);
        }
    }

  private:
    FileDescriptor lock_;
};

// Readers never take the lock: they see the old or the new file, never a half-written one.
void WriteAtomically(const std::filesystem::path& file, const std::string& content) {
    AtomicFile store;
    int err = store.Create(file, 0600);
    if (err == 0) err = TryWriteAll(store.File().Get(), content);
    if (err == 0) err = store.Commit();
    if (err != 0) throw NotSaved(err, file);
}

}  // namespace

std::filesystem::path UserSettingsFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return std::filesystem::path(xdg) / "norvik-export";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".config" / "norvik-export";
}

std::string GetSetting(const std::string& appName, const std::string& section,
                       const std::string& key, const std::string& def) {
    for (const Entry& e : LoadEntries(StoreFile(appName)))
        if (EqualsIgnoreCase(e.section, section) && EqualsIgnoreCase(e.key, key)) return e.value;
    return def;
}

void SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value) {
    const auto file = StoreFile(appName);
    const StoreLock lock(file);
    std::vector<Entry> entries = LoadEntries(file);
    bool found = false;
    for (Entry& e : entries) {
        if (EqualsIgnoreCase(e.section, section) && EqualsIgnoreCase(e.key, key)) {
            e.value = value;
            found = true;
            break;
        }
    }
    if (!found) entries.push_back({section, key, value});

    std::ostringstream out;
    std::vector<const Entry*> done;
    for (const Entry& first : entries) {
        bool seen = false;
        for (const Entry* d : done) seen = seen || EqualsIgnoreCase(d->section, first.section);
        if (seen) continue;
        done.push_back(&first);
        out << '[' << Escape(first.section, true) << "]\n";
        for (const Entry& e : entries)
            if (EqualsIgnoreCase(e.section, first.section))
                out << Escape(e.key, true) << '=' << Escape(e.value, false) << '\n';
    }
    WriteAtomically(file, out.str());
}

}  // namespace norvik
