// Atomic save: the new content appears whole, and a failure leaves the old file and no debris.

#include "atomic_file.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "engine_test_files.h"

namespace kestrix {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "";
}

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

}  // namespace
}  // namespace kestrix
