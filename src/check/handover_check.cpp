#include "check/handover_check.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>
#include <zip.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <map>
#include <optional>
#include <set>

#include "check/finding_sink.h"
#include "check/zip_directory.h"
#include "common/count_text.h"
#include "common/file_io.h"
#include "common/guarded_open.h"
#include "common/private_folder.h"
#include "common/text_codec.h"
#include "medium/windows_file_name.h"
#include "medium/zip_errors.h"

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
// The longest file name, in bytes, that Linux file systems (and so the unpacking) take.
constexpr size_t kMaxNameBytes = NAME_MAX;

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
    if (name.size() > kMaxNameBytes)
        return fmt::format(
            "hat einen Namen von {} Bytes; Dateisysteme nehmen höchstens {} Bytes. "
            "Er wird nicht entpackt.",
            name.size(), kMaxNameBytes);
    if (const std::string problem = WindowsFileNameProblem(name); !problem.empty())
        return "ist unbrauchbar: " + problem;
    code = "G704";
    if (type == kLink) return "ist eine Verknüpfung; sie wird nicht entpackt.";
    if (type != 0 && type != kRegular) return "ist keine gewöhnliche Datei.";
    code = nullptr;
    return {};
}

// The entry a line of the hash list names, as sha256sum -c opens it in the unpacked package: a
// "./" before the name changes nothing.
std::string ListedFile(std::string_view name) {
    while (name.starts_with("./")) {
        name.remove_prefix(2);
        while (name.starts_with('/')) name.remove_prefix(1);
    }
    return std::string(name);
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
        std::string listSum;
        const std::optional<ParsedHashList> list = ReadHashList(listSum);
        // Every line counts on its own, as with sha256sum -c: a second line for a file that
        // states another sum fails, whatever the first says.
        std::multimap<std::string, const HashEntry*> listed;
        if (list) {
            for (const HashEntry& line : list->entries)
                listed.emplace(ListedFile(line.name), &line);
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
            const auto [first, last] = listed.equal_range(entry.name);
            if (first == last)
                Report("G711", entry.name,
                       fmt::format("Datei steht nicht in der Prüfsummenliste {}.", kHashListName));
            for (auto it = first; it != last; ++it)
                if (it->second->hex != *hex)
                    Report("G709", entry.name,
                           fmt::format("SHA-256-Prüfsumme {} stimmt nicht mit der in Zeile {} von "
                                       "{} ({}) überein; die Datei wurde verändert.",
                                       *hex, it->second->line, kHashListName, it->second->hex));
        }
        // sha256sum -c sums the list too when it names itself, and the sum it holds cannot be
        // the sum of the list that holds it.
        const auto [first, last] = listed.equal_range(kHashListName);
        for (auto it = first; it != last; ++it)
            if (it->second->hex != listSum)
                Report("G709", kHashListName,
                       fmt::format("Zeile nennt eine Prüfsumme der Liste selbst ({}); eine Liste "
                                   "kann ihre eigene SHA-256-Prüfsumme ({}) nicht enthalten, "
                                   "sha256sum -c meldet sie als falsch.",
                                   it->second->hex, listSum),
                       it->second->line);
        for (const auto& [name, line] : listed)
            if (!names_.count(UpperCase(name)))
                Report("G710", Shown(line->name),
                       fmt::format("Datei steht in Zeile {} der Prüfsummenliste {}, fehlt aber in "
                                   "der ZIP-Datei.",
                                   line->line, kHashListName));
        if (!record && !foreign_)
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
        if (!archive_ && error == ZIP_ER_INCONS) {
            // libzip 1.7 refuses a local header that a data descriptor follows when it states
            // some of the sizes (Info-ZIP writing to a pipe states the unpacked one); unzip -t
            // and later libzip read such packages, so they are read when their records agree.
            const ZipLayout layout =
                ReadZipLayout(fd.Get(), options_.maxEntries, options_.maxDirectoryBytes);
            if (!layout.problem.empty()) {
                Report("G701", zipName_, Inconsistent(layout));
                return;
            }
            archive_ = zip_fdopen(fd.Get(), ZIP_RDONLY, &error);
            if (archive_) fd.Release();
            if (archive_ && !ReadsAsChecked(layout)) {
                Report("G701", zipName_,
                       "ZIP-Datei nicht lesbar: " + ZipErrorText(ZIP_ER_INCONS, 0) +
                           " (die ZIP-Bibliothek liest andere Einträge als das "
                           "Inhaltsverzeichnis nennt).");
                return;
            }
        }
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

    // A finding's text for the first contradiction in the package's records.
    static std::string Inconsistent(const ZipLayout& layout) {
        std::string where;
        if (layout.problemEntry && *layout.problemEntry < layout.entries.size()) {
            const std::string& name = layout.entries[*layout.problemEntry].name;
            where =
                "Eintrag „" + (name.empty() ? std::string("(ohne Namen)") : Shown(name)) + "“: ";
        }
        return "ZIP-Datei nicht lesbar: " + ZipErrorText(ZIP_ER_INCONS, 0) + " (" + where +
               layout.problem + ").";
    }

    // True when libzip reads the very entries the layout check went through.
    bool ReadsAsChecked(const ZipLayout& layout) {
        if (zip_get_num_entries(archive_, 0) != static_cast<zip_int64_t>(layout.entries.size()))
            return false;
        for (size_t i = 0; i < layout.entries.size(); ++i) {
            const ZipLayoutEntry& checked = layout.entries[i];
            const char* name = zip_get_name(archive_, i, ZIP_FL_ENC_RAW);
            zip_stat_t st;
            zip_stat_init(&st);
            if (!name || name != checked.name || zip_stat_index(archive_, i, 0, &st) != 0 ||
                st.size != checked.size || st.comp_size != checked.packed ||
                st.crc != checked.crc || st.comp_method != checked.method)
                return false;
        }
        return true;
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
        lastParts_.insert(UpperCase(name.substr(name.find_last_of("/\\") + 1)));
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

    // Whether the package holds an entry of this name, also in a folder or refused.
    bool HasEntry(const std::string& name) const { return lastParts_.count(UpperCase(name)) > 0; }

    // The list's entries and its own sum, nullopt when there is none to compare with (reported).
    std::optional<ParsedHashList> ReadHashList(std::string& sum) {
        const Entry* entry = nullptr;
        for (const Entry& e : entries_)
            if (e.name == kHashListName) entry = &e;
        if (!entry && !HasEntry(kHashListName) && !HasEntry(kHandoverRecordName)) {
            // Neither list nor record: a medium another program packed, read as its folder is.
            foreign_ = true;
            Report("G713", zipName_,
                   fmt::format("Die ZIP-Datei enthält weder {} noch {}; sie wird als gepackter "
                               "Datenträger gelesen, ihre Dateien sichert keine Prüfsumme.",
                               kHashListName, kHandoverRecordName));
            return std::nullopt;
        }
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
        std::optional<std::string> hex = ReadEntry(*entry, nullptr, &text);
        if (!hex) return std::nullopt;
        sum = std::move(*hex);
        ParsedHashList list = ParseHashList(text);
        // sha256sum -c passes such lines with a warning, --strict fails them.
        for (uint64_t line : list.badLines)
            Report("G708", kHashListName,
                   "Zeile ist keine Prüfsumme der Form „SHA-256  Dateiname“.", line);
        if (list.entries.empty()) {
            // sha256sum -c fails as well: "no properly formatted checksum lines found".
            Report("G708", kHashListName,
                   "Prüfsummenliste enthält keine Prüfsumme; die Dateien lassen sich nicht gegen "
                   "sie prüfen.");
            return std::nullopt;
        }
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
            // A name the temporary folder's file system cannot hold is the entry's problem: it
            // is still summed, just not unpacked.
            if (!out && (errno == ENAMETOOLONG || errno == EILSEQ)) {
                Report("G702", Shown(entry.name),
                       "Eintrag „" + Shown(entry.name) +
                           "“ lässt sich unter seinem Namen nicht entpacken: " +
                           FileError(errno, entry.name).Description());
                folder = nullptr;
            } else if (!out) {
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
    bool foreign_ = false;  // packed by another program: no list, no record
    std::vector<Entry> entries_;
    std::set<std::string> names_;      // every name listed, upper case
    std::set<std::string> lastParts_;  // every entry's name without its folders, upper case
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
