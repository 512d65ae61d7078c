#include "users/userstore.h"

namespace userstore {
QString folder() { return QStringLiteral("user"); }
QString masterPasswordPath() { return folder() + QStringLiteral("/master.psw"); }
QString recordPath(const QString &name) { return folder() + QLatin1Char('/') + name + QStringLiteral(".dat"); }
QString passwordPath(const QString &name) { return folder() + QLatin1Char('/') + name + QStringLiteral(".psw"); }
} // namespace userstore
