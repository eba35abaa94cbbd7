// A program killed at any moment while it replaces the exchange pair: the next holder of the
// folder's lock finds the old pair or the new one, never the spectrum of one beside the results of
// the other, and no temporary file.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "exchange_files.h"
#include "exchange_folder.h"
#include "scratch_folder.h"

namespace kestrix {
namespace {

using test::ReadBytes;
using test::ScratchFolder;

TEST(SaveExchangePair, AKillAtARandomMomentLeavesOnePairWhole) {
  ScratchFolder folder;
  const std::string dir = folder.path().u8string();
  // large enough that a save takes a while, so that kills land in every part of it
  const std::string padding(100000, '.');
  SaveExchangePair(dir, "spectrum 0" + padding, std::string("results 0"));
  std::mt19937 random(29);
  std::uniform_int_distribution<int> delayMicroseconds(0, 20000);
  constexpr int kKills = 80;
  int mixed = 0;
  int replaced = 0;
  std::string before = "0";
  for (int kill = 0; kill < kKills; ++kill) {
    int saved[2];
    ASSERT_EQ(::pipe(saved), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // saves pair after pair, numbered from the kill count, until it is killed; it tells when the
      // first pair is saved, so that each kill comes after a new pair, however loaded the machine
      for (int k = 1;; ++k) {
        const std::string n = std::to_string(kill * 1000 + k);
        try {
          SaveExchangePair(dir, "spectrum " + n + padding, "results " + n);
        } catch (...) {
          ::_exit(3);
        }
        if (k == 1 && ::write(saved[1], "1", 1) != 1) ::_exit(4);
      }
    }
    ::close(saved[1]);
    char first = 0;
    ASSERT_EQ(::read(saved[0], &first, 1), 1) << "the saving program failed before its first pair";
    ::close(saved[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving program ended by itself, status " << status;

    { ExchangeFolderLock lock(dir, std::chrono::milliseconds(1000)); }
    const std::string spectrum = ReadBytes(folder / kSpectrumExchangeFile);
    const std::string results = ReadBytes(folder / kResultFile);
    const std::string number = results.substr(8);
    if (spectrum != "spectrum " + number + padding) ++mixed;
    if (number != before) ++replaced;
    before = number;
    ASSERT_EQ(folder.EntryCount(), 2) << "a temporary file or the marker is left, kill " << kill;
  }
  EXPECT_EQ(mixed, 0) << "kills that left the spectrum of one save beside the results of another";
  EXPECT_EQ(replaced, kKills) << "every kill comes after at least one new pair";
}

}  // namespace
}  // namespace kestrix
