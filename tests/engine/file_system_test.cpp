// Bounded reads: whole regular files only, refused at once otherwise, with the file named.

#include "file_system.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "scratch_folder.h"

namespace kestrix {
namespace {

using test::ScratchFolder;
using test::WriteBytes;

std::string RefusalOf(const std::string& path) {
  try {
    ReadFileBytes(path);
  } catch (const FileSystemError& error) {
    return error.what();
  }
  return "";
}

TEST(ReadFileBytes, ReadsTheWholeFileByteForByteAlsoUnderAJapaneseName) {
  ScratchFolder folder;
  // A path from narrow text on Windows would be in the ANSI code page: u8path keeps UTF-8.
  const std::filesystem::path japanese = folder.path() / std::filesystem::u8path("\u30c7\u30fc\u30bf");  // データ
  std::filesystem::create_directory(japanese);
  const std::string bytes = std::string("line\r\nnul\0byte\r\n\x1a end", 21);
  const std::filesystem::path lead = japanese / std::filesystem::u8path("\u925b.ele");  // 鉛.ele
  WriteBytes(lead, bytes);
  EXPECT_EQ(ReadFileBytes(lead.u8string()), bytes);
  WriteBytes(folder / "empty", "");
  EXPECT_EQ(ReadFileBytes((folder / "empty").u8string()), "");
}

TEST(ReadFileBytes, RefusesWhatIsNotAReadableFileNamingIt) {
  ScratchFolder folder;
  const std::string missing = (folder / "MUs_202202.data").u8string();
  EXPECT_EQ(RefusalOf(missing), "cannot read \"" + missing + "\": No such file or directory");
  const std::string inMissingFolder = (folder / "no such folder" / "Sn.ele").u8string();
  EXPECT_EQ(RefusalOf(inMissingFolder), "cannot read \"" + inMissingFolder + "\": No such file or directory");
  const std::string folderPath = folder.path().u8string();
  EXPECT_EQ(RefusalOf(folderPath), "cannot read \"" + folderPath + "\": it is a folder, not a file");
}

TEST(ReadFileBytes, RefusesAFileLargerThanTheLimitWithoutReadingIt) {
  ScratchFolder folder;
  const std::filesystem::path huge = folder / "B_SPCTL.temp";
  WriteBytes(huge, "");
  std::filesystem::resize_file(huge, kMaximumReadBytes + 1);
  EXPECT_EQ(RefusalOf(huge.u8string()),
            "cannot read \"" + huge.u8string() + "\": it is larger than 16 MiB, more than any valid file");
  std::filesystem::resize_file(huge, kMaximumReadBytes);
  EXPECT_EQ(ReadFileBytes(huge.u8string()).size(), kMaximumReadBytes);
}

}  // namespace
}  // namespace kestrix
