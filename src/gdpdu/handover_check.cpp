#include "gdpdu/handover_check.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>
#include <zip.h>

#include <cctype>
#include <cerrno>
#include <map>
#include <optional>
#include <set>

#include "common/count_text.h"
#include "common/file_io.h"
#include "common/guarded_open.h"
#include "common/private_folder.h"
#include "common/text_codec.h"
#include "gdpdu/finding_sink.h"
#include "gdpdu/windows_file_name.h"
#include "gdpdu/zip_directory.h"
#include "gdpdu/zip_errors.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

constexpr size_t kBlock = size_t{1} << 20;
// Far above a list of a thousand entries.
constexpr uint64_t kMaxHashListBytes = uint64_t{1} << 20;
// Unix file types in the upper half of the external attributes.
constexpr uint32_t kTypeMask = 0170000, kRegular = 0100000, kFolder = 0040000, kLink = 0120000;
// The folder bit of the attributes Windows tools write.
constexpr uint32_t kDosFolder = 0x10;

bool WindowsAttributes(uint8_t opsys) {
    return opsys == ZIP_OPSYS_DOS || opsys == ZIP_OPSYS_WINDOWS_NTFS || opsys == ZIP_OPSYS_VFAT;
}

// A name as a message may show it: control characters and malformed bytes as "?".
std::string Shown(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size();) {
        const Utf8Char c = DecodeUtf8(name, i);
        if (c.malformed || c.codePoint < 0x20 || c.codePoint == 0x7F)
            out += '?';
        else
            out.append(name.substr(i, c.length));
        i += c.length;
    }
    return out;
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Why the entry may not be unpacked, with its code; empty when it may.
std::string Refusal(std::string_view name, uint8_t opsys, uint32_t attributes, const char*& code) {
    const uint32_t type = opsys == ZIP_OPSYS_UNIX ? (attributes >> 16) & kTypeMask : 0;
    code = "G703";
    if ((!name.empty() && IsSeparator(name.back())) || type == kFolder ||
        (WindowsAttributes(opsys) && (attributes & kDosFolder)))
        return "ist ein Ordner; die Dateien des Datenträgers gehören auf die oberste Ebene der "
               "ZIP-Datei.";
    code = "G702";
    if ((!name.empty() && IsSeparator(name.front())) ||
        (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))))
        return "hat einen absoluten Pfad; er wird nicht entpackt.";
    for (size_t start = 0; start <= name.size();) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        if (name.substr(start, end - start) == "..")
            return "führt mit „..“ aus dem Ordner; er wird nicht entpackt.";
        start = end + 1;
    }
    code = "G703";
    for (char c : name)
        if (IsSeparator(c))
            return "liegt in einem Unterordner; die Dateien des Datenträgers gehören auf die "
                   "oberste Ebene der ZIP-Datei.";
    code = "G702";
    if (Shown(name) != name) return "enthält Steuerzeichen oder ungültige Bytes.";
    if (const std::string problem = WindowsFileNameProblem(name); !problem.empty())
        return "ist unbrauchbar: " + problem;
    code = "G704";
    if (type == kLink) return "ist eine Verknüpfung; sie wird nicht entpackt.";
    if (type != 0 && type != kRegular) return "ist keine gewöhnliche Datei.";
    code = nullptr;
    return {};
}

// An entry that may be read.
struct Entry {
    zip_uint64_t index = 0;
    std::string name;
    uint64_t size = 0;  // unpacked, as the directory states it
};

class PackageCheck {
  public:
    PackageCheck(const fs::path& zip, const HandoverCheckOptions& options)
        : zipName_(Shown(zip.filename().string())),
          options_(options),
          sink_(options.medium.maxFindingsEach) {
        Open(zip);
    }
    ~PackageCheck() {
        if (archive_) zip_discard(archive_);
    }
    PackageCheck(const PackageCheck&) = delete;
    PackageCheck& operator=(const PackageCheck&) = delete;

    // True when the entries may be read: the archive opened, its entries within the bounds.
    bool Usable() const { return usable_; }
    // The unpacked bytes of the entries that may be read.
    uint64_t Bytes() const { return bytes_; }

    // Reads every entry against the hash list, unpacking the medium's files into folder when
    // given; read gets each file's name and sum.
    void Verify(const PrivateFolder* folder, std::vector<HashEntry>* read) {
        const std::optional<ParsedHashList> list = ReadHashList();
        std::map<std::string, std::string> listed;
        if (list) {
            for (const HashEntry& entry : list->entries)
                if (entry.name != kHashListName) listed.emplace(entry.name, entry.hex);
        }
        bool record = false;
        for (const Entry& entry : entries_) {
            if (entry.name == kHashListName) continue;
            record = record || entry.name == kHandoverRecordName;
            // The record and the list belong to the package, not to the medium.
            const bool unpack = folder && entry.name != kHandoverRecordName;
            const std::optional<std::string> hex = ReadEntry(entry, unpack ? folder : nullptr);
            if (!hex) continue;
            if (read) read->push_back({entry.name, *hex});
            if (!list) continue;
            const auto it = listed.find(entry.name);
            if (it == listed.end())
                Report("G711", entry.name,
                       fmt::format("Datei steht nicht in der Prüfsummenliste {}.", kHashListName));
            else if (it->second != *hex)
                Report("G709", entry.name,
                       fmt::format("SHA-256-Prüfsumme {} stimmt nicht mit der in {} ({}) "
                                   "überein; die Datei wurde verändert.",
                                   *hex, kHashListName, it->second));
        }
        for (const auto& [name, hex] : listed)
            if (!names_.count(UpperCase(name)))
                Report("G710", Shown(name),
                       fmt::format("Datei steht in der Prüfsummenliste {}, fehlt aber in der "
                                   "ZIP-Datei.",
                                   kHashListName));
        if (!record)
            Report("G712", zipName_,
                   fmt::format("Das Übergabeprotokoll {} fehlt in der ZIP-Datei.",
                               kHandoverRecordName));
    }

    std::vector<MediumFinding> Take() { return sink_.Take(); }

  private:
    void Report(std::string_view code, std::string_view file, std::string text, uint64_t line = 0) {
        sink_.Report(code, file, line, 0, std::move(text));
    }

    void Open(const fs::path& zip) {
        FileDescriptor fd = OpenGuarded(zip.string(), O_RDONLY | O_CLOEXEC);
        if (!fd) {
            Report("G701", zipName_,
                   "ZIP-Datei lässt sich nicht öffnen: " +
                       FileError(errno, zip.string()).Description());
            return;
        }
        const ZipDirectorySize stated = StatedDirectorySize(fd.Get());
        if (stated.entries > options_.maxEntries || stated.bytes > options_.maxDirectoryBytes) {
            Report("G706", zipName_,
                   fmt::format("ZIP-Datei gibt {} Einträge und ein Inhaltsverzeichnis von {} Bytes "
                               "an; geprüft werden höchstens {} Einträge und {} Bytes. Sie wird "
                               "nicht gelesen.",
                               GroupedCount(static_cast<int64_t>(stated.entries)),
                               GroupedCount(static_cast<int64_t>(stated.bytes)),
                               GroupedCount(static_cast<int64_t>(options_.maxEntries)),
                               GroupedCount(static_cast<int64_t>(options_.maxDirectoryBytes))));
            return;
        }
        int error = 0;
        archive_ = zip_fdopen(fd.Get(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
        // The archive owns the descriptor once it is open.
        if (archive_) fd.Release();
        if (!archive_) {
            if (error == ZIP_ER_EXISTS)
                Report("G705", zipName_,
                       "Ein Eintragsname steht mehrmals in der ZIP-Datei; sie wird nicht gelesen.");
            else
                Report("G701", zipName_, "ZIP-Datei nicht lesbar: " + ZipErrorText(error, 0) + ".");
            return;
        }
        const zip_int64_t count = zip_get_num_entries(archive_, 0);
        if (count < 0 || static_cast<uint64_t>(count) > options_.maxEntries) {
            Report("G706", zipName_,
                   fmt::format("ZIP-Datei hat {} Einträge; geprüft werden höchstens {}.", count,
                               options_.maxEntries));
            return;
        }
        for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) List(i);
        if (bytes_ > options_.maxBytes) {
            Report("G706", zipName_,
                   fmt::format("Die Einträge ergeben entpackt {} Bytes; geprüft werden höchstens "
                               "{} Bytes. Nichts wird entpackt.",
                               GroupedCount(static_cast<int64_t>(bytes_)),
                               GroupedCount(static_cast<int64_t>(options_.maxBytes))));
            return;
        }
        usable_ = true;
    }

    void List(zip_uint64_t index) {
        const char* raw = zip_get_name(archive_, index, ZIP_FL_ENC_GUESS);
        const std::string name = raw ? raw : "";
        zip_stat_t st;
        zip_stat_init(&st);
        uint8_t opsys = 0;
        uint32_t attributes = 0;
        if (!raw || zip_stat_index(archive_, index, 0, &st) != 0 ||
            zip_file_get_external_attributes(archive_, index, 0, &opsys, &attributes) != 0) {
            const zip_error_t* error = zip_get_error(archive_);
            Report("G707", Shown(name),
                   "Eintrag nicht lesbar: " +
                       ZipErrorText(zip_error_code_zip(error), zip_error_code_system(error)) + ".");
            return;
        }
        const char* code = nullptr;
        const std::string refusal = Refusal(name, opsys, attributes, code);
        const std::string shown = name.empty() ? "(ohne Namen)" : Shown(name);
        if (code) {
            Report(code, shown, "Eintrag „" + shown + "“ " + refusal);
            return;
        }
        if (!names_.insert(UpperCase(name)).second) {
            Report("G705", shown,
                   "Eintrag „" + shown +
                       "“ steht mehrmals in der ZIP-Datei (Groß-/Kleinschreibung nicht "
                       "unterschieden); nur der erste wird geprüft.");
            return;
        }
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
            Report("G707", shown, "Eintrag ist verschlüsselt und wird nicht entpackt.");
            return;
        }
        if ((st.valid & ZIP_STAT_COMP_METHOD) &&
            !zip_compression_method_supported(static_cast<zip_int32_t>(st.comp_method), 0)) {
            Report("G707", shown,
                   fmt::format("Eintrag ist mit einem unbekannten Verfahren ({}) gepackt.",
                               st.comp_method));
            return;
        }
        entries_.push_back({index, name, st.size});
        bytes_ += st.size;
    }

    // The list's entries, nullopt when there is none to compare with (reported).
    std::optional<ParsedHashList> ReadHashList() {
        const Entry* entry = nullptr;
        for (const Entry& e : entries_)
            if (e.name == kHashListName) entry = &e;
        if (!entry) {
            Report("G708", zipName_,
                   fmt::format("Die Prüfsummenliste {} fehlt; die Dateien lassen sich nicht "
                               "gegen sie prüfen.",
                               kHashListName));
            return std::nullopt;
        }
        if (entry->size > kMaxHashListBytes) {
            Report("G708", kHashListName,
                   fmt::format("Prüfsummenliste hat {} Bytes; gelesen werden höchstens {}.",
                               GroupedCount(static_cast<int64_t>(entry->size)),
                               GroupedCount(static_cast<int64_t>(kMaxHashListBytes))));
            return std::nullopt;
        }
        std::string text;
        if (!ReadEntry(*entry, nullptr, &text)) return std::nullopt;
        ParsedHashList list = ParseHashList(text);
        for (uint64_t line : list.badLines)
            Report("G708", kHashListName,
                   "Zeile ist keine Prüfsumme der Form „SHA-256  Dateiname“.", line);
        return list;
    }

    // Reads an entry to its end: its sum, nullopt when it cannot be read (reported). The bytes
    // go into a file of the folder, or into text.
    std::optional<std::string> ReadEntry(const Entry& entry, const PrivateFolder* folder,
                                         std::string* text = nullptr) {
        zip_file_t* file = zip_fopen_index(archive_, entry.index, 0);
        if (!file) {
            const zip_error_t* error = zip_get_error(archive_);
            Report("G707", entry.name,
                   "Eintrag lässt sich nicht entpacken: " +
                       ZipErrorText(zip_error_code_zip(error), zip_error_code_system(error)) + ".");
            return std::nullopt;
        }
        FileDescriptor out;
        if (folder) {
            out = FileDescriptor(::openat(folder->Fd(), entry.name.c_str(),
                                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                          0600));
            if (!out) {
                zip_fclose(file);
                throw FileError(errno, (folder->Path() / entry.name).string());
            }
        }
        Sha256 sum;
        std::vector<char> buffer(kBlock);
        uint64_t total = 0;
        std::string problem;
        for (;;) {
            const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
            if (n < 0) {
                const zip_error_t* error = zip_file_get_error(file);
                problem = ZipErrorText(zip_error_code_zip(error), zip_error_code_system(error));
                break;
            }
            if (n == 0) break;
            total += static_cast<uint64_t>(n);
            // More than the directory states: a bomb that hides its size.
            if (total > entry.size) {
                problem = fmt::format("er enthält mehr als die angegebenen {} Bytes",
                                      GroupedCount(static_cast<int64_t>(entry.size)));
                break;
            }
            const std::string_view bytes(buffer.data(), static_cast<size_t>(n));
            sum.Update(bytes);
            if (text) text->append(bytes);
            if (out) {
                if (const int err = TryWriteAll(out.Get(), bytes); err != 0) {
                    zip_fclose(file);
                    throw FileError(err, (folder->Path() / entry.name).string());
                }
            }
        }
        zip_fclose(file);
        if (out)
            if (const int err = out.Close(); err != 0)
                throw FileError(err, (folder->Path() / entry.name).string());
        if (problem.empty() && total != entry.size)
            problem = fmt::format("er enthält {} statt der angegebenen {} Bytes",
                                  GroupedCount(static_cast<int64_t>(total)),
                                  GroupedCount(static_cast<int64_t>(entry.size)));
        if (!problem.empty()) {
            // What could not be read whole is no file of the medium.
            if (folder) ::unlinkat(folder->Fd(), entry.name.c_str(), 0);
            Report("G707", entry.name, "Eintrag lässt sich nicht entpacken: " + problem + ".");
            return std::nullopt;
        }
        return sum.HexDigest();
    }

    std::string zipName_;
    const HandoverCheckOptions& options_;
    FindingSink sink_;
    zip_t* archive_ = nullptr;
    bool usable_ = false;
    std::vector<Entry> entries_;
    std::set<std::string> names_;  // every name listed, upper case
    uint64_t bytes_ = 0;
};

}  // namespace

std::vector<MediumFinding> CheckHandoverSums(const fs::path& zip,
                                             const HandoverCheckOptions& options,
                                             std::vector<HashEntry>* read) {
    PackageCheck check(zip, options);
    if (check.Usable()) check.Verify(nullptr, read);
    return check.Take();
}

std::vector<MediumFinding> CheckHandoverZip(const fs::path& zip,
                                            const HandoverCheckOptions& options) {
    PackageCheck check(zip, options);
    if (!check.Usable()) return check.Take();
    const PrivateFolder folder("check");
    if (check.Bytes() > folder.FreeBytes())
        throw VbError(kErrDiskFull,
                      fmt::format("Im temporären Ordner {} ist für das Entpacken nicht genug "
                                  "Platz: {} Bytes werden gebraucht. TMPDIR kann auf einen "
                                  "anderen Ordner zeigen.",
                                  folder.Path().parent_path().string(),
                                  GroupedCount(static_cast<int64_t>(check.Bytes()))));
    check.Verify(&folder, nullptr);
    std::vector<MediumFinding> findings = check.Take();
    for (MediumFinding& finding : CheckMedium(folder.Path(), options.medium))
        findings.push_back(std::move(finding));
    return findings;
}

}  // namespace norvik
