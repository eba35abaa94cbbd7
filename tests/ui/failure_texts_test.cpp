// Japanese wording of the shared code's failures: every kind has a sentence without English
// words, the save reasons follow the system's error number, and the detail line names the place.

#include "failure_texts.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "atomic_file.h"
#include "attenuation_table.h"
#include "calculation_run.h"
#include "exchange_files.h"
#include "material_file.h"

namespace kestrix {
namespace {

/// true when the sentence holds no English word (three or more Latin letters; units such as
/// "kV", "keV", "MeV" and the engine's name are part of the Japanese wording)
bool IsJapanese(const QString& text) {
  QString rest = text;
  for (const char* allowed : {"Quillon", "keV", "MeV"}) rest.remove(QString::fromLatin1(allowed));
  static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
  return !rest.isEmpty() && !rest.contains(word);
}

}  // namespace

class FailureTextsTest : public QObject {
  Q_OBJECT
 private slots:
  void EveryRunRefusalIsJapaneseAndNamesItsValue() {
    for (RunRefusal reason : {RunRefusal::NoTable, RunRefusal::VoltageOutOfRange, RunRefusal::TargetAngle,
                              RunRefusal::NotFinite, RunRefusal::EverythingAbsorbed}) {
      const QString text = RunRefusalText(RunError(reason, 12.5, "English text"));
      QVERIFY2(IsJapanese(text), qPrintable(text));
    }
    QVERIFY(RunRefusalText(RunError(RunRefusal::TargetAngle, -10, "")).contains(QStringLiteral("-10 度")));
    QVERIFY(RunRefusalText(RunError(RunRefusal::NotFinite, 12.5, "")).contains(QStringLiteral("12.5 keV")));
  }

  void EveryFileFaultIsJapanese() {
    for (int fault = 0; fault <= static_cast<int>(MaterialFault::CoefficientTooLarge); ++fault) {
      const QString text = ReadFailureText(MaterialFileError("x.ele: fault", static_cast<MaterialFault>(fault), 4, 2));
      QVERIFY2(IsJapanese(text), qPrintable(text));
    }
    for (TableFault fault : {TableFault::Unreadable, TableFault::TooShort, TableFault::NotANumber, TableFault::BadValue}) {
      const QString text = ReadFailureText(TableLoadError("MUs_202202.data: fault", fault, 7));
      QVERIFY2(IsJapanese(text), qPrintable(text));
    }
    QVERIFY(ReadFailureText(TableLoadError("t, line 42: blank", TableFault::BadValue, 42)).contains(QStringLiteral("42 行目")));
    QVERIFY(IsJapanese(ReadFailureText(ExchangeFileError("HVL_S2.temp, line 2: garbled", 2))));
    QVERIFY(IsJapanese(ReadFailureText(std::runtime_error("basic_filebuf::underflow"))));
    QCOMPARE(ReadFailureText(MaterialFileError("x.ele: row 3", MaterialFault::NonPositiveTotal, 0, 3)),
             QStringLiteral("データの 3 行目の減弱係数の合計が正の数ではありません。"));
  }

  void SaveReasonsFollowTheSystemErrorNumber() {
    const QList<QPair<int, QString>> reasons = {
        {EACCES, QStringLiteral("書き込みの許可がありません。")},
        {EROFS, QStringLiteral("読み取り専用のファイルシステムです。")},
        {ENOSPC, QStringLiteral("ディスクの空き容量が足りません。")},
        {ENAMETOOLONG, QStringLiteral("ファイル名が長すぎます。")},
        {ENOENT, QStringLiteral("保存先のフォルダがありません。")},
    };
    for (const auto& [number, reason] : reasons) {
      QCOMPARE(SaveFailureText(SaveFileError("Cannot save \"x\": reason", number)), reason);
    }
    QCOMPARE(SystemErrorText(EIO), QStringLiteral("システムのエラーです (エラー番号 %1)。").arg(EIO));
    QVERIFY(IsJapanese(SaveFailureText(SaveFileError("Cannot save \"x\": the content could not be produced", 0))));
  }

  void SaveFailureOfARealFileCarriesTheSystemReason() {
    const std::string path = "/no-such-folder-for-kestrix/table.csv";
    try {
      SaveFileAtomically(path, [](std::ostream& out) { out << "x"; });
      QFAIL("the save should fail");
    } catch (const std::exception& error) {
      QCOMPARE(SaveFailureText(error), QStringLiteral("保存先のフォルダがありません。"));
    }
    // a read-only target is refused before anything is written, and worded like any refused write
    QTemporaryDir folder;
    const QString readOnly = folder.filePath(QStringLiteral("kept.csv"));
    QFile file(readOnly);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup));
    try {
      SaveFileAtomically(readOnly.toStdString(), [](std::ostream& out) { out << "x"; });
      QFAIL("the save should be refused");
    } catch (const std::exception& error) {
      QCOMPARE(SaveFailureText(error), QStringLiteral("書き込みの許可がありません。"));
    }
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
  }

  void DetailLineNamesFileAndLine() {
    QCOMPARE(FilePlace(QStringLiteral("Al.ele")), QStringLiteral("Al.ele"));
    QCOMPARE(FilePlace(QStringLiteral("Al.ele"), 3), QStringLiteral("Al.ele  3 行目"));
    QCOMPARE(FailureLine(TableLoadError("t", TableFault::NotANumber, 9)), 9);
    QCOMPARE(FailureLine(MaterialFileError("m", MaterialFault::NotANumber, 5)), 5);
    QCOMPARE(FailureLine(ExchangeFileError("e", 4)), 4);
    QCOMPARE(FailureLine(std::runtime_error("r")), 0);
  }
};

}  // namespace kestrix

QTEST_MAIN(kestrix::FailureTextsTest)
#include "failure_texts_test.moc"
