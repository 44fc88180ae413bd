#pragma once
// A station's changes to the shared files of a working directory (the error log, the GIS files and
// their list, the summary table, the soil-water table), kept in memory in the order its run made
// them, so that a batch can run many stations at once and still apply their changes one station
// after another, in the order of its list, exactly as separate runs would have made them.
//
// The run writes through JournalLog (its error sink) and JournalFiles (its shared-files sink)
// instead of the files; CommitJournal later applies the journal through the same writers and locks
// that a run without a journal uses. The only thing a run reads from the shared files is its
// station's row in the soil-water table: the journal keeps what the first lookup found, and the
// commit checks it against the table as it is at the station's turn.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "soil/soil_water_table.h"
#include "state/shared_files.h"
#include "toolkit/error_sink.h"

namespace olive {

class ErrorLog;

// One change, in the order the run made it.
struct JournalEntry {
  enum class Kind : uint8_t {
    ErrorLine,  // text: a whole line of the error log, as formatted when it was reported
    Location,   // text: the station's Location for the messages that follow
    ListOpen,   // the start of a pass opened the list of GIS files
    Row,        // a row of a table file: name, header, text (the row), listed
  };
  Kind kind = Kind::ErrorLine;
  std::string name;
  std::string header;
  std::string text;
  bool listed = false;
};

struct Journal {
  std::vector<JournalEntry> entries;
  // The soil-water table: what the run's first lookup found, and the row it recorded when the
  // station was new.
  bool lookedUp = false;
  std::string wxstation;
  SoilWaterLookup lookup;
  bool recordsStation = false;
  WaterRec stationRow;
};

// The run's error log, kept in the journal; each line is formatted (date, time, Location) when it
// is reported, as the error log would write it.
class JournalLog final : public ErrorSink {
 public:
  explicit JournalLog(Journal& journal) : journal_(journal) {}
  void Report(std::string_view message) override;
  void SetLocation(std::string_view Location) override;

 private:
  Journal& journal_;
  std::string location_;
};

// The run's shared files, kept in the journal. Rows are taken and always succeed here; whether
// their file is new is decided when they are applied. The soil-water table is read once, at the
// first lookup; a new station's row then goes into the run's own copy, so that the repeated pass
// finds it.
class JournalFiles final : public SharedFiles {
 public:
  explicit JournalFiles(Journal& journal) : journal_(journal) {}
  void OpenGisList(RunFiles& files) override;
  bool AppendRow(RunFiles& files, ErrorSink& log, const std::filesystem::path& workdir,
                 const TableAppend& row) override;
  void GetSoilWaterConditions(ErrorSink& log, std::string_view wxstation, WaterState& w,
                              bool& SoilWaterOk, const std::filesystem::path& workdir) override;
  bool GenerateSoilwater(ErrorSink& log, std::string_view wxstation, const WaterState& w,
                         const std::filesystem::path& workdir) override;

 private:
  void ReadTable(const std::filesystem::path& workdir);

  Journal& journal_;
  bool tableRead_ = false;
  SoilWaterText table_;
};

// What applying a journal did.
struct CommitResult {
  // The table no longer gives the station what the run's first lookup found, or the station's row
  // could not be recorded: nothing was applied, and the station must be run again, directly.
  bool stale = false;
  // A row could not be written (reported to log); the station's later rows were not applied.
  bool writeFailed = false;
};

// Applies a journal to the shared files in workdir: first, under the soil-water table's lock, the
// check of the station's lookup and the recording of its row; then the error-log lines (to log),
// the GIS rows with their list and the summary rows, in the run's order.
CommitResult CommitJournal(const Journal& journal, ErrorLog& log,
                           const std::filesystem::path& workdir);

}  // namespace olive
