#include "check/index_relations.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace norvik {
namespace {

const char* TypeName(ColumnType type) {
    switch (type) {
        case ColumnType::AlphaNumeric:
            return "AlphaNumeric";
        case ColumnType::Numeric:
            return "Numeric";
        case ColumnType::Date:
            return "Date";
    }
    return "?";
}

std::vector<size_t> PrimaryKeyColumns(const IndexTable& table) {
    std::vector<size_t> columns;
    for (size_t i = 0; i < table.columns.size(); ++i)
        if (table.columns[i].primaryKey) columns.push_back(i);
    return columns;
}

class Resolver {
  public:
    Resolver(const IndexModel& model, FindingSink& sink) : model_(model), sink_(sink) {}

    MediumRelations Resolve() {
        ReportSharedNames();
        ReportSharedLines();
        for (size_t t = 0; t < model_.tables.size(); ++t)
            for (const IndexForeignKey& key : model_.tables[t].foreignKeys) Link(t, key);
        relations_.order = ReadingOrder();
        return std::move(relations_);
    }

  private:
    void Report(std::string_view code, const IndexTable& table, int line, const std::string& text) {
        sink_.Report(code, kIndexFileName, static_cast<uint64_t>(line), table.number,
                     table.label + ": " + text);
    }

    void ReportSharedNames() {
        for (size_t t = 0; t < model_.tables.size(); ++t) {
            const IndexTable& table = model_.tables[t];
            const auto first =
                std::find_if(model_.tables.begin(), model_.tables.end(),
                             [&](const IndexTable& other) { return other.name == table.name; });
            if (first->number != table.number)
                Report("G306", table, table.line,
                       fmt::format("Der Name {} gehört schon Tabelle Nr. {}; ein Import legt "
                                   "die Tabellen unter ihrem Namen an.",
                                   table.name, first->number));
        }
    }

    // Tables of one data file must each have lines of their own: a line in two ranges would be
    // read as a row of both, and layouts whose lines interleave cannot be told apart at all.
    void ReportSharedLines() {
        for (size_t t = 0; t < model_.tables.size(); ++t) {
            const IndexTable& table = model_.tables[t];
            if (!table.dataReadable) continue;
            for (size_t o = 0; o < t; ++o) {
                const IndexTable& other = model_.tables[o];
                if (!other.dataReadable || other.url != table.url) continue;
                const uint64_t from = std::max(table.firstRecord, other.firstRecord);
                const uint64_t to = std::min(table.lastRecord, other.lastRecord);
                if (from > to) continue;
                Report("G311", table, table.line,
                       fmt::format("Die Zeilen {} bis {} von {} gehören auch zu {}; ohne "
                                   "getrennte Zeilenbereiche (Range) liest ein Import sie in "
                                   "beide Tabellen.",
                                   from,
                                   to == std::numeric_limits<uint64_t>::max()
                                       ? std::string("zum Dateiende")
                                       : std::to_string(to),
                                   table.url, other.label));
                break;
            }
        }
    }

    void Link(size_t t, const IndexForeignKey& key) {
        const IndexTable& table = model_.tables[t];
        ForeignKeyLink link;
        link.table = t;
        for (const std::string& name : key.columns) {
            const auto it = std::find_if(table.columns.begin(), table.columns.end(),
                                         [&](const IndexColumn& c) { return c.name == name; });
            if (it == table.columns.end())
                return Report("G305", table, key.line,
                              fmt::format("Fremdschlüssel nennt die Spalte {}, die es in der "
                                          "Tabelle nicht gibt.",
                                          name));
            link.columns.push_back(static_cast<size_t>(it - table.columns.begin()));
        }
        std::vector<size_t> named, withKey;
        for (size_t i = 0; i < model_.tables.size(); ++i) {
            if (model_.tables[i].name != key.references) continue;
            named.push_back(i);
            if (!PrimaryKeyColumns(model_.tables[i]).empty()) withKey.push_back(i);
        }
        if (named.empty())
            return Report("G304", table, key.line,
                          fmt::format("Fremdschlüssel verweist auf Tabelle „{}“, die im Index "
                                      "nicht beschrieben ist.",
                                      key.references));
        if (withKey.empty())
            return Report("G304", table, key.line,
                          fmt::format("Fremdschlüssel verweist auf Tabelle {}, die keinen "
                                      "Primärschlüssel hat.",
                                      key.references));
        if (withKey.size() > 1)
            return Report("G304", table, key.line,
                          fmt::format("Fremdschlüssel verweist auf Tabelle {}; mehrere Tabellen "
                                      "dieses Namens haben einen Primärschlüssel.",
                                      key.references));
        link.target = withKey.front();
        const IndexTable& target = model_.tables[link.target];
        link.targetColumns = PrimaryKeyColumns(target);
        if (link.targetColumns.size() != link.columns.size())
            return Report(
                "G304", table, key.line,
                fmt::format("Fremdschlüssel hat {} Spalten, der Primärschlüssel von "
                            "Tabelle {} hat {}.",
                            link.columns.size(), key.references, link.targetColumns.size()));
        if (!MatchByName(table, key, target, link)) return;
        for (size_t i = 0; i < link.columns.size(); ++i) {
            const IndexColumn& own = table.columns[link.columns[i]];
            const IndexColumn& other = target.columns[link.targetColumns[i]];
            if (own.type != other.type)
                Report("G309", table, key.line,
                       fmt::format("Fremdschlüssel {} ist {}, der Primärschlüssel {} von Tabelle "
                                   "{} ist {}.",
                                   own.name, TypeName(own.type), other.name, key.references,
                                   TypeName(other.type)));
        }
        relations_.links.push_back(std::move(link));
    }

    // Puts the key's columns in the order of the primary key they name: by Alias, or by their own
    // names when each is a column of that key; else they stay in place, as position names them.
    // False when an Alias names no column of either (reported).
    bool MatchByName(const IndexTable& table, const IndexForeignKey& key, const IndexTable& target,
                     ForeignKeyLink& link) {
        std::vector<std::string> named = key.columns;
        for (const auto& [from, to] : key.aliases) {
            const auto it = std::find(key.columns.begin(), key.columns.end(), from);
            if (it == key.columns.end()) {
                Report("G305", table, key.line,
                       fmt::format("Alias nennt die Spalte {}, die der Fremdschlüssel nicht "
                                   "nennt.",
                                   from));
                return false;
            }
            named[static_cast<size_t>(it - key.columns.begin())] = to;
        }
        const auto inKey = [&](const std::string& name) {
            return std::find_if(link.targetColumns.begin(), link.targetColumns.end(),
                                [&](size_t c) { return target.columns[c].name == name; });
        };
        const bool byName =
            !key.aliases.empty() || std::all_of(named.begin(), named.end(), [&](const auto& n) {
                return inKey(n) != link.targetColumns.end();
            });
        if (!byName) return true;
        std::vector<size_t> ordered(link.columns.size(), SIZE_MAX);
        for (size_t i = 0; i < named.size(); ++i) {
            const auto at = inKey(named[i]);
            if (at == link.targetColumns.end()) {
                Report("G305", table, key.line,
                       fmt::format("Fremdschlüssel nennt für die Spalte {} die Spalte {} von "
                                   "Tabelle {}, die nicht zu deren Primärschlüssel gehört.",
                                   key.columns[i], named[i], key.references));
                return false;
            }
            ordered[static_cast<size_t>(at - link.targetColumns.begin())] = link.columns[i];
        }
        for (size_t i = 0; i < ordered.size(); ++i)
            if (ordered[i] == SIZE_MAX) {
                Report("G304", table, key.line,
                       fmt::format("Fremdschlüssel nennt keine Spalte für {} des "
                                   "Primärschlüssels von Tabelle {}.",
                                   target.columns[link.targetColumns[i]].name, key.references));
                return false;
            }
        link.columns = std::move(ordered);
        return true;
    }

    // Referenced tables first; a table waits until every table it names is placed, unless the
    // remaining ones wait for each other: then the first of them goes next.
    std::vector<size_t> ReadingOrder() const {
        const size_t n = model_.tables.size();
        std::vector<bool> placed(n, false);
        std::vector<size_t> order;
        while (order.size() < n) {
            size_t next = n;
            for (size_t t = 0; t < n && next == n; ++t) {
                if (placed[t]) continue;
                const bool waits = std::any_of(
                    relations_.links.begin(), relations_.links.end(), [&](const ForeignKeyLink& l) {
                        return l.table == t && l.target != t && !placed[l.target];
                    });
                if (!waits) next = t;
            }
            if (next == n)
                next = static_cast<size_t>(std::find(placed.begin(), placed.end(), false) -
                                           placed.begin());
            placed[next] = true;
            order.push_back(next);
        }
        return order;
    }

    const IndexModel& model_;
    FindingSink& sink_;
    MediumRelations relations_;
};

}  // namespace

MediumRelations ResolveRelations(const IndexModel& model, FindingSink& sink) {
    return Resolver(model, sink).Resolve();
}

}  // namespace norvik
