// The table of standard radiation qualities: the delivered file, look-up, and refused tables.

#include "radiation_quality.h"

#include <cstring>
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

TEST(RadiationQualities, DeliveredTableHoldsTheNHRqrRqaAndRqtSeries) {
  const std::vector<RadiationQuality> all =
      LoadRadiationQualities(std::string(KESTRIX_DELIVERED_DATA) + "/" + kRadiationQualitiesFile);
  // N, H, L, W, RQR, RQA, RQT, RQR-M, RQA-M, then the EUREF beams Mo/Rh, Rh/Rh, W/Rh at three voltages
  // and W/Ag at two
  EXPECT_EQ(all.size(), 10u + 7u + 9u + 7u + 9u + 9u + 3u + 4u + 4u + 9u + 2u);
  // the mammography qualities of a molybdenum target; every other quality's target is tungsten
  const RadiationQuality* m2 = FindRadiationQuality(all, "RQR-M2");
  ASSERT_NE(m2, nullptr);
  EXPECT_EQ(m2->target, TargetMaterial::Molybdenum);
  EXPECT_EQ(m2->tubeVoltageKV, 28);
  EXPECT_EQ(*m2->fittedHvl1AlMm, 0.31);
  ASSERT_EQ(m2->filters.size(), 1u);
  EXPECT_EQ(m2->filters[0].material, "Mo");
  EXPECT_EQ(m2->filters[0].thicknessMm, 0.032);
  EXPECT_EQ(FindRadiationQuality(all, "RQR5")->target, TargetMaterial::Tungsten);

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
    EXPECT_EQ(rqr->fittedHvl1AlMm, rqr->nominalHvl1AlMm);
    EXPECT_EQ(rqr->basedOn, "");

    // RQA: the RQR of the same voltage plus the standard's aluminium
    const double rqaAluminium[] = {4, 10, 16, 21, 26, 30, 34, 40, 45};
    const double rqaNominal[] = {2.2, 3.8, 5.4, 6.8, 8.2, 9.2, 10.1, 11.6, 13.3};
    const RadiationQuality* rqa = FindRadiationQuality(all, "RQA" + std::to_string(k + 2));
    ASSERT_NE(rqa, nullptr) << k;
    EXPECT_EQ(rqa->basedOn, rqr->name);
    EXPECT_EQ(rqa->tubeVoltageKV, kV[k]);
    EXPECT_EQ(*rqa->fittedHvl1AlMm, nominal[k]);
    EXPECT_EQ(*rqa->nominalHvl1AlMm, rqaNominal[k]);
    ASSERT_EQ(rqa->filters.size(), 1u);
    EXPECT_EQ(rqa->filters[0].material, "Al");
    EXPECT_EQ(rqa->filters[0].thicknessMm, rqaAluminium[k]);
  }
  const double rqtCopper[] = {0.2, 0.25, 0.3};
  const double rqtNominal[] = {6.9, 8.4, 10.1};
  for (int k = 0; k < 3; ++k) {
    const RadiationQuality* rqt = FindRadiationQuality(all, "rqt" + std::to_string(k + 8));
    ASSERT_NE(rqt, nullptr) << k;
    EXPECT_EQ(rqt->basedOn, "RQR" + std::to_string(k + 8));
    EXPECT_EQ(*rqt->nominalHvl1AlMm, rqtNominal[k]);
    ASSERT_EQ(rqt->filters.size(), 1u);
    EXPECT_EQ(rqt->filters[0].material, "Cu");
    EXPECT_EQ(rqt->filters[0].thicknessMm, rqtCopper[k]);
  }
  EXPECT_EQ(FindRadiationQuality(all, "RQR11"), nullptr);
  EXPECT_EQ(FindRadiationQuality(all, "-"), nullptr);
}

TEST(RadiationQualities, DeliveredTableHoldsTheMammographyQualitiesAndThePublishedFigures) {
  const std::vector<RadiationQuality> all =
      LoadRadiationQualities(std::string(KESTRIX_DELIVERED_DATA) + "/" + kRadiationQualitiesFile);
  // IEC 61267 RQA-M: the RQR-M beam of the voltage, its molybdenum filter included, plus 2 mm Al
  const double kV[] = {25, 28, 30, 35};
  const double rqrNominal[] = {0.28, 0.31, 0.33, 0.36};
  const double rqaNominal[] = {0.56, 0.60, 0.62, 0.68};
  for (int k = 0; k < 4; ++k) {
    const RadiationQuality* rqa = FindRadiationQuality(all, "RQA-M" + std::to_string(k + 1));
    ASSERT_NE(rqa, nullptr) << k;
    EXPECT_EQ(rqa->basedOn, "RQR-M" + std::to_string(k + 1));
    EXPECT_EQ(rqa->target, TargetMaterial::Molybdenum);
    EXPECT_EQ(rqa->tubeVoltageKV, kV[k]);
    EXPECT_EQ(*rqa->fittedHvl1AlMm, rqrNominal[k]);
    EXPECT_EQ(*rqa->nominalHvl1AlMm, rqaNominal[k]);
    ASSERT_EQ(rqa->baseFilters.size(), 1u);
    EXPECT_EQ(rqa->baseFilters[0].material, "Mo");
    EXPECT_EQ(rqa->baseFilters[0].thicknessMm, 0.032);
    ASSERT_EQ(rqa->filters.size(), 1u);
    EXPECT_EQ(rqa->filters[0].material, "Al");
    EXPECT_EQ(rqa->filters[0].thicknessMm, 2);
  }
  // an RQA of a tungsten RQR carries no material filter of its base
  EXPECT_TRUE(FindRadiationQuality(all, "RQA5")->baseFilters.empty());

  // the EUREF beams: fixed filtration, target and filter by name, the typical HVL1 as a figure
  const RadiationQuality* wrh = FindRadiationQuality(all, "W-Rh-28");
  ASSERT_NE(wrh, nullptr);
  EXPECT_EQ(wrh->target, TargetMaterial::Tungsten);
  EXPECT_EQ(*wrh->berylliumMm, 1);
  EXPECT_EQ(*wrh->aluminiumMm, 0);
  ASSERT_EQ(wrh->filters.size(), 1u);
  EXPECT_EQ(wrh->filters[0].material, "Rh");
  EXPECT_EQ(wrh->filters[0].thicknessMm, 0.05);
  EXPECT_FALSE(wrh->nominalHvl1AlMm);
  ASSERT_EQ(wrh->nominalFigures.size(), 1u);
  EXPECT_EQ(wrh->nominalFigures[0].figure, kHvl1Al);
  EXPECT_EQ(wrh->nominalFigures[0].value, 0.54);
  EXPECT_EQ(FindRadiationQuality(all, "rhrh31")->target, TargetMaterial::Rhodium);
  EXPECT_EQ(FindRadiationQuality(all, "Mo-Rh-25")->nominalFigures[0].value, 0.40);
  EXPECT_TRUE(FindRadiationQuality(all, "W-Ag-28")->nominalFigures.empty());

  // N and H: NIST's measured first and second layers, in copper from N-40 and H-60 on
  const RadiationQuality* n60 = FindRadiationQuality(all, "N-60");
  ASSERT_EQ(n60->nominalFigures.size(), 2u);
  EXPECT_EQ(n60->nominalFigures[0].figure, kHvl1Cu);
  EXPECT_EQ(n60->nominalFigures[0].value, 0.241);
  EXPECT_EQ(n60->nominalFigures[1].figure, kHvl2Cu);
  EXPECT_EQ(n60->nominalFigures[1].value, 0.271);
  const RadiationQuality* h30 = FindRadiationQuality(all, "H-30");
  ASSERT_EQ(h30->nominalFigures.size(), 2u);
  EXPECT_EQ(h30->nominalFigures[0].figure, kHvl1Al);
  EXPECT_EQ(h30->nominalFigures[1].value, 0.596);
  // L and W: the standard's filters on the N series' tube, NIST's layers (L-30 to L-100 the first alone)
  const RadiationQuality* l170 = FindRadiationQuality(all, "L-170");
  ASSERT_NE(l170, nullptr);
  ASSERT_EQ(l170->filters.size(), 3u);
  EXPECT_EQ(l170->filters[2].thicknessMm, 1.5);
  EXPECT_EQ(l170->nominalFigures[1].value, 3.592);
  const RadiationQuality* w300 = FindRadiationQuality(all, "W-300");
  ASSERT_NE(w300, nullptr);
  EXPECT_EQ(w300->tubeVoltageKV, 300);
  EXPECT_EQ(w300->nominalFigures[0].figure, kHvl1Cu);
  EXPECT_EQ(w300->nominalFigures[0].value, 5.23);
  for (const RadiationQuality& quality : all) {
    const bool firstLayerOnly = quality.name.rfind("L-", 0) == 0 && quality.tubeVoltageKV <= 100;
    if (quality.standard == "ISO 4037") EXPECT_EQ(quality.nominalFigures.size(), firstLayerOnly ? 1u : 2u) << quality.name;
    if (quality.name.rfind("RQ", 0) == 0) EXPECT_TRUE(quality.nominalFigures.empty()) << quality.name;
  }
}

TEST(RadiationQualities, NominalFiguresAreKeyedAsTheResultsAndRefusedWhenWrong) {
  const std::string header =
      std::string(kHeader, std::strlen(kHeader) - 1) + "\tbased_on\ttarget\tnominal_figures\n";
  std::istringstream good(header + "N\tISO\t60\t1\t4\tCu:0.6\t-\t-\t-\tmean_energy_keV:47.9;hvl2_cu_mm:0.27\n" +
                          "R\tIEC\t70\t-\t-\t-\t2.5\t-\t-\thvl2_al_mm:3.5\n");
  const std::vector<RadiationQuality> read = ReadRadiationQualities(good, "q.tsv");
  ASSERT_EQ(read[0].nominalFigures.size(), 2u);
  EXPECT_EQ(read[0].nominalFigures[0].figure, kMeanEnergy);  // in the table's order
  EXPECT_EQ(read[0].nominalFigures[0].value, 47.9);
  EXPECT_EQ(read[0].nominalFigures[1].figure, kHvl2Cu);
  EXPECT_EQ(read[1].nominalFigures[0].figure, kHvl2Al);
  const std::string fixed = "N\tISO\t60\t1\t4\t-\t-\t-\t-\t";
  EXPECT_EQ(ReadError(header + fixed + "hvl3_al_mm:1\n"),
            "q.tsv, line 2: nominal figure \"hvl3_al_mm\" is not one of hvl1_al_mm, hvl2_al_mm, hvl1_cu_mm, "
            "hvl2_cu_mm, mean_energy_keV");
  EXPECT_NE(ReadError(header + fixed + "homogeneity_al:0.9\n").find("is not one of"), std::string::npos);
  EXPECT_EQ(ReadError(header + fixed + "hvl1_cu_mm\n"), "q.tsv, line 2: nominal figure \"hvl1_cu_mm\" is not key:value");
  EXPECT_EQ(ReadError(header + fixed + "hvl1_cu_mm:0\n"), "q.tsv, line 2: hvl1_cu_mm \"0\" is not a positive number");
  EXPECT_EQ(ReadError(header + fixed + "hvl1_cu_mm:nan\n"), "q.tsv, line 2: hvl1_cu_mm \"nan\" is not a positive number");
  EXPECT_EQ(ReadError(header + fixed + "hvl1_cu_mm:1;hvl1_cu_mm:2\n"), "q.tsv, line 2: nominal figure hvl1_cu_mm again");
  EXPECT_EQ(ReadError(header + "R\tIEC\t70\t-\t-\t-\t2.5\t-\t-\thvl1_al_mm:2.5\n"),
            "q.tsv, line 2: hvl1_al_mm is given in nominal_hvl1_al_mm already");
  EXPECT_EQ(ReadError(header + fixed + "-\tx\n"), "q.tsv, line 2: 11 tab-separated fields instead of 10");
}

TEST(RadiationQualities, BasedQualityCarriesItsBasesMaterialFilters) {
  const std::string header = std::string(kHeader, std::strlen(kHeader) - 1) + "\tbased_on\ttarget\n";
  std::istringstream in(header + "M\tIEC\t28\t-\t-\tMo:0.032\t0.31\t-\tMo\n" +
                        "A\tIEC\t28\t-\t-\tAl:2\t0.6\tM\tMo\n");
  const std::vector<RadiationQuality> read = ReadRadiationQualities(in, "q.tsv");
  ASSERT_EQ(read[1].baseFilters.size(), 1u);
  EXPECT_EQ(read[1].baseFilters[0].material, "Mo");
  EXPECT_EQ(read[1].baseFilters[0].thicknessMm, 0.032);
  EXPECT_TRUE(read[0].baseFilters.empty());
  EXPECT_TRUE(read[1].nominalFigures.empty());  // a table without the column has none
}

TEST(RadiationQualities, UnusableTablesAreRefusedNamingTheLine) {
  EXPECT_EQ(ReadError(""), "q.tsv: no radiation qualities");
  EXPECT_EQ(ReadError("# only\nname\tkV\n"),
            "q.tsv, line 2: the header is not the tab-separated columns name ... nominal_hvl1_al_mm [based_on "
            "[target [nominal_figures]]]");
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

TEST(RadiationQualities, BasedQualitiesNameAnEarlierFittedQualityOfTheirVoltage) {
  const std::string header = std::string(kHeader, std::strlen(kHeader) - 1) + "\tbased_on\n";
  const std::string rqr = "R\tIEC\t70\t-\t-\t-\t2.5\t-\n";
  std::istringstream good(header + rqr + "A\tIEC\t70\t-\t-\tAl:21;Cu:0.1\t6.8\tr\n");
  const std::vector<RadiationQuality> read = ReadRadiationQualities(good, "q.tsv");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1].basedOn, "R");  // the base's own spelling
  EXPECT_EQ(*read[1].fittedHvl1AlMm, 2.5);
  EXPECT_EQ(*read[1].nominalHvl1AlMm, 6.8);
  EXPECT_EQ(ReadError(header + rqr + "A\tIEC\t70\t-\t-\tAl:21\t6.8\tX\n"),
            "q.tsv, line 3: based_on \"X\" is not a quality of an earlier line");
  const std::string huge(100000, 'z');
  EXPECT_EQ(ReadError(header + rqr + "A\tIEC\t70\t-\t-\tAl:21\t6.8\t" + huge + "\n"),
            "q.tsv, line 3: based_on \"" + std::string(80, 'z') + "... (100000 bytes)\" is not a quality of an earlier line");
  EXPECT_LT(ReadError(header + rqr + huge + "\tIEC\t80\t-\t-\tAl:21\t6.8\tR\n").size(), 300u);
  EXPECT_EQ(ReadError(header + "A\tIEC\t70\t-\t-\tAl:21\t6.8\tR\n" + rqr),
            "q.tsv, line 2: based_on \"R\" is not a quality of an earlier line");
  EXPECT_EQ(ReadError(header + "N\tISO\t70\t1\t4\t-\t-\t-\nA\tIEC\t70\t-\t-\tAl:21\t6.8\tN\n"),
            "q.tsv, line 3: based_on N is not a quality whose added aluminium is fitted to its own nominal layer");
  EXPECT_EQ(ReadError(header + rqr + "A\tIEC\t80\t-\t-\tAl:21\t6.8\tR\n"),
            "q.tsv, line 3: quality A and its base R differ in tube voltage");
  EXPECT_EQ(ReadError(header + rqr + "A\tIEC\t70\t-\t-\tSn:1\t6.8\tR\n"),
            "q.tsv, line 3: quality A adds Sn to its base: only Al and Cu can be added");
  EXPECT_EQ(ReadError(header + rqr + "A\tIEC\t70\t1\t4\tAl:21\t-\tR\n"),
            "q.tsv, line 3: quality A is based on R, so its be_mm and al_mm are the tube's own ('-')");
  EXPECT_EQ(ReadError(header + rqr + "A\tIEC\t70\t-\t-\tAl:21\t6.8\tR\tx\n"),
            "q.tsv, line 3: 9 tab-separated fields instead of 8");
  // the target column: W where '-', the element's symbol otherwise
  const std::string withTarget = header.substr(0, header.size() - 1) + "\ttarget\n";
  std::istringstream targets(withTarget + "M\tIEC\t28\t-\t-\tMo:0.032\t0.31\t-\tMo\nW\tIEC\t70\t-\t-\t-\t2.5\t-\t-\n");
  const std::vector<RadiationQuality> tubes = ReadRadiationQualities(targets, "q.tsv");
  EXPECT_EQ(tubes[0].target, TargetMaterial::Molybdenum);
  EXPECT_EQ(tubes[1].target, TargetMaterial::Tungsten);
  EXPECT_EQ(ReadError(withTarget + "M\tIEC\t28\t-\t-\t-\t0.31\t-\tCu\n"),
            "q.tsv, line 2: target Cu is not one of W, Mo, Rh, Ag, Au");
}

}  // namespace
}  // namespace kestrix
