// olive-batch past one machine: MPI ranks, job-array shards and their merge, and a batch stopped
// at any point and resumed. Each leaves the shared files of olive run once per station in the
// list's order, apart from the clock's texts.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "batch_test_support.h"
#include "driver/batch.h"
#include "driver/run.h"

namespace olive {
namespace {

namespace fs = std::filesystem;
using batch_testing::ExpectSameSharedFiles;
using batch_testing::kOlive;
using batch_testing::kOliveBatch;
using batch_testing::ReadText;
using batch_testing::RunIn;
using batch_testing::Split;
using batch_testing::WriteStation;
using batch_testing::WriteText;

const std::string kMpiexec = OLIVE_MPIEXEC;
const char* const kNoMpi = "olive-batch was built without MPI (Debian: libopenmpi-dev openmpi-bin)";
const std::string kParams = "test.setup 1 1 2001 3 31 2001 30";
// A new station, a known one, the new one again, one with bad weather (it starts late), another
// new one and the first once more.
const std::vector<std::string> kStations = {"wx/A.txt",    "wx/Known.txt", "wx/A.txt",
                                            "wx/Late.txt", "wx/B.txt",     "wx/A.txt"};
const std::string kList = "@stations.txt";

void PrepareFolder(const fs::path& dir) {
  fs::create_directories(dir / "lut");
  WriteText(dir / "lut/OliveSoilWater.txt",
            "Soil water conditions for each weather station location.\n"
            "Station\tSoilWater\tSoilWaterMax\tPermanentWiltingPoint\n"
            "Known.txt\t3000.00\t4000.00\t1000.00\n");
  WriteText(dir / "test.setup", run_testing::ExampleSetup({{run_testing::kLineDaily, "F"}}));
  WriteStation(dir / "wx/A.txt", "Alpha", 2001, 1, 1, 100);
  WriteStation(dir / "wx/B.txt", "Beta", 2001, 1, 1, 100);
  WriteStation(dir / "wx/Known.txt", "Known", 2001, 1, 1, 100);
  WriteStation(dir / "wx/Late.txt", "Late", 2001, 2, 1, 100);
  std::string list;
  for (const std::string& s : kStations) list += s + "\n";
  WriteText(dir / "stations.txt", list);
}

// A scratch root for the test, with "seq": olive run once per station, in order.
class Cluster : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / (std::string("olive_cluster_") + info->name());
    fs::remove_all(root_);
    PrepareFolder(seq());
    for (const std::string& w : kStations) {
      RunIn(seq(), "'" + kOlive + "' " + kParams + " " + w + " >/dev/null 2>&1");
    }
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path seq() const { return root_ / "seq"; }
  // A fresh folder prepared as seq was before its runs.
  fs::path Folder(const std::string& name) const {
    PrepareFolder(root_ / name);
    return root_ / name;
  }
  // olive-batch with options in dir, on the list; its exit code.
  static int Batch(const fs::path& dir, const std::string& options,
                   const std::string& redirect = ">/dev/null 2>&1") {
    return RunIn(dir,
                 "'" + kOliveBatch + "' " + options + " " + kParams + " " + kList + " " + redirect);
  }
  static std::string Mpirun(int ranks) {
    // OpenMPI refuses root without these; the sanitizers' leak check would report MPI's own.
    return "OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 ASAN_OPTIONS=detect_leaks=0 "
           "'" +
           kMpiexec + "' --oversubscribe -n " + std::to_string(ranks) + " ";
  }

  fs::path root_;
};

// No half row in any shared table file.
void ExpectWholeRows(const fs::path& dir) {
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (!name.starts_with("OUT") && name != "OliveSummaries.txt" && name != "GisFilesList.txt") {
      continue;
    }
    const std::string text = ReadText(e.path());
    EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << name << " ends in a half row";
  }
}

TEST_F(Cluster, OneTwoAndThreeMpiRanksLeaveTheFilesOfSequentialRuns) {
  if (kMpiexec.empty()) GTEST_SKIP() << kNoMpi;
  for (int n = 1; n <= 3; ++n) {
    const fs::path dir = Folder("mpi" + std::to_string(n));
    EXPECT_EQ(RunIn(dir, Mpirun(n) + "'" + kOliveBatch + "' --mpi -j 1 " + kParams + " " + kList +
                             " >stdout.txt 2>stderr.txt"),
              kBatchStationFailed)
        << n << " ranks";  // the late weather stops one station
    ExpectSameSharedFiles(seq(), dir);
    EXPECT_NE(
        ReadText(dir / "stderr.txt").find("olive-batch: 5 stations ran, 1 failed, 0 skipped; "),
        std::string::npos);
  }
}

TEST_F(Cluster, RanksThatSeeAnotherBatchStopAtOnceAndRunNothing) {
  if (kMpiexec.empty()) GTEST_SKIP() << kNoMpi;
  const fs::path dir = Folder("mpi");
  WriteText(dir / "other.setup", ReadText(dir / "test.setup") + "\n");
  const std::string batch = "'" + kOliveBatch + "' --mpi ";
  const int code =
      RunIn(dir, Mpirun(1) + batch + kParams + " " + kList + " : -n 1 " + batch +
                     "other.setup 1 1 2001 3 31 2001 30 " + kList + " >/dev/null 2>stderr.txt");
  EXPECT_EQ(code, kBatchStationFailed);
  EXPECT_NE(ReadText(dir / "stderr.txt")
                .find("olive-batch: rank(s) 1 of 2 see another batch than rank 0 (another setup "
                      "file, station list or command line"),
            std::string::npos)
      << ReadText(dir / "stderr.txt");
  EXPECT_FALSE(fs::exists(dir / "GisFilesList.txt"));
  EXPECT_FALSE(fs::exists(dir / "olive-batch.ledger"));
}

// The pid of the rank of an mpirun started as pid launcher, once it runs (0 when none).
pid_t RankProcess(pid_t launcher, int rank) {
  for (const auto& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = ReadText(e.path() / "stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    const std::vector<std::string> fields = Split(stat.substr(close + 2), " ");
    if (fields.size() < 2 || std::stol(fields[1]) != launcher) continue;
    const std::string env = ReadText(e.path() / "environ");
    if (env.find(std::string("OMPI_COMM_WORLD_RANK=") + std::to_string(rank) + '\0') !=
        std::string::npos) {
      return static_cast<pid_t>(std::stol(name));
    }
  }
  return 0;
}

TEST_F(Cluster, AKilledRankEndsTheJobWithAnErrorAndResumeCompletesTheFiles) {
  if (kMpiexec.empty()) GTEST_SKIP() << kNoMpi;
  // Long enough to be killed in the middle: the list forty times over.
  std::vector<std::string> many;
  for (int i = 0; i < 40; ++i) many.insert(many.end(), kStations.begin(), kStations.end());
  std::string list;
  for (const std::string& s : many) list += s + "\n";
  fs::path want = Folder("want");
  WriteText(want / "stations.txt", list);
  ASSERT_EQ(Batch(want, "-j 2"), kBatchStationFailed);

  for (const int victim : {1, 0}) {
    const fs::path dir = Folder("killed" + std::to_string(victim));
    WriteText(dir / "stations.txt", list);
    const pid_t launcher = fork();
    ASSERT_GE(launcher, 0);
    if (launcher == 0) {
      ASSERT_EQ(chdir(dir.c_str()), 0);
      const std::string command = "exec env " + Mpirun(2) + "'" + kOliveBatch + "' --mpi -j 1 " +
                                  kParams + " " + kList + " >/dev/null 2>stderr.txt";
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    // Once the first stations are committed, the rank is killed.
    pid_t rank = 0;
    for (int i = 0; i < 4000; ++i) {
      if (rank == 0) rank = RankProcess(launcher, victim);
      if (rank != 0 &&
          ReadText(dir / "olive-batch.ledger").find("\ndone\t1\t") != std::string::npos) {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_NE(rank, 0);
    kill(rank, SIGKILL);
    int status = 0;
    waitpid(launcher, &status, 0);
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "rank " << victim;
    EXPECT_EQ(ReadText(dir / "olive-batch.ledger").find("\ncomplete\t"), std::string::npos);
    ExpectWholeRows(dir);
    EXPECT_EQ(Batch(dir, "--resume -j 2"), kBatchStationFailed);
    ExpectSameSharedFiles(want, dir);
  }
}

TEST_F(Cluster, ShardsAndTheirMergeLeaveTheFilesOfSequentialRunsAndTheDailyFiles) {
  const fs::path dir = Folder("shards");
  for (const char* shard : {"1/3", "2/3", "3/3"}) {
    Batch(dir, std::string("--daily days --shard ") + shard + " --journal-dir journals");
  }
  EXPECT_EQ(batch_testing::SharedFileNames(dir),
            (std::set<std::string>{"errorlog", "lut/OliveSoilWater.txt"}));
  // A shard run again with --resume keeps the journals it finds whole.
  Batch(dir, "--daily days --resume --shard 2/3 --journal-dir journals", ">/dev/null 2>again.txt");
  EXPECT_TRUE(ReadText(dir / "again.txt")
                  .starts_with("olive-batch shard 2/3: 0 stations ran, 0 failed, 2 skipped; "))
      << ReadText(dir / "again.txt");
  EXPECT_EQ(Batch(dir, "merge --daily days --journal-dir journals", "2>stderr.txt"),
            kBatchStationFailed);
  ExpectSameSharedFiles(seq(), dir);
  EXPECT_NE(
      ReadText(dir / "stderr.txt").find("olive-batch merge: 5 stations ran, 1 failed, 0 skipped; "),
      std::string::npos);
  // The daily files of one batch.
  const fs::path one = Folder("one");
  Batch(one, "--daily days");
  for (const char* name : {"A_OliveDaily.txt", "B_OliveDaily.txt", "Known_OliveDaily.txt"}) {
    const std::vector<std::string> want = Split(ReadText(one / "days" / name), "\r\n");
    const std::vector<std::string> got = Split(ReadText(dir / "days" / name), "\r\n");
    ASSERT_EQ(got.size(), want.size()) << name;
    for (std::size_t i = 1; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << name;
  }
}

TEST_F(Cluster, AMergeRefusesMissingDuplicatedDamagedAndForeignJournalsAndCommitsNothing) {
  const fs::path dir = Folder("refused");
  Batch(dir, "--shard 1/2 --journal-dir j");
  Batch(dir, "--shard 2/2 --journal-dir j");
  const fs::path j = dir / "j";
  fs::remove(j / "station-00000002.shard-2-of-2.journal");
  fs::copy_file(j / "station-00000003.shard-1-of-2.journal",
                j / "station-00000003.shard-3-of-3.journal");
  std::string bytes = ReadText(j / "station-00000005.shard-1-of-2.journal");
  bytes[bytes.size() / 2] ^= 1;
  WriteText(j / "station-00000005.shard-1-of-2.journal", bytes);
  // A journal of the same station made with another setup file.
  const fs::path other = Folder("other");
  WriteText(other / "test.setup", ReadText(other / "test.setup") + "\n");
  Batch(other, "--shard 2/2 --journal-dir j");
  fs::copy_file(other / "j/station-00000006.shard-2-of-2.journal",
                j / "station-00000006.shard-2-of-2.journal", fs::copy_options::overwrite_existing);

  EXPECT_EQ(Batch(dir, "merge --journal-dir j", ">/dev/null 2>stderr.txt"), kBatchStationFailed);
  EXPECT_EQ(ReadText(dir / "stderr.txt"),
            "olive-batch merge: the journals in \"j\" cannot be merged; nothing was committed:\n"
            "  missing: station runs 2 (wx/Known.txt)\n"
            "  duplicated: station-00000003.shard-1-of-2.journal, "
            "station-00000003.shard-3-of-3.journal\n"
            "  damaged: station-00000005.shard-1-of-2.journal (its checksum does not match its "
            "contents (damaged))\n"
            "  made with another command line or setup file: station-00000006.shard-2-of-2.journal "
            "(made with another command line or setup file)\n");
  EXPECT_EQ(batch_testing::SharedFileNames(dir),
            (std::set<std::string>{"errorlog", "lut/OliveSoilWater.txt"}));
  EXPECT_EQ(ReadText(dir / "errorlog"), "");
  EXPECT_FALSE(fs::exists(dir / "olive-batch.ledger"));
}

// Whether strace can kill a process at a system call here.
bool CanInjectKills(const fs::path& dir) {
  return RunIn(dir, "strace -f -qq -o /dev/null true >/dev/null 2>&1") == 0;
}

TEST_F(Cluster, ABatchKilledAtARandomPointAndResumedFiveTimesLeavesTheFilesOfAnUninterruptedRun) {
  const fs::path want = Folder("want");
  ASSERT_EQ(Batch(want, "-j 2"), kBatchStationFailed);
  const bool strace = CanInjectKills(want);
  // The calls that change the shared files and the ledger: writes, flushes, cuts and renames.
  const std::vector<std::string> calls = {"write", "fdatasync", "ftruncate", "rename"};
  std::random_device seed;
  std::mt19937 random(seed());
  for (int round = 1; round <= 5; ++round) {
    const fs::path dir = Folder("round" + std::to_string(round));
    std::string when;
    if (strace) {
      const std::string call = calls[random() % calls.size()];
      const std::string n = std::to_string(1 + random() % (call == "write" ? 60 : 12));
      when = call + " #" + n;
      RunIn(dir, "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null -e trace=" + call +
                     " -e inject=" + call + ":signal=KILL:when=" + n + " '" + kOliveBatch +
                     "' -j 2 " + kParams + " " + kList + " >/dev/null 2>&1");
    } else {
      // Without strace: a kill after a random time.
      const int ms = static_cast<int>(random() % 60);
      when = std::to_string(ms) + " ms";
      RunIn(dir, "('" + kOliveBatch + "' -j 2 " + kParams + " " + kList +
                     " >/dev/null 2>&1 & p=$!; sleep 0." + std::to_string(100 + ms).substr(1) +
                     "; kill -9 $p; wait $p) >/dev/null 2>&1");
    }
    ExpectWholeRows(dir);
    const int code = Batch(dir, "--resume -j 2");
    EXPECT_TRUE(code == kBatchStationFailed) << "killed at " << when << ": " << code;
    ExpectSameSharedFiles(want, dir);
    if (HasFailure()) {
      ADD_FAILURE() << "killed at " << when;
      return;
    }
  }
}

TEST_F(Cluster, TheLedgerRecordsTheBatchAndRefusesAnotherBatchOrAPlainRestart) {
  if (!CanInjectKills(seq())) GTEST_SKIP() << "strace cannot stop processes here";
  // An unfinished batch: stopped as it writes the third station's "begin" record.
  fs::path dir;
  for (int n = 1; n < 80; ++n) {
    dir = Folder("ledger" + std::to_string(n));
    RunIn(dir,
          "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null -e trace=write "
          "-e inject=write:signal=KILL:when=" +
              std::to_string(n) + " '" + kOliveBatch + "' -j 1 " + kParams + " " + kList +
              " >/dev/null 2>&1");
    if (ReadText(dir / "olive-batch.ledger")
            .ends_with("\ndone\t1\texit=0\tseed=12345\twx/Known.txt\n")) {
      break;
    }
  }
  ASSERT_TRUE(ReadText(dir / "olive-batch.ledger").ends_with("wx/Known.txt\n"));
  const std::map<std::string, std::string> before = [&] {
    std::map<std::string, std::string> bytes;
    for (const std::string& n : batch_testing::SharedFileNames(dir)) bytes[n] = ReadText(dir / n);
    return bytes;
  }();
  EXPECT_EQ(Batch(dir, "", ">/dev/null 2>stderr.txt"), kBatchStationFailed);
  EXPECT_TRUE(ReadText(dir / "stderr.txt")
                  .starts_with("olive-batch: an unfinished batch's ledger ./olive-batch.ledger is "
                               "in this folder (started "))
      << ReadText(dir / "stderr.txt");
  EXPECT_NE(ReadText(dir / "stderr.txt")
                .find(", 2 of 6 station runs committed): run the same command with --resume to "
                      "complete it, or remove olive-batch.ledger to start anew\n"),
            std::string::npos);
  EXPECT_EQ(RunIn(dir, "'" + kOliveBatch + "' --resume test.setup 1 1 2001 3 30 2001 30 " + kList +
                           " >/dev/null 2>stderr.txt"),
            kBatchStationFailed);
  EXPECT_NE(ReadText(dir / "stderr.txt")
                .find("belongs to another batch: its command line is \"test.setup 1 1 2001 3 31 "
                      "2001 30 @stations.txt\", not \"test.setup 1 1 2001 3 30 2001 30 "
                      "@stations.txt\""),
            std::string::npos)
      << ReadText(dir / "stderr.txt");
  for (const auto& [name, bytes] : before) EXPECT_EQ(ReadText(dir / name), bytes) << name;

  EXPECT_EQ(Batch(dir, "--resume"), kBatchStationFailed);
  ExpectSameSharedFiles(seq(), dir);
  // Its record: the version, the seeds, the start and end, each station's exit code and seed.
  const std::string ledger = ReadText(dir / "olive-batch.ledger");
  EXPECT_TRUE(ledger.starts_with("olive-batch ledger\t1\nversion\t1.0.0\nid\t")) << ledger;
  EXPECT_NE(ledger.find("\nseeds\tRandSeed 12345\nstarted\t"), std::string::npos);
  EXPECT_NE(ledger.find("\nresumed\t"), std::string::npos);
  EXPECT_NE(ledger.find("\ndone\t3\texit=1\tseed=12345\twx/Late.txt\n"), std::string::npos);
  EXPECT_NE(ledger.find("\ndone\t5\texit=0\tseed=12345\twx/A.txt\n"), std::string::npos);
  EXPECT_NE(ledger.find("\tran=3\tfailed=1\tskipped=2\texit=1\n"), std::string::npos) << ledger;
  // Complete: --resume has nothing to do; a new batch keeps the record under its start time.
  EXPECT_EQ(Batch(dir, "--resume", ">/dev/null 2>stderr.txt"), kBatchStationFailed);
  EXPECT_EQ(ReadText(dir / "stderr.txt"),
            "olive-batch: the batch of ./olive-batch.ledger is complete; nothing to resume\n");
  const std::string started = ledger.substr(ledger.find("\nstarted\t") + 9, 19);
  EXPECT_EQ(Batch(dir, "--temp-increments 1"), kBatchStationFailed);
  std::string record = "olive-batch." + started + ".ledger";
  std::replace(record.begin(), record.end(), ' ', 'T');
  std::replace(record.begin(), record.end(), ':', '-');
  EXPECT_EQ(ReadText(dir / record), ledger);
  EXPECT_NE(ReadText(dir / "olive-batch.ledger").find("\ncommand\t--temp-increments 1 test.setup"),
            std::string::npos);
}

TEST(ClusterCommandLine, ShardsMergesAndMpiAreCheckedAndTheBarCountsScenarios) {
  const std::vector<std::string> base = {"s", "1", "1", "2001", "3", "31", "2001", "30", "w"};
  auto refusal = [&](std::vector<std::string> front) {
    front.insert(front.end(), base.begin(), base.end());
    BatchOptions o;
    std::string error;
    EXPECT_FALSE(ParseBatchArgs(front, o, error));
    return error;
  };
  EXPECT_EQ(refusal({"--shard", "0/3", "--journal-dir", "j"}),
            "--shard must be K/N with whole numbers 1 <= K <= N, not \"0/3\"");
  EXPECT_EQ(refusal({"--shard=4/3", "--journal-dir", "j"}),
            "--shard must be K/N with whole numbers 1 <= K <= N, not \"4/3\"");
  EXPECT_EQ(refusal({"--shard", "1/2"}), "--shard needs --journal-dir DIR");
  EXPECT_EQ(refusal({"merge"}), "merge needs --journal-dir DIR");
  EXPECT_EQ(refusal({"--journal-dir", "j"}), "--journal-dir goes with --shard or merge");
  EXPECT_EQ(refusal({"--mpi", "--shard", "1/2", "--journal-dir", "j"}),
            "--shard and --mpi do not go together");

  // What the batch is, not how it runs.
  BatchOptions o;
  std::string error;
  const std::vector<std::string> args = {
      "merge", "-j", "2",  "--journal-dir", "j",  "--resume", "--daily", "d", "s", "1", "1",
      "2001",  "3",  "31", "2001",          "30", "w"};
  ASSERT_TRUE(ParseBatchArgs(args, o, error)) << error;
  EXPECT_TRUE(o.merge && o.resume);
  EXPECT_EQ(o.definingArgs, (std::vector<std::string>{"--daily", "d", "s", "1", "1", "2001", "3",
                                                      "31", "2001", "30", "w"}));

  // Without an MPI transport, --mpi is a wrong command line.
  std::vector<std::string> mpi = base;
  mpi.insert(mpi.begin(), "--mpi");
  EXPECT_EQ(RunOliveBatch(mpi, nullptr), kBatchUsage);
  EXPECT_EQ(
      ProgressLine(17, 36, 30, 3),
      "olive-batch [###########.............] 5/12 stations, scenario 2/3, 0:30 elapsed, 0:34 "
      "left");
  EXPECT_NE(ProgressLine(36, 36, 30, 3).find("] 12/12 stations, scenario 3/3, 0:30 elapsed"),
            std::string::npos);
  EXPECT_EQ(SummaryLine("olive-batch", 35, 1, 12, 360, 2.5),
            "olive-batch: 35 stations ran, 1 failed, 12 skipped; 360.0 station-years in 2.5 s, "
            "144.0 station-years/s");
}

}  // namespace
}  // namespace olive
