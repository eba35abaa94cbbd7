// The delivered data's folder beside the program and the choice between the working folder and it.

#include "data_folder.h"

#include <gtest/gtest.h>

#include "scratch_folder.h"

namespace kestrix {
namespace {

using test::ScratchFolder;
using test::WriteBytes;

TEST(DataFolder, IsShareKestrixBesideTheProgramsFolder) {
  EXPECT_EQ(std::filesystem::u8path(DeliveredDataFolder("/opt/k/bin/Quillon")), std::filesystem::u8path("/opt/k/share/kestrix"));
  EXPECT_EQ(DeliveredDataFolder(""), "");
  const std::string program = ProgramFilePath();
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::u8path(program))) << program;
}

TEST(DataFolder, WorkingFolderFirstThenTheDeliveredFileThenTheNameAsAsked) {
  ScratchFolder working, delivered;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(working.path());
  WriteBytes(delivered / "Sn.ele", "tin");
  WriteBytes(delivered / "Cu.ele", "copper");
  WriteBytes(working / "Cu.ele", "own copper");
  const std::string data = delivered.path().u8string();
  EXPECT_EQ(std::filesystem::u8path(WorkingOrDeliveredFile("Sn.ele", data)), delivered / "Sn.ele");
  EXPECT_EQ(WorkingOrDeliveredFile("Cu.ele", data), "Cu.ele");
  EXPECT_EQ(WorkingOrDeliveredFile("Al.ele", data), "Al.ele");
  EXPECT_EQ(WorkingOrDeliveredFile("Sn.ele", ""), "Sn.ele");
  EXPECT_EQ(WorkingOrDeliveredFile("sub/Sn.ele", data), "sub/Sn.ele");  // a named folder is kept
  std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace kestrix
