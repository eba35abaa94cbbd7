#include "entry_review.h"

#include <QRegularExpression>

#include "input_number.h"
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
  }
  return QString();
}

RunInputTexts ToRunInputTexts(const EntryTexts& t) {
  return RunInputTexts{t[0].toStdString(), t[1].toStdString(), t[2].toStdString(),
                       t[3].toStdString(), t[4].toStdString(), t[5].toStdString()};
}

EntryReview ReviewEntries(const EntryTexts& typed, SpectrumModel model) {
  EntryReview review;
  review.shown = typed;
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
  if (!StartsWithNumber(ascii[angle])) {
    review.refusedBox = EntryBox::TargetAngle;
    review.refusal = (ascii[angle].trimmed().isEmpty()
                          ? Tr("「ターゲット角度」が空です。")
                          : Tr("「ターゲット角度」の「") + typed[angle] + Tr("」は数ではありません。")) +
                     Tr("角度を度の数で入力して下さい。");
    return review;
  }

  review.shown = ascii;
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
  const RunEntries entries = ParseRunEntries(texts);
  review.inputs = CorrectRunEntries(entries, model);
  if (review.inputs.tubeVoltageText) {
    review.shown[0] = QString::fromStdString(*review.inputs.tubeVoltageText);
    if (entries.tubeVoltageKV != review.inputs.kVp) {
      const bool above = entries.tubeVoltageKV > kMaximumTubeVoltage;
      review.corrections << Tr("Ｘ線管電圧 ") + Number(entries.tubeVoltageKV) +
                                (above ? Tr(" kV は上限の ") : Tr(" kV は下限の ")) +
                                review.shown[0] +
                                (above ? Tr(" kV を超えるため、") : Tr(" kV 以下のため、")) +
                                review.shown[0] + Tr(" kV で計算しました。");
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
