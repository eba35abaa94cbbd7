// The delivered attenuation table MUs_202202.data: layout, reference values, physics.

#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tolerance.h"

namespace {

constexpr int kRows = 1000;
constexpr std::size_t kRowWidth = 74;
constexpr double kKeVPerRow = 0.5;

enum Column { kEnergy = 0, kW = 1, kAl = 2, kCu = 3, kBe = 4, kAirMuEn = 5 };
constexpr std::array<double, 6> kDensity{0, 19.3, 2.699, 8.96, 1.848, 1};  // [g/cm3]; air stays per mass

std::string DeliveredTableBytes() {
  std::ifstream in(KESTRIX_DELIVERED_DATA "/MUs_202202.data", std::ios::binary);
  EXPECT_TRUE(in) << "cannot open the delivered table";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines without their CR LF; fails the test on any other line end.
std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text after the last CR LF";
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Whole field as one number, or failure.
double FieldNumber(const std::string& field, int row) {
  const char* begin = field.c_str();
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  EXPECT_TRUE(end != begin && *end == '\0') << "row " << row << ": field \"" << field << "\"";
  return value;
}

// Rows parsed by fixed columns, the way the engine reads them; index 0 is row 1.
std::vector<std::array<double, 6>> FixedColumnRows() {
  std::vector<std::array<double, 6>> rows;
  for (const std::string& line : CrLfLines(DeliveredTableBytes())) {
    std::array<double, 6> row{};
    row[0] = FieldNumber(line.substr(0, 9), static_cast<int>(rows.size()) + 1);
    for (int c = 1; c < 6; ++c) {
      row[c] = FieldNumber(line.substr(9 + 13 * (c - 1), 13), static_cast<int>(rows.size()) + 1);
    }
    rows.push_back(row);
  }
  return rows;
}

double At(const std::vector<std::array<double, 6>>& rows, double energyKeV, Column column) {
  const int row = static_cast<int>(std::lround(energyKeV / kKeVPerRow));
  return rows.at(static_cast<std::size_t>(row - 1))[column];
}

TEST(DeliveredAttenuationTable, HasOneThousandFixedColumnRowsWithCrLf) {
  const std::vector<std::string> lines = CrLfLines(DeliveredTableBytes());
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kRows));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    ASSERT_EQ(line.size(), kRowWidth) << "row " << i + 1;
    ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos) << "row " << i + 1;
    ASSERT_NE(line[0], ' ') << "row " << i + 1 << ": the energy starts in column 1";
    for (int c = 0; c < 5; ++c) {
      const std::string field = line.substr(9 + 13 * c, 13);
      ASSERT_EQ(field[0], ' ') << "row " << i + 1 << ": coefficient " << c + 1 << " needs a leading blank";
      ASSERT_NE(field.find('.'), std::string::npos) << "row " << i + 1;
    }
    // List input sees exactly six numbers per line.
    std::istringstream list(line);
    std::vector<double> numbers;
    double number = 0;
    while (list >> number) numbers.push_back(number);
    ASSERT_TRUE(list.eof()) << "row " << i + 1 << ": an item is not a number";
    ASSERT_EQ(numbers.size(), 6u) << "row " << i + 1;
  }
}

TEST(DeliveredAttenuationTable, EnergyColumnStatesTheRowEnergyInKeV) {
  const auto rows = FixedColumnRows();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));
  for (int i = 1; i <= kRows; ++i) {
    // E9.3 keeps three significant digits.
    EXPECT_REL_NEAR(rows[static_cast<std::size_t>(i - 1)][kEnergy], kKeVPerRow * i, 5e-3) << "row " << i;
  }
}

TEST(DeliveredAttenuationTable, MatchesNistWithinOnePercent) {
  const auto rows = FixedColumnRows();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));
  const struct {
    Column column;
    double energyKeV;
    double nistPerMass;  // mu/rho or, for air, mu_en/rho [cm2/g]
  } references[] = {
      {kW, 30, 22.73},      {kW, 100, 4.438},      {kW, 300, 0.3238},      {kAl, 30, 1.128},
      {kAl, 100, 0.1704},   {kAl, 300, 0.1042},    {kCu, 30, 10.92},       {kCu, 100, 0.4584},
      {kCu, 300, 0.1119},   {kBe, 30, 0.1797},     {kBe, 100, 0.1328},     {kBe, 300, 0.09463},
      {kAirMuEn, 20, 0.5389}, {kAirMuEn, 30, 0.1537}, {kAirMuEn, 100, 0.02325}, {kAirMuEn, 300, 0.02872},
  };
  for (const auto& r : references) {
    EXPECT_REL_NEAR(At(rows, r.energyKeV, r.column), r.nistPerMass * kDensity[r.column], 0.01)
        << "column " << r.column + 1 << " at " << r.energyKeV << " keV";
  }
}

TEST(DeliveredAttenuationTable, CoefficientsArePositiveAndEdgesJumpWhereTheyBelong) {
  const auto rows = FixedColumnRows();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (int c = kW; c <= kAirMuEn; ++c) {
      ASSERT_GT(rows[i][c], 0.0) << "row " << i + 1 << " column " << c + 1;
    }
  }
  // Tungsten K edge (69.5 keV): about a fivefold jump between the 69.5 and 70.0 keV rows.
  EXPECT_GT(At(rows, 70.0, kW) / At(rows, 69.5, kW), 4.0);
  // Copper K edge (8.98 keV) and aluminium K edge (1.56 keV).
  EXPECT_GT(At(rows, 9.0, kCu) / At(rows, 8.5, kCu), 5.0);
  EXPECT_GT(At(rows, 2.0, kAl) / At(rows, 1.5, kAl), 2.0);
  // Beryllium has no edge on the grid: its attenuation falls at every step.
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_LT(rows[i][kBe], rows[i - 1][kBe]) << "row " << i + 1;
  }
  // Away from the W edges, more energy means less attenuation in tungsten.
  for (double e = 70.5; e <= 500.0; e += 0.5) {
    ASSERT_LT(At(rows, e, kW), At(rows, e - 0.5, kW)) << e << " keV";
  }
}

TEST(DeliveredAttenuationTable, AirColumnFollowsTheNistTableAtItsOwnEnergies) {
  const auto rows = FixedColumnRows();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));
  // Rows at a tabulated NIST energy hold that row's value (rounded to six digits).
  EXPECT_REL_NEAR(At(rows, 1.0, kAirMuEn), 3599.0, 1e-6);
  EXPECT_REL_NEAR(At(rows, 4.0, kAirMuEn), 76.36, 1e-6);
  EXPECT_REL_NEAR(At(rows, 150.0, kAirMuEn), 0.02496, 1e-6);
  EXPECT_REL_NEAR(At(rows, 500.0, kAirMuEn), 0.02966, 1e-6);
  // 3.5 keV lies above the argon K edge (3.2029 keV): log-log from the upper edge row to 4 keV.
  const double fraction = std::log(3.5 / 3.2029) / std::log(4.0 / 3.2029);
  EXPECT_REL_NEAR(At(rows, 3.5, kAirMuEn), std::exp(std::log(146.0) + fraction * std::log(76.36 / 146.0)), 1e-5);
}

}  // namespace
