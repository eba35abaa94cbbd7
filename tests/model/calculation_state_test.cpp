#include "calculation_state.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "scratch_folder.h"
#include "synthetic_table.h"

namespace kestrix {
namespace {

/// A file in the test's temporary folder, removed afterwards.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& text)
      : path_(::testing::TempDir() + "kestrix_table_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".data") {
    std::ofstream(path_, std::ios::binary) << text;
  }
  ~TemporaryFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string LoadErrorOf(CalculationState& state, const std::string& path) {
  try {
    state.LoadAttenuationTable(path);
  } catch (const TableLoadError& error) {
    return error.what();
  }
  return "";
}

TEST(LoadAttenuationTable, LoadsAWholeTable) {
  const TemporaryFile file(test::TableText(test::PlausibleTable()));
  CalculationState state;
  state.LoadAttenuationTable(file.path());
  EXPECT_TRUE(state.tableLoaded);
  EXPECT_EQ(state.table.muCu[333], test::PlausibleTable().muCu[333]);
}

TEST(LoadAttenuationTable, LoadingTwiceOverwritesEveryRow) {
  const TemporaryFile first(test::TableText(test::ConstantTable(1.0)));
  CalculationState state;
  state.LoadAttenuationTable(first.path());
  const TemporaryFile second(test::TableText(test::ConstantTable(3.0)));
  state.LoadAttenuationTable(second.path());
  for (int i = 1; i <= kGridLast; ++i) ASSERT_EQ(state.table.muW[i], 3.0) << "row " << i;
}

TEST(LoadAttenuationTable, AMissingFileIsNamedAndChangesNothing) {
  CalculationState state;
  const std::string message = LoadErrorOf(state, "/nonexistent/folder/MUs_202202.data");
  EXPECT_NE(message.find("\"/nonexistent/folder/MUs_202202.data\""), std::string::npos) << message;
  EXPECT_FALSE(state.tableLoaded);
}

TEST(LoadAttenuationTable, AFolderOrAHugeFileIsRefusedAtOnceNamingIt) {
  CalculationState state;
  test::ScratchFolder folder;
  std::filesystem::create_directory(folder / "MUs_202202.data");
  EXPECT_EQ(LoadErrorOf(state, (folder / "MUs_202202.data").string()),
            "The attenuation table file \"" + (folder / "MUs_202202.data").string() +
                "\" cannot be opened (it is a folder, not a file).");
  const std::filesystem::path huge = folder / "huge.data";
  test::WriteBytes(huge, "");
  std::filesystem::resize_file(huge, 1u << 30);  // sparse: nothing is read
  EXPECT_NE(LoadErrorOf(state, huge.string()).find("huge.data\" cannot be opened (it is larger than 16 MiB"),
            std::string::npos);
  EXPECT_FALSE(state.tableLoaded);
}

TEST(LoadAttenuationTable, ABadFileLeavesTheTableInUseUnchanged) {
  const TemporaryFile good(test::TableText(test::ConstantTable(2.0)));
  CalculationState state;
  state.LoadAttenuationTable(good.path());

  std::string text = test::TableText(test::ConstantTable(9.0));
  text.replace(text.find("\n", text.size() / 2) + 1, 3, "x.x");  // garble a row in the middle
  const TemporaryFile bad(text);
  const std::string message = LoadErrorOf(state, bad.path());
  EXPECT_NE(message.find(bad.path() + ", row "), std::string::npos) << message;
  EXPECT_TRUE(state.tableLoaded);
  for (int i = 1; i <= kGridLast; ++i) ASSERT_EQ(state.table.muW[i], 2.0) << "row " << i;

  const TemporaryFile shortFile(test::TableText(test::ConstantTable(9.0), 600));
  EXPECT_NE(LoadErrorOf(state, shortFile.path()).find("ends in row 601"), std::string::npos);
  EXPECT_EQ(state.table.muEnAir[600], 2.0);
}

TEST(LoadAttenuationTable, TheDeliveredTableLoads) {
  CalculationState state;
  state.LoadAttenuationTable(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile);
  ASSERT_TRUE(state.tableLoaded);
  for (int i = 1; i <= kGridLast; ++i) {
    ASSERT_GT(state.table.muW[i], 0.0) << "row " << i;
    ASSERT_GT(state.table.muEnAir[i], 0.0) << "row " << i;
  }
  // the tungsten K edge at 69.525 keV lies between bins 139 (69.5 keV) and 140 (70 keV)
  EXPECT_GT(state.table.muW[140], 3.0 * state.table.muW[139]);
}

}  // namespace
}  // namespace kestrix
