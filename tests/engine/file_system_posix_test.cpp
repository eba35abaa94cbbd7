// What only POSIX systems have: FIFOs, devices, permission bits and the superuser.

#include "file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "atomic_file.h"
#include "scratch_folder.h"

namespace kestrix {
namespace {

using test::ReadBytes;
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

TEST(ReadFileBytesPosix, RefusesFifosAndDevicesAtOnce) {
  ScratchFolder folder;
  const std::string fifo = (folder / "B_SPCTL.temp").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // no writer: a blocking open would wait for ever
  EXPECT_EQ(RefusalOf(fifo), "cannot read \"" + fifo + "\": it is not a regular file");
  EXPECT_EQ(RefusalOf("/dev/zero"), "cannot read \"/dev/zero\": it is not a regular file");
}

TEST(SaveFileAtomicallyPosix, KeepsThePermissionBitsOfTheReplacedFile) {
  ScratchFolder folder;
  const std::string path = (folder / "beam.csv").string();
  WriteBytes(path, "old\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  SaveFileAtomically(path, [](std::ostream& out) { out << "new\r\n"; });
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadBytes(path), "new\r\n");
}

TEST(SaveFileAtomicallyPosix, ReadOnlyFileIsRefusedEvenForTheSuperuser) {
  ScratchFolder folder;
  const std::string path = (folder / "HVL_S2.temp").string();
  WriteBytes(path, "kept\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  try {
    SaveFileAtomically(path, [](std::ostream& out) { out << "new\r\n"; });
    ADD_FAILURE() << "the read-only file was replaced";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot save \"" + path + "\": the file is read-only");
  }
  EXPECT_EQ(ReadBytes(path), "kept\r\n");
  EXPECT_EQ(folder.EntryCount(), 1);
}

}  // namespace
}  // namespace kestrix
