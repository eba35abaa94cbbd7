// Atomic save: the new content appears whole, and a failure leaves the old file and no debris.

#include "atomic_file.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "engine_test_files.h"

namespace kestrix {
namespace {

using test::MessageOf;
using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

TEST(SaveFileAtomically, WritesTheContentByteForByte) {
  ScratchFolder folder;
  const std::string path = (folder / "HVL_S2.temp").string();
  SaveFileAtomically(path, [](std::ostream& out) { out << " 2.345\r\n"; });
  EXPECT_EQ(ReadBytes(path), " 2.345\r\n");
  EXPECT_EQ(folder.EntryCount(), 1);
}

TEST(SaveFileAtomically, ReplacesAnExistingFile) {
  ScratchFolder folder;
  const std::string path = (folder / "HVL_S2.temp").string();
  WriteBytes(path, "old content that is longer\r\n");
  SaveFileAtomically(path, [](std::ostream& out) { out << "new\r\n"; });
  EXPECT_EQ(ReadBytes(path), "new\r\n");
  EXPECT_EQ(folder.EntryCount(), 1);
}

TEST(SaveFileAtomically, FailingWriterLeavesTheOldFileAndNoTemporaryFile) {
  ScratchFolder folder;
  const std::string path = (folder / "HVL_S2.temp").string();
  WriteBytes(path, "earlier run\r\n");
  const std::string message = MessageOf([&] {
    SaveFileAtomically(path, [](std::ostream& out) {
      out << "half";
      throw std::runtime_error("value out of range");
    });
  });
  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_NE(message.find("value out of range"), std::string::npos) << message;
  EXPECT_EQ(ReadBytes(path), "earlier run\r\n");
  EXPECT_EQ(folder.EntryCount(), 1);
}

TEST(SaveFileAtomically, MissingFolderIsReportedWithPathAndReason) {
  ScratchFolder folder;
  const std::string path = (folder / "no such folder" / "HVL_S2.temp").string();
  const std::string message = MessageOf([&] { SaveFileAtomically(path, [](std::ostream& out) { out << "x"; }); });
  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
  EXPECT_EQ(folder.EntryCount(), 0);
}

TEST(SaveFileAtomically, FailedRenameRemovesTheTemporaryFile) {
  ScratchFolder folder;
  // A folder with content where the file should go cannot be replaced by a file.
  std::filesystem::create_directories(folder / "HVL_S2.temp" / "inside");
  const std::string path = (folder / "HVL_S2.temp").string();
  const std::string message = MessageOf([&] { SaveFileAtomically(path, [](std::ostream& out) { out << "x"; }); });
  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_EQ(folder.EntryCount(), 1);
  EXPECT_TRUE(std::filesystem::is_directory(folder / "HVL_S2.temp" / "inside"));
}

TEST(SaveFileAtomically, ReadOnlyFileIsRefusedAndKept) {
  ScratchFolder folder;
  const std::filesystem::path path = folder / "beam.csv";
  WriteBytes(path, "kept\r\n");
  const auto writeBits = std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                         std::filesystem::perms::others_write;
  std::filesystem::permissions(path, writeBits, std::filesystem::perm_options::remove);
  const std::string message = MessageOf([&] { SaveFileAtomically(path.u8string(), [](std::ostream& out) { out << "x"; }); });
  EXPECT_EQ(message, "Cannot save \"" + path.u8string() + "\": the file is read-only");
  EXPECT_EQ(ReadBytes(path), "kept\r\n");
  EXPECT_EQ(folder.EntryCount(), 1);
  // writable again, so that the scratch folder can be removed on every system
  std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

TEST(SaveFileAtomically, RemovesTemporaryFilesOfKilledSavesOfTheSameFile) {
  ScratchFolder folder;
  for (const char* name : {"beam.csv.tmp123", "beam.csv.tmp7", "beam.csv.tmpx1", "other.csv.tmp5", "beam.csv.tmp"}) {
    WriteBytes(folder / name, "half");
  }
  SaveFileAtomically((folder / "beam.csv").u8string(), [](std::ostream& out) { out << "whole\r\n"; });
  EXPECT_EQ(ReadBytes(folder / "beam.csv"), "whole\r\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "beam.csv.tmp123"));
  EXPECT_FALSE(std::filesystem::exists(folder / "beam.csv.tmp7"));
  // names that a save of beam.csv never makes are left alone
  EXPECT_EQ(folder.EntryCount(), 4);
}

TEST(SaveFileAtomically, JapaneseFolderAndFileNames) {
  ScratchFolder folder;
  const std::filesystem::path data = folder.path() / std::filesystem::u8path("\u30c7\u30fc\u30bf");  // データ
  std::filesystem::create_directory(data);
  for (const char* name : {"beam.csv", "\u925b.ele"}) {  // 鉛.ele
    const std::filesystem::path path = data / std::filesystem::u8path(name);
    SaveFileAtomically(path.u8string(), [](std::ostream& out) { out << "first\r\n"; });
    SaveFileAtomically(path.u8string(), [](std::ostream& out) { out << "second\r\n"; });
    EXPECT_EQ(ReadBytes(path), "second\r\n");
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data), std::filesystem::directory_iterator()), 2);
}

}  // namespace
}  // namespace kestrix
