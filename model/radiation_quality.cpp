#include "radiation_quality.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "file_system.h"
#include "message_text.h"
#include "input_number.h"

namespace kestrix {
namespace {

/// the columns; a table of an earlier form ends before target, or before based_on
const std::vector<std::string> kHeaderWithFigures{"name",     "standard", "kV",           "be_mm",
                                                  "al_mm",    "filters",  "nominal_hvl1_al_mm", "based_on",
                                                  "target",   "nominal_figures"};
const std::vector<std::string> kHeaderWithTarget(kHeaderWithFigures.begin(), kHeaderWithFigures.end() - 1);
const std::vector<std::string> kHeader(kHeaderWithTarget.begin(), kHeaderWithTarget.end() - 1);

/// the figures a quality's nominal_figures may give
constexpr ExtendedFigure kNominalFigures[] = {kHvl1Al, kHvl2Al, kHvl1Cu, kHvl2Cu, kMeanEnergy};
const std::vector<std::string> kHeaderWithoutBase(kHeader.begin(), kHeader.end() - 1);

std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

/// name without hyphens, upper case: the form two spellings of one quality share
std::string NameKey(const std::string& name) {
  std::string key;
  for (const unsigned char c : name) {
    if (c != '-') key += static_cast<char>(std::toupper(c));
  }
  return key;
}

class LineReader {
 public:
  LineReader(const std::string& sourceName, int line) : where_(sourceName + ", line " + std::to_string(line)) {}

  [[noreturn]] void Fail(const std::string& what) const { throw RadiationQualityError(where_ + ": " + what); }

  double Number(const std::string& text, const std::string& column, bool zeroAllowed) const {
    const std::optional<double> value = ParseWholeNumber(text);
    if (!value || *value < 0 || (*value == 0 && !zeroAllowed)) {
      Fail(column + " " + QuotedExcerpt(text) + " is not a " + (zeroAllowed ? "non-negative" : "positive") + " number");
    }
    return *value;
  }

  std::optional<double> OptionalNumber(const std::string& text, const std::string& column, bool zeroAllowed) const {
    if (text == "-") return std::nullopt;
    return Number(text, column, zeroAllowed);
  }

  std::vector<QualityFilter> Filters(const std::string& text) const {
    std::vector<QualityFilter> filters;
    if (text == "-") return filters;
    for (const std::string& item : SplitAt(text, ';')) {
      const std::size_t colon = item.find(':');
      if (colon == std::string::npos || colon == 0) Fail("filter " + QuotedExcerpt(item) + " is not material:mm");
      filters.push_back(QualityFilter{item.substr(0, colon), Number(item.substr(colon + 1), "filter thickness", false)});
    }
    return filters;
  }

  /// the key:value items of the nominal_figures field; hvl1_al_mm only for a quality without a
  /// nominal layer of its own
  std::vector<NominalFigure> Figures(const std::string& text, bool hasNominalLayer) const {
    std::vector<NominalFigure> figures;
    if (text == "-") return figures;
    for (const std::string& item : SplitAt(text, ';')) {
      const std::size_t colon = item.find(':');
      if (colon == std::string::npos || colon == 0) Fail("nominal figure " + QuotedExcerpt(item) + " is not key:value");
      const std::string key = item.substr(0, colon);
      const ExtendedFigure* found = std::find_if(std::begin(kNominalFigures), std::end(kNominalFigures),
                                                 [&key](ExtendedFigure f) { return key == ExtendedFigureFields()[f].key; });
      if (found == std::end(kNominalFigures)) {
        Fail("nominal figure " + QuotedExcerpt(key) +
             " is not one of hvl1_al_mm, hvl2_al_mm, hvl1_cu_mm, hvl2_cu_mm, mean_energy_keV");
      }
      if (*found == kHvl1Al && hasNominalLayer) Fail("hvl1_al_mm is given in nominal_hvl1_al_mm already");
      for (const NominalFigure& earlier : figures) {
        if (earlier.figure == *found) Fail("nominal figure " + key + " again");
      }
      figures.push_back(NominalFigure{*found, Number(item.substr(colon + 1), key, false)});
    }
    return figures;
  }

  /// the quality called base that quality is realised from; fails unless base
  /// is an earlier quality of the same voltage whose added aluminium is fitted to a nominal layer
  /// of its own, and quality adds aluminium and copper only
  const RadiationQuality& Base(const RadiationQuality& quality, const std::string& base,
                               const std::vector<RadiationQuality>& earlier) const {
    if (quality.berylliumMm || quality.aluminiumMm) {
      Fail("quality " + ExcerptText(quality.name) + " is based on " + ExcerptText(base) + ", so its be_mm and al_mm are the tube's own ('-')");
    }
    const RadiationQuality* found = FindRadiationQuality(earlier, base);
    if (found == nullptr) Fail("based_on " + QuotedExcerpt(base) + " is not a quality of an earlier line");
    if (!found->basedOn.empty() || !found->nominalHvl1AlMm) {
      Fail("based_on " + ExcerptText(found->name) + " is not a quality whose added aluminium is fitted to its own nominal layer");
    }
    if (found->tubeVoltageKV != quality.tubeVoltageKV) {
      Fail("quality " + ExcerptText(quality.name) + " and its base " + ExcerptText(found->name) + " differ in tube voltage");
    }
    for (const QualityFilter& filter : quality.filters) {
      if (filter.material != "Al" && filter.material != "Cu") {
        Fail("quality " + ExcerptText(quality.name) + " adds " + ExcerptText(filter.material) + " to its base: only Al and Cu can be added");
      }
    }
    return *found;
  }

 private:
  std::string where_;
};

}  // namespace

std::vector<RadiationQuality> ReadRadiationQualities(std::istream& in, const std::string& sourceName) {
  std::vector<RadiationQuality> qualities;
  std::size_t columns = 0;  // of the header, once read
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text[0] == '#') continue;
    const LineReader reader(sourceName, line);
    const std::vector<std::string> fields = SplitAt(text, '\t');
    if (columns == 0) {
      if (fields != kHeaderWithFigures && fields != kHeaderWithTarget && fields != kHeader && fields != kHeaderWithoutBase) {
        reader.Fail("the header is not the tab-separated columns name ... nominal_hvl1_al_mm [based_on [target [nominal_figures]]]");
      }
      columns = fields.size();
      continue;
    }
    if (fields.size() != columns) {
      reader.Fail(std::to_string(fields.size()) + " tab-separated fields instead of " + std::to_string(columns));
    }
    RadiationQuality quality;
    quality.name = fields[0];
    quality.standard = fields[1];
    if (quality.name.empty() || NameKey(quality.name).empty()) reader.Fail("a quality without a name");
    if (FindRadiationQuality(qualities, quality.name) != nullptr) reader.Fail("quality " + ExcerptText(quality.name) + " again");
    quality.tubeVoltageKV = reader.Number(fields[2], "kV", false);
    quality.berylliumMm = reader.OptionalNumber(fields[3], "be_mm", true);
    quality.aluminiumMm = reader.OptionalNumber(fields[4], "al_mm", true);
    quality.filters = reader.Filters(fields[5]);
    quality.nominalHvl1AlMm = reader.OptionalNumber(fields[6], "nominal_hvl1_al_mm", false);
    const bool fixedFiltration = quality.berylliumMm && quality.aluminiumMm;
    if (fixedFiltration == quality.nominalHvl1AlMm.has_value()) {
      reader.Fail("quality " + ExcerptText(quality.name) + " needs either be_mm and al_mm or a nominal_hvl1_al_mm");
    }
    quality.fittedHvl1AlMm = quality.nominalHvl1AlMm;
    if (columns >= kHeaderWithTarget.size() && fields[8] != "-") {
      const std::optional<TargetMaterial> target = TargetFromSymbol(fields[8]);
      if (!target) {
        std::string symbols;
        for (const TargetMaterial known : TargetMaterials()) {
          symbols += (symbols.empty() ? "" : ", ") + std::string(TargetSymbol(known));
        }
        reader.Fail("target " + ExcerptText(fields[8]) + " is not one of " + symbols);
      }
      quality.target = *target;
    }
    if (columns >= kHeader.size() && fields[7] != "-") {
      const RadiationQuality& base = reader.Base(quality, fields[7], qualities);
      quality.fittedHvl1AlMm = base.nominalHvl1AlMm;
      quality.basedOn = base.name;
      quality.baseFilters = base.filters;
    }
    if (columns == kHeaderWithFigures.size()) quality.nominalFigures = reader.Figures(fields[9], quality.nominalHvl1AlMm.has_value());
    qualities.push_back(quality);
  }
  if (qualities.empty()) throw RadiationQualityError(sourceName + ": no radiation qualities");
  return qualities;
}

std::vector<RadiationQuality> LoadRadiationQualities(const std::string& path) {
  std::istringstream in;
  try {
    in = std::istringstream(ReadFileBytes(path), std::ios::binary);
  } catch (const FileSystemError& error) {
    throw RadiationQualityError(error.what());
  }
  return ReadRadiationQualities(in, path);
}

const RadiationQuality* FindRadiationQuality(const std::vector<RadiationQuality>& qualities, const std::string& name) {
  const std::string wanted = NameKey(name);
  const auto found = std::find_if(qualities.begin(), qualities.end(),
                                  [&wanted](const RadiationQuality& q) { return NameKey(q.name) == wanted; });
  return found == qualities.end() ? nullptr : &*found;
}

}  // namespace kestrix
