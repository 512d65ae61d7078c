#include "base/classroom.h"

#include <QDir>
#include <QFileInfo>

Classroom::Classroom(const QString &folder)
{
    if (!QDir::isAbsolutePath(folder))
        return; // a relative folder would mean the working directory: no classroom
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    root_ = canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

QString Classroom::path(const QString &relative) const
{
    if (root_.isEmpty())
        return QString();
    if (root_ == QLatin1String("/"))
        return root_ + relative;
    return root_ + QLatin1Char('/') + relative;
}
