// The table of standard radiation qualities: the delivered file, look-up, and refused tables.

#include "radiation_quality.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

const char* kHeader = "name\tstandard\tkV\tbe_mm\tal_mm\tfilters\tnominal_hvl1_al_mm\n";

std::string ReadError(const std::string& text) {
  std::istringstream in(text);
  try {
    ReadRadiationQualities(in, "q.tsv");
  } catch (const RadiationQualityError& error) {
    return error.what();
  }
  return "";
}

TEST(RadiationQualities, DeliveredTableHoldsTheNHAndRqrSeries) {
  const std::vector<RadiationQuality> all =
      LoadRadiationQualities(std::string(KESTRIX_DELIVERED_DATA) + "/" + kRadiationQualitiesFile);
  EXPECT_EQ(all.size(), 10u + 7u + 9u);

  const RadiationQuality* n120 = FindRadiationQuality(all, "N-120");
  ASSERT_NE(n120, nullptr);
  EXPECT_EQ(n120->standard, "ISO 4037");
  EXPECT_EQ(n120->tubeVoltageKV, 120);
  EXPECT_EQ(*n120->berylliumMm, 1);
  EXPECT_EQ(*n120->aluminiumMm, 4);
  ASSERT_EQ(n120->filters.size(), 2u);
  EXPECT_EQ(n120->filters[0].material, "Cu");
  EXPECT_EQ(n120->filters[0].thicknessMm, 5);
  EXPECT_EQ(n120->filters[1].material, "Sn");
  EXPECT_FALSE(n120->nominalHvl1AlMm);
  EXPECT_EQ(FindRadiationQuality(all, "h60"), FindRadiationQuality(all, "H-60"));

  const double nominal[] = {1.42, 1.78, 2.19, 2.58, 3.01, 3.48, 3.97, 5.00, 6.57};
  const double kV[] = {40, 50, 60, 70, 80, 90, 100, 120, 150};
  for (int k = 0; k < 9; ++k) {
    const RadiationQuality* rqr = FindRadiationQuality(all, "RQR" + std::to_string(k + 2));
    ASSERT_NE(rqr, nullptr) << k;
    EXPECT_EQ(*rqr->nominalHvl1AlMm, nominal[k]);
    EXPECT_EQ(rqr->tubeVoltageKV, kV[k]);
    EXPECT_FALSE(rqr->berylliumMm);
    EXPECT_TRUE(rqr->filters.empty());
  }
  EXPECT_EQ(FindRadiationQuality(all, "RQR11"), nullptr);
  EXPECT_EQ(FindRadiationQuality(all, "-"), nullptr);
}

TEST(RadiationQualities, UnusableTablesAreRefusedNamingTheLine) {
  EXPECT_EQ(ReadError(""), "q.tsv: no radiation qualities");
  EXPECT_EQ(ReadError("# only\nname\tkV\n"),
            "q.tsv, line 2: the header is not the tab-separated columns name ... nominal_hvl1_al_mm");
  EXPECT_EQ(ReadError(std::string(kHeader) + "N-1\tISO\t30\t1\t4\t-\n"), "q.tsv, line 2: 6 tab-separated fields instead of 7");
  EXPECT_EQ(ReadError(std::string(kHeader) + "N-1\tISO\t-30\t1\t4\t-\t-\n"),
            "q.tsv, line 2: kV \"-30\" is not a positive number");
  EXPECT_EQ(ReadError(std::string(kHeader) + "N-1\tISO\t30\t1\t4\tCu0.2\t-\n"),
            "q.tsv, line 2: filter \"Cu0.2\" is not material:mm");
  EXPECT_EQ(ReadError(std::string(kHeader) + "N-1\tISO\t30\t1\t4\t-\t-\r\nn1\tISO\t40\t1\t4\t-\t-\r\n"),
            "q.tsv, line 3: quality n1 again");
  EXPECT_EQ(ReadError(std::string(kHeader) + "R\tIEC\t30\t1\t4\t-\t2\n"),
            "q.tsv, line 2: quality R needs either be_mm and al_mm or a nominal_hvl1_al_mm");
  EXPECT_EQ(ReadError(std::string(kHeader) + "R\tIEC\t30\t-\t-\t-\t-\n"),
            "q.tsv, line 2: quality R needs either be_mm and al_mm or a nominal_hvl1_al_mm");
  EXPECT_NE(ReadError(std::string(kHeader)).find("no radiation qualities"), std::string::npos);
  EXPECT_THROW(LoadRadiationQualities("/nonexistent/q.tsv"), RadiationQualityError);
}

}  // namespace
}  // namespace kestrix
