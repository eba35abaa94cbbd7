#include "program_data.h"

#include <QCoreApplication>
#include <QDir>

#include "data_folder.h"

namespace kestrix {
namespace {

bool HoldsMaterialFiles(const QString& folder) {
  return !QDir(folder).entryList({QStringLiteral("*.ele"), QStringLiteral("*.mix")}, QDir::Files).isEmpty();
}

}  // namespace

QString DeliveredDataFolderOfProgram() {
  return QString::fromStdString(DeliveredDataFolder(QCoreApplication::applicationFilePath().toStdString()));
}

std::string DataFile(const char* name) {
  return WorkingOrDeliveredFile(name, DeliveredDataFolderOfProgram().toStdString());
}

QString MaterialFolder() {
  const QString working = QDir::currentPath();
  const QString delivered = DeliveredDataFolderOfProgram();
  return !HoldsMaterialFiles(working) && HoldsMaterialFiles(delivered) ? QDir(delivered).absolutePath() : working;
}

}  // namespace kestrix
