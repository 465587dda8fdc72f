#include "frontend/Pictures.h"

#include <QFile>
#include <QString>

namespace qw77::frontend {

QPixmap LoadPicture(std::string_view name) {
  if (name.empty()) return {};
  const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  const QString resource = QStringLiteral(":/pictures/%1.bmp").arg(wanted);
  if (QFile::exists(resource)) return QPixmap(resource);
  return QPixmap(wanted);
}

QIcon WindowIcon() {
  return QIcon(QStringLiteral(":/pictures/icon.png"));
}

}  // namespace qw77::frontend
