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

QString Classroom::shown(const QString &path) const
{
    if (root_.isEmpty() || root_ == QLatin1String("/"))
        return path;
    if (path.startsWith(root_) && path.size() > root_.size() + 1 && path.at(root_.size()) == QLatin1Char('/'))
        return path.mid(root_.size() + 1);
    return path;
}

namespace {
Classroom &room()
{
    static Classroom r;
    return r;
}
} // namespace

const Classroom &Classroom::inUse() { return room(); }
void Classroom::use(const Classroom &r) { room() = r; }
