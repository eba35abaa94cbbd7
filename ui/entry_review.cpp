#include "entry_review.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "decimal_text.h"
#include "emission_models.h"
#include "energy_grid.h"
#include "input_number.h"
#include "off_axis.h"
#include "transmission_emission.h"
#include "ui_language.h"

namespace kestrix {
namespace {

bool IsThickness(std::size_t k) { return k >= static_cast<std::size_t>(EntryBox::Beryllium); }

QString Number(double value) { return QString::number(value, 'g', 15); }

}  // namespace

QString AsciiNumberText(const QString& text) {
  QString ascii = text;
  for (QChar& c : ascii) {
    const char16_t u = c.unicode();
    if (u >= u'０' && u <= u'９') c = QChar(u'0' + (u - u'０'));
    else if (u == u'．') c = QLatin1Char('.');
    else if (u == u'＋') c = QLatin1Char('+');
    else if (u == u'－' || u == u'−') c = QLatin1Char('-');
    else if (u == u'ｅ') c = QLatin1Char('e');
    else if (u == u'Ｅ') c = QLatin1Char('E');
    else if (u == u'　') c = QLatin1Char(' ');
  }
  return ascii;
}

bool StartsWithNumber(const QString& text) {
  static const QRegularExpression number(QStringLiteral("^[ \\t]*[+-]?([0-9]+|\\.[0-9])"));
  return number.match(text).hasMatch();
}

QString EntryBoxName(EntryBox box) {
  switch (box) {
    case EntryBox::TubeVoltage: return Tr("Ｘ線管電圧");
    case EntryBox::TargetAngle: return Tr("ターゲット角度");
    case EntryBox::Beryllium: return Tr("固有ろ過 (ベリリウム)");
    case EntryBox::AluminiumEquivalent: return Tr("固有ろ過 (アルミ当量)");
    case EntryBox::AddedAluminium: return Tr("アルミ付加フィルタ");
    case EntryBox::AddedCopper: return Tr("銅付加フィルタ");
    case EntryBox::OffAxisAlong: return Tr("軸外角度 (管軸方向)");
    case EntryBox::OffAxisAcross: return Tr("軸外角度 (管軸に直交)");
    case EntryBox::TransmissionTarget: return Tr("透過ターゲット");
  }
  return QString();
}

RunInputTexts ToRunInputTexts(const EntryTexts& t) {
  return RunInputTexts{t[0].toStdString(), t[1].toStdString(), t[2].toStdString(),
                       t[3].toStdString(), t[4].toStdString(), t[5].toStdString()};
}

VoltageRange DesktopVoltageRange(SpectrumModel model, TargetMaterial target, const TransmissionTarget& transmission) {
  VoltageRange range = ModelVoltageRange(model, target, transmission);
  range.highest = std::min(range.highest, kExchangeVoltageLimit);
  return range;
}

QString TargetName(TargetMaterial target) { return QString::fromLatin1(TargetSymbol(target)) + Tr(" ターゲット"); }

std::optional<QString> OffAxisRefusalText(double targetAngleDegrees, double alongDegrees, double acrossDegrees) {
  try {
    CosecantOfTargetAngle(targetAngleDegrees);
  } catch (const RunError&) {
    return std::nullopt;  // the run refuses the target angle itself
  }
  if (!OffAxisRefusal(targetAngleDegrees, alongDegrees, acrossDegrees)) return std::nullopt;
  const double angles[2] = {alongDegrees, acrossDegrees};
  for (int j = 0; j < 2; ++j) {
    if (!(std::fabs(angles[j]) <= kLargestOffAxisAngle)) {
      return Tr("「") + EntryBoxName(j == 0 ? EntryBox::OffAxisAlong : EntryBox::OffAxisAcross) + Tr("」の ") +
             Number(angles[j]) + Tr(" 度は範囲外です。-%1 ～ %1 度の角度を入力して下さい。").arg(Number(kLargestOffAxisAngle));
    }
  }
  // Within the largest angles only the angle along the axis can put the point behind the surface.
  return Tr("「") + EntryBoxName(EntryBox::OffAxisAlong) + Tr("」の ") + Number(alongDegrees) +
         Tr(" 度では、点がターゲット面の裏側になります。ターゲット角度 ") + Number(targetAngleDegrees) +
         Tr(" 度では、管軸方向の角度を ") + Number(-targetAngleDegrees) + Tr(" 度より大きくして下さい。");
}

std::optional<QString> TransmissionRefusalText(SpectrumModel model, TargetMaterial target,
                                               const TransmissionTarget& transmission, double kVp) {
  const std::optional<std::string> refusal = TransmissionRefusal(model, target, transmission, kVp);
  if (!refusal) return std::nullopt;
  // the window the electrons would leave, in the window's own words; any other reason as the model gives it
  const double rangeMm = WindowCsdaRangeMm(transmission.window, kVp);
  if (model == SpectrumModel::Physics && target == TargetMaterial::Tungsten && transmission.windowMm < rangeMm &&
      transmission.layerUm >= kSmallestLayerUm && transmission.layerUm <= kLargestLayerUm) {
    const QString range = QString::fromStdString(ShortestDecimal(std::ceil(rangeMm * 1e4) / 1e4));
    return Tr("透過ターゲットの窓 (%1 %2 mm) は、%3 kV の電子の飛程 %4 mm より薄いため、電子が窓を抜けてしまいます。"
              "窓を %4 mm 以上にするか、管電圧を下げて下さい。")
        .arg(QString::fromLatin1(TransmissionWindowName(transmission.window)), Number(transmission.windowMm), Number(kVp),
             range);
  }
  return Tr("透過ターゲットは計算できません: ") + QString::fromStdString(*refusal);
}

EntryReview ReviewEntries(const EntryTexts& typed, SpectrumModel model, const TubeEntries& tube) {
  EntryReview review;
  review.shown = typed;
  review.shownOffAxis = {tube.offAxisAlong, tube.offAxisAcross};
  EntryTexts ascii;
  for (std::size_t k = 0; k < kEntryBoxCount; ++k) ascii[k] = AsciiNumberText(typed[k]);

  // Refusals first, before anything is corrected: a negative thickness would amplify the beam.
  for (std::size_t k = 0; k < kEntryBoxCount; ++k) {
    if (IsThickness(k) && StartsWithNumber(ascii[k]) && ParseLeadingNumber(ascii[k].toStdString()) < 0) {
      review.refusedBox = static_cast<EntryBox>(k);
      review.refusal = Tr("「") + EntryBoxName(*review.refusedBox) +
                       Tr("」に負の値は入力できません。0 以上の値を入力して下さい。");
      return review;
    }
  }
  const std::size_t angle = static_cast<std::size_t>(EntryBox::TargetAngle);
  const bool transmission = tube.transmission.IsTransmission();
  if (!transmission && !StartsWithNumber(ascii[angle])) {
    review.refusedBox = EntryBox::TargetAngle;
    review.refusal = (ascii[angle].trimmed().isEmpty()
                          ? Tr("「ターゲット角度」が空です。")
                          : Tr("「ターゲット角度」の「") + typed[angle] + Tr("」は数ではありません。")) +
                     Tr("角度を度の数で入力して下さい。");
    return review;
  }

  // The point off the central ray: an angle that is no number is 0, one beyond the largest the
  // model takes that largest angle of its sign; the point must then lie in front of the target.
  const QString offAxisTyped[2] = {tube.offAxisAlong, tube.offAxisAcross};
  double offAxis[2] = {0, 0};
  QStringList offAxisCorrections;
  std::array<QString, 2> offAxisShown;
  for (int j = 0; j < 2; ++j) {
    const QString text = AsciiNumberText(offAxisTyped[j]);
    const QString name = EntryBoxName(j == 0 ? EntryBox::OffAxisAlong : EntryBox::OffAxisAcross);
    offAxisShown[j] = text;
    if (!StartsWithNumber(text)) {
      offAxisShown[j] = QStringLiteral("0");
      offAxisCorrections << Tr("「") + name +
                                (offAxisTyped[j].trimmed().isEmpty() ? Tr("」が空のため、")
                                                                     : Tr("」の「") + offAxisTyped[j] + Tr("」は数ではないため、")) +
                                Tr("0 度で計算しました。");
      continue;
    }
    offAxis[j] = ParseLeadingNumber(text.toStdString());
    if (std::fabs(offAxis[j]) > kLargestOffAxisAngle) {
      const double largest = std::copysign(kLargestOffAxisAngle, offAxis[j]);
      offAxisShown[j] = Number(largest);
      offAxisCorrections << name + QLatin1Char(' ') + Number(offAxis[j]) +
                                (largest > 0 ? Tr(" 度は上限の ") : Tr(" 度は下限の ")) + offAxisShown[j] +
                                (largest > 0 ? Tr(" 度を超えるため、") : Tr(" 度を下回るため、")) + offAxisShown[j] +
                                Tr(" 度で計算しました。");
      offAxis[j] = largest;
    }
  }
  if (!transmission && (offAxis[0] != 0 || offAxis[1] != 0)) {
    const double targetAngle = ParseLeadingNumber(ascii[angle].toStdString());
    if (const std::optional<QString> refusal = OffAxisRefusalText(targetAngle, offAxis[0], offAxis[1])) {
      review.refusedBox = EntryBox::OffAxisAlong;
      review.refusal = *refusal;
      return review;
    }
  }

  review.shown = ascii;
  review.shownOffAxis = offAxisShown;
  for (std::size_t k = 0; k < kEntryBoxCount; ++k) {
    if (k == angle || StartsWithNumber(ascii[k])) continue;
    const bool voltage = k == static_cast<std::size_t>(EntryBox::TubeVoltage);
    review.shown[k] = voltage ? Number(kMinimumTubeVoltage) : QStringLiteral("0");
    review.corrections << Tr("「") + EntryBoxName(static_cast<EntryBox>(k)) +
                              (typed[k].trimmed().isEmpty() ? Tr("」が空のため、")
                                                            : Tr("」の「") + typed[k] +
                                                                  Tr("」は数ではないため、")) +
                              review.shown[k] + (voltage ? QStringLiteral(" kV") : QStringLiteral(" mm")) +
                              Tr(" で計算しました。");
  }

  const RunInputTexts texts = ToRunInputTexts(review.shown);
  RunEntries entries = ParseRunEntries(texts);
  entries.target = tube.target;
  entries.characteristicLines = tube.characteristicLines;
  entries.offAxisAlongDegrees = offAxis[0];
  entries.offAxisAcrossDegrees = offAxis[1];
  entries.transmission = tube.transmission;
  // a transmission target has no angle: its box, greyed, may hold anything
  if (transmission && !StartsWithNumber(ascii[angle])) entries.targetAngleDegrees = RunEntries{}.targetAngleDegrees;
  review.inputs = CorrectRunEntries(entries, model);
  const VoltageRange range = DesktopVoltageRange(model, tube.target, tube.transmission);
  if (review.inputs.kVp > range.highest) {
    review.inputs.kVp = range.highest;
    review.inputs.tubeVoltageText = ShortestDecimal(range.highest);
  }
  if (review.inputs.tubeVoltageText) {
    review.shown[0] = QString::fromStdString(*review.inputs.tubeVoltageText);
    if (entries.tubeVoltageKV != review.inputs.kVp) {
      // the range is the model's for the target; a target other than tungsten is named with it
      const bool above = entries.tubeVoltageKV > range.highest;
      const bool tungsten = tube.target == TargetMaterial::Tungsten;
      const QString limit = transmission ? (above ? Tr(" kV は透過ターゲットの上限の ") : Tr(" kV は透過ターゲットの下限の "))
                            : tungsten   ? (above ? Tr(" kV は上限の ") : Tr(" kV は下限の "))
                                       : (above ? Tr(" kV は %1の上限の ") : Tr(" kV は %1の下限の ")).arg(TargetName(tube.target));
      review.corrections << Tr("Ｘ線管電圧 ") + Number(entries.tubeVoltageKV) + limit +
                                review.shown[0] +
                                (above ? Tr(" kV を超えるため、") : Tr(" kV 以下のため、")) +
                                review.shown[0] + Tr(" kV で計算しました。");
    }
  }
  review.corrections << offAxisCorrections;
  if (transmission) {
    if (std::optional<QString> refusal = TransmissionRefusalText(model, tube.target, tube.transmission, review.inputs.kVp)) {
      review.refusedBox = EntryBox::TransmissionTarget;
      review.refusal = *refusal;
      review.shown = typed;
      review.shownOffAxis = {tube.offAxisAlong, tube.offAxisAcross};
      review.corrections.clear();
      return review;
    }
  }
  if (review.inputs.inherentFiltrationReplaced) {
    review.shown[static_cast<std::size_t>(EntryBox::Beryllium)] = QStringLiteral("0");
    review.shown[static_cast<std::size_t>(EntryBox::AluminiumEquivalent)] = QStringLiteral("0.5");
    review.corrections << Tr("固有ろ過 (ベリリウム + アルミ当量) が 0 のため、ベリリウム 0 mm、アルミ当量 0.5 mm で計算しました。");
  }
  return review;
}

}  // namespace kestrix
