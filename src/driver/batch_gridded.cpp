// olive-batch over the cells of NetCDF files (--netcdf): the stations are the cells, named as
// olive-wx names their weather files, and their weather comes from memory. A reader thread reads
// the cells block after block in the list's order, one block ahead of the window of stations that
// may run, so that neither a weather file nor the whole grid's data is ever needed; a block is
// freed once its last station is committed. Each scenario reads the blocks again. With
// --netcdf-out the committed GIS rows also go to the NetCDF output.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "driver/batch_engine.h"
#include "driver/program_info.h"
#include "io/error_log.h"
#include "output/gis_output.h"
#include "output/grid_writer.h"
#include "weather/wx_series.h"

namespace olive {
namespace batch_engine {
namespace {

// Keeps a block reader's messages, for the station whose run they end.
struct KeptLines final : ErrorSink {
  std::vector<std::string> lines;
  void Report(std::string_view message) override { lines.emplace_back(message); }
};

// What the NetCDF output records of the batch: the command line that defines it (as its ledger
// has it), the setup file, the run's first day, the GIS interval and the scenarios.
GridOutputInfo OutputInfo(const BatchOptions& options) {
  GridOutputInfo info;
  info.program = "olive-batch " + std::string(OliveVersion());
  info.command = "olive-batch";
  for (const std::string& a : options.definingArgs) info.command += " " + a;
  const auto number = [&](std::size_t i) { return std::atoi(options.params[i].c_str()); };
  info.setupFile = options.params[0];
  info.startMonth = number(1);
  info.startDay = number(2);
  info.startYear = number(3);
  info.GisOutputInterval = number(7);
  info.TempIncrements = options.TempIncrements;
  return info;
}

}  // namespace

void Batch::StartReader() {
  if (source_ == nullptr) return;
  nextRead_ = firstRun_;
  reader_ = std::thread([this] { Reader(); });
}

void Batch::StopReader() {
  if (!reader_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    readerQuit_ = true;
  }
  readCv_.notify_all();
  reader_.join();
}

std::size_t Batch::BlockOfCell(std::size_t cell) const {
  std::size_t lo = 0, hi = source_->BlockCount();
  while (hi - lo > 1) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (source_->BlockFirstCell(mid) <= cell) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo;
}

void Batch::Reader() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // The next block is read a block ahead of the window of stations that may start, so that
    // the threads find the weather of the next stations read when they come to them.
    const std::size_t ahead = window_ + source_->BlockCells(0);
    readCv_.wait(lock, [&] {
      return stopped_ || readerQuit_ || nextRead_ >= jobs_.size() ||
             nextRead_ < nextCommit_ + ahead;
    });
    if (stopped_ || readerQuit_ || nextRead_ >= jobs_.size()) return;
    const std::size_t first = nextRead_ - nextRead_ % cells_;  // the scenario's first job
    const std::size_t b = BlockOfCell(nextRead_ % cells_);
    lock.unlock();
    auto block = std::make_shared<std::vector<StationSeries>>();
    KeptLines kept;
    const bool ok = source_->ReadBlock(kept, b, *block);
    lock.lock();
    TakeBlock(first, b, ok, kept.lines, block);
    nextRead_ = first + source_->BlockFirstCell(b) + source_->BlockCells(b);
    workCv_.notify_all();
    doneCv_.notify_all();
  }
}

// Hands the block's series to its stations of the scenario whose first job is first; a cell
// without series is sea. A block that could not be read ends its stations' runs, the first one
// with the reader's messages.
void Batch::TakeBlock(std::size_t first, std::size_t b, bool ok,
                      const std::vector<std::string>& lines,
                      const std::shared_ptr<std::vector<StationSeries>>& block) {
  const std::size_t c0 = source_->BlockFirstCell(b), n = source_->BlockCells(b);
  std::size_t next = 0;  // the block's next series
  bool reported = false;
  for (std::size_t c = c0; c < c0 + n; ++c) {
    Job& job = jobs_[first + c];
    if (first + c < nextRead_) continue;  // committed by the batch that --resume completes
    job.weatherReady = true;
    if (!ok) {
      job.outcome = std::make_unique<StationOutcome>();
      JournalLog log(job.outcome->journal);
      for (const std::string& line : reported ? std::vector<std::string>{} : lines) {
        log.Report(line);
      }
      reported = true;
      job.outcome->result.code = kExitBadInput;
      job.state = Job::State::Done;
      ++started_;
      continue;
    }
    if (next < block->size() && (*block)[next].cell == c) {
      job.weather = std::shared_ptr<const StationSeries>(block, &(*block)[next++]);
      continue;
    }
    job.sea = true;
    job.outcome = std::make_unique<StationOutcome>();
    job.state = Job::State::Done;
    ++started_;
  }
}

void Batch::GridRows(std::size_t k, const Journal& journal) {
  if (grid_ == nullptr) return;
  for (const JournalEntry& e : journal.entries) {
    if (e.kind != JournalEntry::Kind::Row || !e.listed || e.name == kGisEndFileName) continue;
    grid_->AddRow(k / cells_, k % cells_, e.name, journal.headers[e.header], e.text);
  }
}

int Batch::FinishGrid(ErrorLog& log, int code) {
  if (source_ == nullptr) return code;
  const bool allSea = std::all_of(jobs_.begin() + static_cast<std::ptrdiff_t>(firstRun_),
                                  jobs_.end(), [](const Job& j) { return j.sea; });
  if (allSea && firstRun_ == 0 && !jobs_.empty() && nextCommit_ == jobs_.size()) {
    // As olive-wx refuses such files.
    progress_.Clear();
    log.Report("NetCDF files: no cell has a valid temperature on any day; nothing is written.");
    return std::max(code, static_cast<int>(kBatchStationFailed));
  }
  if (grid_ == nullptr) return code;
  // Only a batch that committed every station writes the output (a stopped one leaves none).
  if (stopped_ || nextCommit_ < jobs_.size() || code == kExitWriteFailed ||
      code == kExitErrorLogFailed) {
    return code;
  }
  progress_.Clear();
  if (!grid_->Finish(log)) return std::max(code, kExitWriteFailed);
  return code;
}

}  // namespace batch_engine

int RunGriddedBatch(const BatchOptions& options, const std::filesystem::path& workdir,
                    ProgressTarget progress, const GriddedIo* gridded) {
  if (gridded == nullptr || !gridded->openWeather) {
    std::fprintf(stderr,
                 "olive-batch: --netcdf: this olive-batch was built without NetCDF support\n");
    return kBatchUsage;
  }
  std::unique_ptr<WxSeriesSource> source;
  std::unique_ptr<GridWriter> grid;
  BatchOptions cells = options;
  {
    ErrorLog log((workdir / "errorlog").string(), stderr);
    if (!log.IsOpen()) {
      std::fprintf(stderr, "olive-batch: cannot open or create the error log \"%s\"\n",
                   log.Path().c_str());
      return kExitErrorLogFailed;
    }
    source = gridded->openWeather(log, options.netcdfFiles, options.prefix);
    if (source && options.netcdfOut && gridded->makeWriter) {
      grid =
          gridded->makeWriter(log, *source, *options.netcdfOut, batch_engine::OutputInfo(options));
      if (!grid) source.reset();
    }
    if (log.WriteFailed()) return kExitErrorLogFailed;
    if (!source) return kBatchStationFailed;
  }
  cells.weatherFiles.clear();
  for (const std::string& name : source->CellNames()) cells.weatherFiles.push_back(name + ".wx");
  batch_engine::Batch batch(cells, workdir, progress, nullptr, source.get(), grid.get());
  return batch.Run();
}

}  // namespace olive
