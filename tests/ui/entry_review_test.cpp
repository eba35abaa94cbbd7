// The review of the main window's boxes: full-width forms, what counts as a number, the refusals
// before any correction and the corrections named for the status line, with the tube's target and
// the point off the central ray.

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

  void VoltageIsCorrectedIntoTheTargetsRange() {
    TubeEntries molybdenum;
    molybdenum.target = TargetMaterial::Molybdenum;
    const EntryReview high = ReviewEntries(Typed("60", "20", "1", "0", "0", "0"), SpectrumModel::Physics, molybdenum);
    QCOMPARE(high.shown[0], QStringLiteral("50"));
    QCOMPARE(high.inputs.kVp, 50.0);
    QCOMPARE(high.inputs.target, TargetMaterial::Molybdenum);
    QCOMPARE(high.corrections,
             QStringList{QStringLiteral("Ｘ線管電圧 60 kV は Mo ターゲットの上限の 50 kV を超えるため、50 kV で計算しました。")});
    // tungsten with the physics model reaches 300 kV and down to 20 kV; the formula models 30 kV
    QVERIFY(ReviewEntries(Typed("60", "20", "1", "0", "0", "0"), SpectrumModel::Physics).corrections.isEmpty());
    QCOMPARE(ReviewEntries(Typed("10", "20", "1", "0", "0", "0"), SpectrumModel::Physics).corrections,
             QStringList{QStringLiteral("Ｘ線管電圧 10 kV は下限の 20 kV 以下のため、20 kV で計算しました。")});
    // the physics model computes tungsten to 500 kV, the desktop to the 300 keV its files and graph hold
    QCOMPARE(ModelVoltageRange(SpectrumModel::Physics, TargetMaterial::Tungsten).highest, 500.0);
    QCOMPARE(DesktopVoltageRange(SpectrumModel::Physics, TargetMaterial::Tungsten).highest, 300.0);
    QCOMPARE(DesktopVoltageRange(SpectrumModel::Physics, TargetMaterial::Molybdenum).highest, 50.0);
    const EntryReview capped = ReviewEntries(Typed("450", "20", "1", "0", "0", "0"), SpectrumModel::Physics);
    QCOMPARE(capped.shown[0], QStringLiteral("300"));
    QCOMPARE(capped.inputs.kVp, 300.0);
    QCOMPARE(capped.corrections,
             QStringList{QStringLiteral("Ｘ線管電圧 450 kV は上限の 300 kV を超えるため、300 kV で計算しました。")});
    QVERIFY(ReviewEntries(Typed("300", "20", "1", "0", "0", "0"), SpectrumModel::Physics).corrections.isEmpty());
    TubeEntries bremsstrahlung;
    bremsstrahlung.characteristicLines = false;
    QVERIFY(!ReviewEntries(Typed("60", "20", "1", "0", "0", "0"), SpectrumModel::Physics, bremsstrahlung)
                 .inputs.characteristicLines);
  }

  void OffAxisAnglesAreCorrectedOrRefusedAsTheModelTakesThem() {
    const EntryTexts typed = Typed("80", "12", "1", "2.5", "0", "0");
    TubeEntries tube;
    tube.offAxisAlong = QStringLiteral("　６０");  // the largest angle is taken as it is
    tube.offAxisAcross = QStringLiteral("-61");
    const EntryReview corrected = ReviewEntries(typed, SpectrumModel::Physics, tube);
    QVERIFY(!corrected.refusedBox);
    QCOMPARE(corrected.shownOffAxis, (std::array<QString, 2>{QStringLiteral(" 60"), QStringLiteral("-60")}));
    QCOMPARE(corrected.inputs.offAxisAlongDegrees, 60.0);
    QCOMPARE(corrected.inputs.offAxisAcrossDegrees, -60.0);
    QCOMPARE(corrected.corrections, QStringList{QStringLiteral(
                                        "軸外角度 (管軸に直交) -61 度は下限の -60 度を下回るため、-60 度で計算しました。")});
    // the ray must leave the target's surface: along above minus the target angle
    tube.offAxisAlong = QStringLiteral("-12");
    tube.offAxisAcross = QStringLiteral("0");
    const EntryReview behind = ReviewEntries(typed, SpectrumModel::Tucker, tube);
    QCOMPARE(behind.refusedBox, std::optional<EntryBox>(EntryBox::OffAxisAlong));
    QVERIFY(behind.corrections.isEmpty());
    QCOMPARE(behind.shownOffAxis[0], QStringLiteral("-12"));
    tube.offAxisAlong = QStringLiteral("-11.9");
    QVERIFY(!ReviewEntries(typed, SpectrumModel::Tucker, tube).refusedBox);
    // beyond the largest angle, corrected, and then behind the surface: refused as typed
    tube.offAxisAlong = QStringLiteral("-100");
    const EntryReview far = ReviewEntries(typed, SpectrumModel::Physics, tube);
    QCOMPARE(far.refusedBox, std::optional<EntryBox>(EntryBox::OffAxisAlong));
    QCOMPARE(far.shownOffAxis[0], QStringLiteral("-100"));
    QVERIFY2(far.refusal.contains(QStringLiteral("-60 度では、点がターゲット面の裏側")), qPrintable(far.refusal));
    // a negative thickness is refused first
    QCOMPARE(ReviewEntries(Typed("80", "12", "-1", "2.5", "0", "0"), SpectrumModel::Physics, tube).refusedBox,
             std::optional<EntryBox>(EntryBox::Beryllium));
  }

  void OffAxisRefusalTextNamesTheRangeOrTheSurface() {
    QVERIFY(!OffAxisRefusalText(20, 0, 0));
    QVERIFY(!OffAxisRefusalText(20, -19, 60));
    QVERIFY(!OffAxisRefusalText(0, -30, 0));  // the target angle's own refusal comes from the run
    const std::optional<QString> range = OffAxisRefusalText(20, 5, 61);
    QVERIFY(range);
    QCOMPARE(*range, QStringLiteral("「軸外角度 (管軸に直交)」の 61 度は範囲外です。-60 ～ 60 度の角度を入力して下さい。"));
    QVERIFY(OffAxisRefusalText(20, -20, 0));
  }

  void ATransmissionTargetHasNoAngleAndIsRefusedForAThinWindow() {
    TubeEntries tube;
    tube.transmission = {1, TransmissionWindow::Diamond, 0.3};
    // the angle box is neither read nor refused; a point off the axis lies behind no surface
    tube.offAxisAlong = QStringLiteral("-40");
    const EntryReview review = ReviewEntries(Typed("100", "abc", "1", "0", "0", "0"), SpectrumModel::Physics, tube);
    QVERIFY(!review.refusedBox);
    QVERIFY(review.corrections.isEmpty());
    QCOMPARE(review.inputs.transmission, tube.transmission);
    QCOMPARE(review.inputs.offAxisAlongDegrees, -40.0);
    // the voltage goes into the transmission target's range, and the note says whose range it is
    const EntryReview high = ReviewEntries(Typed("450", "20", "1", "0", "0", "0"), SpectrumModel::Physics, tube);
    QCOMPARE(high.inputs.kVp, 300.0);
    QCOMPARE(high.corrections,
             QStringList{QStringLiteral("Ｘ線管電圧 450 kV は透過ターゲットの上限の 300 kV を超えるため、300 kV で計算しました。")});
    // a window thinner than the electrons' range in it at the voltage is refused, the boxes as typed
    tube.transmission = {1, TransmissionWindow::Beryllium, 0.01};
    tube.offAxisAlong = QStringLiteral("0");
    const EntryTexts typed = Typed("100", "20", "abc", "0", "0", "0");
    const EntryReview thin = ReviewEntries(typed, SpectrumModel::Physics, tube);
    QCOMPARE(thin.refusedBox, std::optional<EntryBox>(EntryBox::TransmissionTarget));
    QVERIFY2(thin.refusal.startsWith(QStringLiteral("透過ターゲットの窓 (Be 0.01 mm) は、100 kV の電子の飛程 ")),
             qPrintable(thin.refusal));
    QVERIFY(thin.corrections.isEmpty());
    QCOMPARE(thin.shown, typed);
    // the same window holds the electrons of a lower voltage
    QVERIFY(!ReviewEntries(Typed("20", "20", "1", "0", "0", "0"), SpectrumModel::Physics, tube).refusedBox);
    QCOMPARE(EntryBoxName(EntryBox::TransmissionTarget), QStringLiteral("透過ターゲット"));
    QVERIFY(!TransmissionRefusalText(SpectrumModel::Physics, TargetMaterial::Tungsten, TransmissionTarget{}, 100));
    QCOMPARE(DesktopVoltageRange(SpectrumModel::Physics, TargetMaterial::Tungsten, tube.transmission).highest, 300.0);
  }
};

QTEST_MAIN(EntryReviewTest)
#include "entry_review_test.moc"
