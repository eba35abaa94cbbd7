// Each data file found on its own: the working folder first, then the delivered data; bare
// material names stand for the delivered material files.

#include "data_files.h"
#include "data_folder.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "scratch_folder.h"

namespace kestrix {
namespace {

using test::ScratchFolder;
using test::WriteBytes;

/// a working folder (the current one while the test runs) and a folder of delivered data
class DataFilesTest : public ::testing::Test {
 protected:
  DataFilesTest() : before_(std::filesystem::current_path()) {
    std::filesystem::create_directory(root_ / "work");
    std::filesystem::create_directory(root_ / "share");
    std::filesystem::current_path(root_ / "work");
    for (const char* name : {"MUs_202202.data", "RadiationQualities.tsv", "Sn.ele", "PMMA.mix", "Water.mix"}) {
      WriteBytes(root_ / "share" / name, "delivered");
    }
  }
  ~DataFilesTest() override { std::filesystem::current_path(before_); }
  std::string Delivered(const char* name) const { return (root_ / "share" / name).u8string(); }
  std::string share() const { return (root_ / "share").u8string(); }

  ScratchFolder root_;
  std::filesystem::path before_;
};

TEST_F(DataFilesTest, EachFileComesFromTheWorkingFolderWhenThereElseFromTheDeliveredData) {
  WriteBytes(root_ / "work" / "MUs_202202.data", "own");
  EXPECT_EQ(WorkingOrDeliveredFile("MUs_202202.data", share()), "MUs_202202.data");
  EXPECT_EQ(WorkingOrDeliveredFile("RadiationQualities.tsv", share()), Delivered("RadiationQualities.tsv"));
  // a name with a folder, a file found nowhere and no delivered data keep the name given
  EXPECT_EQ(WorkingOrDeliveredFile("sub/RadiationQualities.tsv", share()), "sub/RadiationQualities.tsv");
  EXPECT_EQ(WorkingOrDeliveredFile("none.tsv", share()), "none.tsv");
  EXPECT_EQ(WorkingOrDeliveredFile("RadiationQualities.tsv", ""), "RadiationQualities.tsv");
}

TEST_F(DataFilesTest, ABareMaterialNameIsTheDeliveredMaterialFile) {
  EXPECT_EQ(FindMaterialFile("Sn", share()), Delivered("Sn.ele"));
  EXPECT_EQ(FindMaterialFile("pmma", share()), Delivered("PMMA.mix"));
  EXPECT_EQ(FindMaterialFile("Water", share()), Delivered("Water.mix"));
  EXPECT_EQ(FindMaterialFile("Sn.ele", share()), Delivered("Sn.ele"));
  EXPECT_EQ(FindMaterialFile("Unobtainium", share()), "Unobtainium");
  // the working folder's own files come first: the name as it stands, then with an extension
  WriteBytes(root_ / "work" / "Sn.ele", "own");
  EXPECT_EQ(FindMaterialFile("Sn", share()), "Sn.ele");
  WriteBytes(root_ / "work" / "Sn", "own, without an extension");
  EXPECT_EQ(FindMaterialFile("Sn", share()), "Sn");
}

}  // namespace
}  // namespace kestrix
