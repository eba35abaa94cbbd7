// The exchange pair saved as one: all or nothing, modes kept, and never mixed by two writers.

#include "exchange_folder.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "exchange_files.h"
#include "file_system.h"
#include "scratch_folder.h"

namespace kestrix {
namespace {

using test::MessageOf;
using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

TEST(SaveExchangePair, WritesBothFilesAndTheOthersOrNoneOfThem) {
  ScratchFolder folder;
  const std::string dir = folder.path().u8string();
  EXPECT_EQ(SaveExchangePair(dir, "spectrum 1", std::string("results 1"), {{(folder / "t.csv").u8string(), "table 1"}}),
            (std::vector<std::string>{ExchangePath(dir, kSpectrumExchangeFile), ExchangePath(dir, kResultFile)}));
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), "spectrum 1");
  EXPECT_EQ(ReadBytes(folder / kResultFile), "results 1");
  EXPECT_EQ(ReadBytes(folder / "t.csv"), "table 1");

  // a table that cannot be written (its folder is missing) costs the old pair nothing
  const std::string message = MessageOf([&] {
    SaveExchangePair(dir, "spectrum 2", std::string("results 2"), {{(folder / "missing" / "t.csv").u8string(), "t"}});
  });
  EXPECT_NE(message.find("missing"), std::string::npos) << message;
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), "spectrum 1");
  EXPECT_EQ(ReadBytes(folder / kResultFile), "results 1");
  EXPECT_EQ(folder.EntryCount(), 3) << "no temporary file is left";

  // without results the old result file, which belongs to another spectrum, goes
  EXPECT_EQ(SaveExchangePair(dir, "spectrum 3", std::nullopt).size(), 1u);
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), "spectrum 3");
  EXPECT_FALSE(std::filesystem::exists(folder / kResultFile));
}

// What a save killed between its renames leaves: the marker with both new contents, maybe the new
// spectrum already in place, and temporary files. The next holder of the lock finishes the pair.
TEST(ExchangeFolderLock, CompletesAPairAKilledSaveLeftAndRemovesItsTemporaries) {
  ScratchFolder folder;
  const std::string dir = folder.path().u8string();
  WriteBytes(folder / kSpectrumExchangeFile, "new spectrum");
  WriteBytes(folder / kResultFile, "old results");
  WriteBytes(folder / kExchangeMarkerFile,
             "kestrix exchange pair\nB_SPCTL.temp 12\nnew spectrumHVL_S2.temp 11\nnew results");
  WriteBytes(folder / "HVL_S2.temp.tmp123456", "new results");
  WriteBytes(folder / "B_SPCTL.temp.tmp9", "half a spect");
  WriteBytes(folder / "exchange-pair.pending.tmp77", "kestrix");
  WriteBytes(folder / "HVL_S2.temp.tmpx", "not a temporary of a save");
  { ExchangeFolderLock lock(dir, std::chrono::milliseconds(0)); }
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), "new spectrum");
  EXPECT_EQ(ReadBytes(folder / kResultFile), "new results");
  EXPECT_EQ(folder.EntryCount(), 3) << "the pair and the file that only looks like a temporary";

  // a pair without results removes the old results; a marker that does not read is dropped
  WriteBytes(folder / kExchangeMarkerFile, "kestrix exchange pair\nB_SPCTL.temp 3\nnewHVL_S2.temp none\n");
  { ExchangeFolderLock lock(dir, std::chrono::milliseconds(0)); }
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), "new");
  EXPECT_FALSE(std::filesystem::exists(folder / kResultFile));
  WriteBytes(folder / kResultFile, "results");
  WriteBytes(folder / kExchangeMarkerFile, "kestrix exchange pair\nB_SPCTL.temp 300\nshort");
  { ExchangeFolderLock lock(dir, std::chrono::milliseconds(0)); }
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), "new");
  EXPECT_EQ(ReadBytes(folder / kResultFile), "results");
  EXPECT_FALSE(std::filesystem::exists(folder / kExchangeMarkerFile));
}

TEST(FolderLock, ASecondHolderWaitsBoundedAndIsToldWhy) {
  ScratchFolder folder;
  const std::string dir = folder.path().u8string();
  std::optional<FolderLock> first(std::in_place, dir, std::chrono::milliseconds(0));
  std::string message;
  std::thread second([&] {
    message = MessageOf([&] { SaveExchangePair(dir, "s", std::string("r"), {}, std::chrono::milliseconds(50)); });
  });
  second.join();
  EXPECT_EQ(message, "Cannot save the exchange files in \"" + dir + "\": another program is still replacing files in it");
  EXPECT_EQ(folder.EntryCount(), 0);
  first.reset();
  std::thread third([&] { SaveExchangePair(dir, "s", std::string("r"), {}, std::chrono::milliseconds(0)); });
  third.join();
  EXPECT_EQ(ReadBytes(folder / kResultFile), "r");
  EXPECT_NE(MessageOf([&] { FolderLock missing((folder / "missing").u8string(), std::chrono::milliseconds(0)); }), "");
}

// Two writers save their own pair into one folder at the same moment, round after round: the folder
// must always hold the two files of one writer.
TEST(SaveExchangePair, TwoWritersIntoOneFolderNeverMixTheirPairs) {
  ScratchFolder folder;
  const std::string dir = folder.path().u8string();
  // large enough that writing takes a while, so that the two saves overlap
  const std::string padding(200000, '.');
  constexpr int kRounds = 40;
  int mixed = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::atomic<int> ready{0};
    std::string failures[2];
    const auto writer = [&](int id) {
      ++ready;
      while (ready < 2) std::this_thread::yield();
      failures[id] = MessageOf([&] {
        SaveExchangePair(dir, "spectrum of " + std::to_string(id) + padding, "results of " + std::to_string(id));
      });
    };
    std::thread a(writer, 0), b(writer, 1);
    a.join();
    b.join();
    EXPECT_EQ(failures[0] + failures[1], "");
    const std::string spectrum = ReadBytes(folder / kSpectrumExchangeFile);
    const std::string results = ReadBytes(folder / kResultFile);
    if (spectrum.substr(0, 13) != "spectrum of " + results.substr(11, 1)) ++mixed;
    ASSERT_EQ(folder.EntryCount(), 2) << "no temporary file is left, round " << round;
  }
  EXPECT_EQ(mixed, 0) << "rounds that left the spectrum of one writer beside the results of the other";
}

// Saves of one file from two threads: the clean-up of each save's old temporaries must never take
// the other's temporary while it is being written.
TEST(SaveFileAtomically, TwoSavesOfOneFileNeverTakeEachOthersTemporary) {
  ScratchFolder folder;
  const std::string path = (folder / "beam.csv").u8string();
  std::string failures[2];
  const auto writer = [&](int id) {
    for (int k = 0; k < 300 && failures[id].empty(); ++k) {
      failures[id] = MessageOf([&] { SaveFileAtomically(path, [&](std::ostream& out) { out << id << ' ' << k; }); });
    }
  };
  std::thread a(writer, 0), b(writer, 1);
  a.join();
  b.join();
  EXPECT_EQ(failures[0], "");
  EXPECT_EQ(failures[1], "");
  EXPECT_EQ(folder.EntryCount(), 1);
}

}  // namespace
}  // namespace kestrix
