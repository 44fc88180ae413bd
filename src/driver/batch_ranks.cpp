// olive-batch as the ranks of an MPI job: every rank runs stations on its threads, rank 0 hands
// them out one at a time as ranks ask (so a slow station holds no rank idle) and alone commits,
// in the list's order, the journals that the other ranks send it. Only the main thread of a rank
// sends and receives; it looks for messages every millisecond and never blocks in a receive, so
// that a waiting rank leaves its core to the simulations.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/batch_engine.h"
#include "io/error_log.h"

namespace olive {
namespace batch_engine {
namespace {

constexpr auto kPoll = std::chrono::milliseconds(1);

std::string PositionBytes(std::size_t k) {
  std::string bytes(8, '\0');
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(static_cast<uint64_t>(k) >> (8 * i));
  return bytes;
}

bool PositionOf(const std::string& bytes, std::size_t& k) {
  if (bytes.size() != 8) return false;
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(static_cast<uint8_t>(bytes[i])) << (8 * i);
  k = static_cast<std::size_t>(v);
  return true;
}

}  // namespace

// Every rank says what batch it sees (its identity: the command line, the setup file's checksum,
// the station list) and how many threads it runs; rank 0 checks them, prepares the commits and
// tells every rank whether to go on: verdict is "-1" to go on, else the exit code.
bool Batch::RanksAgree(unsigned slots, std::string& verdict) {
  const std::string mine = ChecksumText(batchId_) + " " + std::to_string(slots);
  const std::vector<std::string> all = ranks_->Gather(mine);
  int code = -1;
  if (role_ == Role::MpiRoot) {
    std::size_t total = 0;
    std::string differ;
    for (std::size_t r = 0; r < all.size(); ++r) {
      if (all[r].substr(0, 16) != mine.substr(0, 16)) {
        differ += (differ.empty() ? "" : ", ") + std::to_string(r);
      }
      total += std::strtoul(all[r].c_str() + std::min<std::size_t>(17, all[r].size()), nullptr, 10);
    }
    if (!differ.empty()) {
      std::fprintf(stderr,
                   "olive-batch: rank(s) %s of %d see another batch than rank 0 (another setup "
                   "file, station list or command line: identity %s on rank 0); nothing ran\n",
                   differ.c_str(), ranks_->Size(), ChecksumText(batchId_).c_str());
      code = kBatchStationFailed;
    }
    window_ = std::max<std::size_t>(2, 8 * std::max<std::size_t>(1, total));
    verdict = std::to_string(code);
  }
  verdict = ranks_->Broadcast(verdict);
  return verdict == "-1";
}

// Answers a rank's request: a station, or "stop" when none is left; false when nothing can start
// now (the rank waits for a later commit).
bool Batch::HandOut(int rank) {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::ptrdiff_t k = PickLocked();
  if (k >= 0) {
    jobs_[static_cast<std::size_t>(k)].state = Job::State::Running;
    ++started_;
    lock.unlock();
    ranks_->Send(rank, kTagJob, PositionBytes(static_cast<std::size_t>(k)));
    return true;
  }
  if (started_ < toStart_ && !stopped_) return false;
  lock.unlock();
  ranks_->Send(rank, kTagStop, std::string());
  return true;
}

void Batch::PumpRanks() {
  int from = 0, tag = 0;
  std::string bytes;
  while (ranks_->Receive(from, tag, bytes)) {
    if (tag == kTagRequest) {
      if (!HandOut(from)) waitingRanks_.push_back(from);
    } else if (tag == kTagResult) {
      auto record = std::make_unique<JournalRecord>();
      const JournalDecode status = DecodeJournalRecord(bytes, *record);
      const std::size_t k = static_cast<std::size_t>(record->position);
      if (status != JournalDecode::Ok || record->batchId != batchId_ || k >= jobs_.size() ||
          jobs_[k].state != Job::State::Running) {
        std::fprintf(stderr,
                     "olive-batch: rank %d sent a journal that cannot be committed (%s); the job "
                     "ends (complete it with --resume)\n",
                     from,
                     status != JournalDecode::Ok ? JournalDecodeProblem(status).c_str()
                                                 : "not a station it was given");
        ranks_->Abort(kBatchStationFailed);
      }
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!stopped_)
        jobs_[k].outcome = std::make_unique<StationOutcome>(std::move(record->outcome));
      jobs_[k].state = Job::State::Done;
    } else if (tag == kTagBye) {
      rankDone_[static_cast<std::size_t>(from)] = true;
    }
  }
  while (!waitingRanks_.empty() && HandOut(waitingRanks_.front())) waitingRanks_.pop_front();
}

// After the last commit: every rank is told to stop, and, once it has sent all it ran, the
// batch's exit code.
void Batch::FinishRanks(int code) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = stopped_ || nextCommit_ < jobs_.size();
  }
  while (std::find(rankDone_.begin(), rankDone_.end(), false) != rankDone_.end()) {
    PumpRanks();
    std::this_thread::sleep_for(kPoll);
  }
  for (int r = 1; r < ranks_->Size(); ++r) ranks_->Send(r, kTagFinal, std::to_string(code));
}

int Batch::RunRoot() {
  ErrorLog log((workdir_ / "errorlog").string(), stderr);
  toStart_ = jobs_.size();
  std::string verdict;
  if (!RanksAgree(ThreadCount(), verdict)) return std::stoi(verdict);
  const int refused = Prepare(log);
  ranks_->Broadcast(std::to_string(refused));  // the other ranks go on only when it is -1
  if (refused >= 0) return refused;
  rankDone_.assign(static_cast<std::size_t>(ranks_->Size()), false);
  rankDone_[0] = true;
  StartThreads(ThreadCount());
  int code = Commits(log);
  FinishRanks(code);
  JoinThreads();
  return Conclude(code, "olive-batch");
}

// Asks rank 0 for a station for each free thread and sends it the finished ones; false once the
// rank has nothing more to ask, run or send.
bool Batch::AskAndSend(RankWork& w) {
  std::vector<std::size_t> send;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t busy = active_ + handed_.size() + w.requested; !w.stop && busy < w.slots;
         ++busy, ++w.requested) {
      ranks_->Send(0, kTagRequest, std::string());
    }
    send.assign(finished_.begin(), finished_.end());
    finished_.clear();
    if (w.stop && w.requested == 0 && handed_.empty() && active_ == 0 && send.empty()) {
      return false;
    }
  }
  for (const std::size_t k : send) {
    const JournalRecord record{batchId_, k, std::move(*jobs_[k].outcome)};
    jobs_[k].outcome.reset();
    ranks_->Send(0, kTagResult, EncodeJournalRecord(record));
  }
  return true;
}

// Takes rank 0's answers: stations for the threads, "stop", or the batch's exit code.
void Batch::TakeAnswers(RankWork& w) {
  int from = 0, tag = 0;
  std::string bytes;
  while (ranks_->Receive(from, tag, bytes)) {
    std::size_t k = 0;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (tag == kTagJob && PositionOf(bytes, k) && k < jobs_.size()) {
      handed_.push_back(k);
      --w.requested;
      workCv_.notify_one();
    } else if (tag == kTagStop) {
      w.stop = true;
      --w.requested;
    } else if (tag == kTagFinal) {
      w.code = std::atoi(bytes.c_str());
    }
  }
}

int Batch::RunRankWorker() {
  toStart_ = jobs_.size();
  RankWork w;
  w.slots = ThreadCount();
  std::string verdict;
  if (!RanksAgree(static_cast<unsigned>(w.slots), verdict)) return std::stoi(verdict);
  verdict = ranks_->Broadcast(std::string());  // rank 0's preparation
  if (verdict != "-1") return std::stoi(verdict);

  StartThreads(static_cast<unsigned>(w.slots));
  while (AskAndSend(w)) {
    TakeAnswers(w);
    if (w.code >= 0) break;  // rank 0 ended early
    std::unique_lock<std::mutex> lock(mutex_);
    doneCv_.wait_for(lock, kPoll, [&] { return !finished_.empty(); });
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  JoinThreads();
  ranks_->Send(0, kTagBye, std::string());
  while (w.code < 0) {
    TakeAnswers(w);
    std::this_thread::sleep_for(kPoll);
  }
  return w.code;
}

}  // namespace batch_engine
}  // namespace olive
