#pragma once
// A station's changes to the shared files of a working directory (the error log, the GIS files and
// their list, the summary table, the soil-water table), kept in memory in the order its run made
// them and applied only when the run is over: so that a run ended by bad input changes no shared
// file, and so that a batch can run many stations at once and still apply their changes one
// station after another, in the order of its list, exactly as separate runs would have made them.
//
// The run writes through JournalFiles (its shared-files sink) and, in a batch, JournalLog (its
// error sink) instead of the files; the commit later applies the journal through the same writers
// and locks that a run without a journal uses. The only thing a run reads from the shared files is
// its station's row in the soil-water table: the journal keeps what the first lookup found, and the
// commit checks it against the table as it is then.
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
    ListOpen,   // the start of a pass made the list of GIS files
    Row,        // a row of a table file: name, header, text (the row), listed
  };
  Kind kind = Kind::ErrorLine;
  bool listed = false;
  uint32_t header = 0;  // Row: the index of its header line in Journal::headers
  std::string name;
  std::string text;
};

struct Journal {
  std::vector<JournalEntry> entries;
  std::vector<std::string> headers;  // the header lines of the rows, each kept once
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
// their file is new, and whether its header fits, is decided when they are applied. The soil-water
// table is read once, at the first lookup; a new station's row then goes into the run's own copy,
// so that the repeated pass finds it.
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
  // The table no longer gives the station what the run's first lookup found: nothing was
  // applied, and the station must be run again.
  bool stale = false;
  // Bad input found at the commit (a file whose header has other columns than the run's, a table
  // that cannot take the station's row): reported to log; the run ends with exit code 1. Found
  // before anything is written, except where another run changed a file meanwhile.
  bool refused = false;
  // A file could not be written (reported to log); the station's later rows were not applied.
  bool writeFailed = false;
};

// A batch's station: applies its journal to the shared files in workdir, in the list's order.
// Under the soil-water table's lock, the station's lookup must still give what the run found
// (else the journal is stale and nothing is applied); then the error-log lines go to log, and,
// when the run completed, the headers are checked, the station's row is recorded, and the GIS
// rows with their list and the summary rows are written, in the run's order. A run that did not
// complete leaves only its error-log lines.
CommitResult CommitJournal(const Journal& journal, ErrorLog& log,
                           const std::filesystem::path& workdir, bool completed = true);

// A completed olive run on its own, whose messages went to log as they were reported: applies its
// journal as above. A station the run found must still have the same row (else the journal is
// stale); a station new to the table is recorded also when a run that went on at the same time
// recorded it meanwhile (the table then holds it twice, and lookups take the first row).
CommitResult CommitRun(const Journal& journal, ErrorSink& log,
                       const std::filesystem::path& workdir);

}  // namespace olive
