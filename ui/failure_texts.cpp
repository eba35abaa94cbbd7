#include "failure_texts.h"

#include <cerrno>

#include "atomic_file.h"
#include "attenuation_table.h"
#include "calculation_run.h"
#include "exchange_files.h"
#include "export_table.h"
#include "file_system.h"
#include "material_file.h"
#include "ui_language.h"

namespace kestrix {
namespace {

QString Number(double value) { return QString::number(value, 'g', 10); }

QString MaterialFaultText(const MaterialFileError& error) {
  const QString row = QString::number(error.Row());
  switch (error.Fault()) {
    case MaterialFault::Unreadable:
      return Tr("ファイルがないか、読めません。");
    case MaterialFault::Empty:
      return Tr("ファイルが空です。");
    case MaterialFault::MissingHeader:
      return Tr("1 行目の材質名の後に、密度とデータ行数の 2 つの数値がありません。");
    case MaterialFault::BadRowCount:
      return Tr("データ行数が 2～120 の整数ではありません。");
    case MaterialFault::TooFewNumbers:
      return Tr("数値が足りません。データの %1 行目の途中でファイルが終わっています。").arg(row);
    case MaterialFault::NotANumber:
      return Tr("数値でない項目があります。");
    case MaterialFault::BadDensity:
      return Tr("密度が正の数ではありません。");
    case MaterialFault::EnergiesOutOfOrder:
      return Tr("エネルギーが小さい順に並んでいません (データの %1 行目)。").arg(row);
    case MaterialFault::FirstEnergyTooHigh:
      return Tr("最初のエネルギーが 0.001 MeV より大きく、1 keV の値が求められません。");
    case MaterialFault::LastEnergyTooLow:
      return Tr("最後のエネルギーが 0.5 MeV 以下で、500 keV の値が求められません。");
    case MaterialFault::NonPositiveEnergy:
      return Tr("データの %1 行目のエネルギーが正の数ではありません。").arg(row);
    case MaterialFault::NonPositiveTotal:
      return Tr("データの %1 行目の減弱係数の合計が正の数ではありません。").arg(row);
    case MaterialFault::CoefficientTooLarge:
      return Tr("減弱係数が大きすぎて計算できません。");
  }
  return Tr("ファイルの内容が正しくありません。");
}

QString TableFaultText(const TableLoadError& error) {
  switch (error.Fault()) {
    case TableFault::Unreadable:
      return Tr("ファイルがないか、読めません。");
    case TableFault::TooShort:
      return Tr("表が途中で終わっています (1000 行に 6 個ずつの数値が必要です)。");
    case TableFault::NotANumber:
      return Tr("数値でない項目があります。");
    case TableFault::BadValue:
      return Tr("%1 行目の値が表として正しくありません (エネルギーの順序、係数の値、空行)。").arg(error.Line());
  }
  return Tr("ファイルの内容が正しくありません。");
}

}  // namespace

QString RunRefusalText(const RunError& error) {
  switch (error.Reason()) {
    case RunRefusal::NoTable:
      return Tr("減弱係数テーブルが読み込まれていません。");
    case RunRefusal::VoltageOutOfRange:
      return Tr("管電圧 %1 kV が 30～300 kV の範囲外です。").arg(Number(error.Value()));
    case RunRefusal::TargetAngle:
      return Tr("ターゲット角度 %1 度は使えません。0 度より大きく 180 度より小さい角度を入力して下さい。")
          .arg(Number(error.Value()));
    case RunRefusal::NotFinite:
      return Tr("%1 keV でスペクトルの値が大きすぎて計算できません。フィルターの厚さを確かめて下さい。")
          .arg(Number(error.Value()));
    case RunRefusal::Transmission:
      return Tr("透過ターゲットは計算できません。層の厚さ、窓の厚さと管電圧を確かめて下さい (窓は電子の飛程以上の厚さが必要です)。");
    case RunRefusal::EverythingAbsorbed:
      return Tr("すべてのエネルギーでＸ線が吸収されてしまいます。ろ過を減らすか、ターゲット角度を大きくして下さい (角度が小さいとターゲット自身がＸ線を吸収します)。");
  }
  return Tr("入力された条件では計算できません。");
}

QString ReadFailureText(const std::exception& error) {
  if (const auto* table = dynamic_cast<const TableLoadError*>(&error)) return TableFaultText(*table);
  if (const auto* material = dynamic_cast<const MaterialFileError*>(&error)) return MaterialFaultText(*material);
  if (dynamic_cast<const SpectrumTableError*>(&error) != nullptr) {
    return Tr("全光子数が 0 のため、全光子数を 1 とする正規化ができません。");
  }
  if (const auto* file = dynamic_cast<const FileSystemError*>(&error)) {
    return file->SystemError() == ENOENT ? Tr("ファイルがありません。") : Tr("ファイルを読めません。");
  }
  if (const auto* exchange = dynamic_cast<const ExchangeFileError*>(&error)) {
    return exchange->Line() > 0 ? Tr("数値でない項目があります。")
                                : Tr("ファイルが途中で終わっているか、読めません。");
  }
  return Tr("ファイルを読めません。");
}

QString SaveFailureText(const std::exception& error) {
  if (const auto* save = dynamic_cast<const SaveFileError*>(&error)) {
    if (save->SystemError() == 0) return Tr("保存する内容を作れませんでした。");
    return SystemErrorText(save->SystemError());
  }
  return Tr("保存する内容を作れませんでした。");
}

QString SystemErrorText(int errorNumber) {
  switch (errorNumber) {
    case EACCES:
    case EPERM:
      return Tr("書き込みの許可がありません。");
    case EROFS:
      return Tr("読み取り専用のファイルシステムです。");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return Tr("ディスクの空き容量が足りません。");
    case ENAMETOOLONG:
      return Tr("ファイル名が長すぎます。");
    case ENOENT:
    case ENOTDIR:
      return Tr("保存先のフォルダがありません。");
    case EISDIR:
      return Tr("同じ名前のフォルダがあります。");
    case EEXIST:
      return Tr("一時ファイルを作れませんでした。");
  }
  return Tr("システムのエラーです (エラー番号 %1)。").arg(errorNumber);
}

int FailureLine(const std::exception& error) {
  if (const auto* table = dynamic_cast<const TableLoadError*>(&error)) return table->Line();
  if (const auto* material = dynamic_cast<const MaterialFileError*>(&error)) return material->Line();
  if (const auto* exchange = dynamic_cast<const ExchangeFileError*>(&error)) return exchange->Line();
  return 0;
}

QString FilePlace(const QString& fileName, int line) {
  return line > 0 ? Tr("%1  %2 行目").arg(fileName).arg(line) : fileName;
}

}  // namespace kestrix
