// The review of the main window's boxes: full-width forms, what counts as a number, the refusals
// before any correction and the corrections named for the status line.

#include <QtTest>

#include "entry_review.h"

using namespace kestrix;

namespace {

EntryTexts Typed(const char* kv, const char* angle, const char* be, const char* al, const char* added, const char* cu) {
  return {QString::fromUtf8(kv), QString::fromUtf8(angle), QString::fromUtf8(be),
          QString::fromUtf8(al), QString::fromUtf8(added), QString::fromUtf8(cu)};
}

}  // namespace

class EntryReviewTest : public QObject {
  Q_OBJECT
 private slots:
  void FullWidthFormsReadAsAscii() {
    QCOMPARE(AsciiNumberText(QStringLiteral("　－１２．５Ｅ＋１ｍｍ")), QStringLiteral(" -12.5E+1ｍｍ"));
    QCOMPARE(AsciiNumberText(QStringLiteral("−3")), QStringLiteral("-3"));
    QCOMPARE(AsciiNumberText(QStringLiteral("ー3")), QStringLiteral("ー3"));  // a long-vowel mark is no sign
  }

  void NumbersAreWhatTheCalculationReads() {
    for (const char* number : {"0", " 80kV", "\t-1", "+.5", "5.", "1e999"}) {
      QVERIFY2(StartsWithNumber(QString::fromUtf8(number)), number);
    }
    for (const char* text : {"", " ", "abc", ".", "-", "+e5", "x1"}) QVERIFY2(!StartsWithNumber(QString::fromUtf8(text)), text);
  }

  void RefusalsComeBeforeCorrectionsAndChangeNothing() {
    const EntryReview negative = ReviewEntries(Typed("20", "", "1", "-5", "abc", "0"), SpectrumModel::Birch);
    QCOMPARE(negative.refusedBox, std::optional<EntryBox>(EntryBox::AluminiumEquivalent));
    QVERIFY(negative.corrections.isEmpty());
    QCOMPARE(negative.shown[static_cast<std::size_t>(EntryBox::AddedAluminium)], QStringLiteral("abc"));
    const EntryReview angle = ReviewEntries(Typed("20", " ", "1", "5", "0", "0"), SpectrumModel::Birch);
    QCOMPARE(angle.refusedBox, std::optional<EntryBox>(EntryBox::TargetAngle));
  }

  void EachCorrectionIsNamedAndShown() {
    const EntryReview review = ReviewEntries(Typed("abc", "２０", "0", "0", "x", "0"), SpectrumModel::Tucker);
    QVERIFY(!review.refusedBox);
    QCOMPARE(review.shown, Typed("30", "20", "0", "0.5", "0", "0"));
    QCOMPARE(review.corrections.size(), 3);  // voltage, added aluminium, inherent filtration
    QVERIFY(review.corrections[0].startsWith(QStringLiteral("「Ｘ線管電圧」の「abc」は数ではないため、30 kV")));
    QCOMPARE(review.inputs.kVp, 30.0);
    QCOMPARE(review.inputs.targetAngleDegrees, 20.0);
    // Birch's formula takes no inherent filtration; a voltage of exactly 30 kV is no correction
    const EntryReview birch = ReviewEntries(Typed("30", "20", "0", "0", "0", "0"), SpectrumModel::Birch);
    QVERIFY(birch.corrections.isEmpty());
    QCOMPARE(ReviewEntries(Typed("12", "20", "1", "1", "0", "0"), SpectrumModel::Birch).corrections,
             QStringList{QStringLiteral("Ｘ線管電圧 12 kV は下限の 30 kV 以下のため、30 kV で計算しました。")});
  }
};

QTEST_MAIN(EntryReviewTest)
#include "entry_review_test.moc"
