#pragma once
// The progress window of a GDPdU build without the window: which table is exported, its rows,
// the check, the packing, and the request to stop.

#include <cstdint>
#include <functional>
#include <string>

#include "gdpdu/tq_gdpdu.h"

namespace norvik {

class GdpduProgressForm : public GdpduBuildEvents {
  public:
    std::string table;     // "Tabelle 2 von 4: Kunden", then the check
    std::string progress;  // the rows of the current table
    int16_t percent = 0;   // the current table's bar
    bool running = false;  // between the build's start and end: "Abbrechen" usable
    // Called after every change, so that a widget repaints when the pump lets it.
    std::function<void()> changed;
    // Called when the next table or the check begins: worth showing at once.
    std::function<void()> stepped;
    // Called when the tables are about to be exported (the window appears) and when the build is
    // over (it goes before the final message).
    std::function<void()> started, ended;

    // "Abbrechen": the build stops after the current row; the folder keeps what it held.
    void Cancel();

    // A table's statement runs on the database (true) or has its first row (false).
    void StatementWaiting(bool on);

    void BuildStarted(int32_t tables) override;
    void TableStarted(int32_t number, int32_t tables, const std::string& caption) override;
    void Checking() override;
    void Packing() override;
    void BuildEnded() override;
    void RowsExported(int64_t rows) override;
    void ExportProgress(int16_t intPercent) override;

  private:
    void Changed() const;
    void Stepped() const;
};

}  // namespace norvik
