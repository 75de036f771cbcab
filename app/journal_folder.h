#pragma once
// Where kiroku keeps the journals of its runs and kiroku-recover finds them:
// the user's data folder of the application named "kiroku".
#include <QCoreApplication>
#include <QStandardPaths>
#include <string>

inline std::string JournalFolder() {
  QCoreApplication::setApplicationName(QStringLiteral("kiroku"));
  return (QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/journal"))
      .toUtf8()
      .toStdString();
}
