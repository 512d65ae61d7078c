#pragma once
// The classroom folder a run works in, by name: its absolute path, resolved once when the program
// starts (or a test lays one out), and the paths of its files. Passed on as a value; nothing below
// the shell looks at the working directory, so one process can hold two classrooms apart.
#include <QString>

class Classroom {
public:
    Classroom() = default; // none: every path is empty
    // `folder` must be absolute: only the shell knows what a relative one is relative to. It is
    // taken as it is on disk (links resolved) when it exists, else cleaned.
    explicit Classroom(const QString &folder);

    bool isNull() const { return root_.isEmpty(); }
    QString root() const { return root_; }
    // A path inside the classroom: root()/relative.
    QString path(const QString &relative) const;
    QString user() const { return path(QStringLiteral("user")); }                   // the children's files
    QString settings() const { return path(QStringLiteral("settei/settei.dat")); }  // the grade parameters
    QString wav() const { return path(QStringLiteral("wav")); }                     // the sounds
    QString countdownSound() const { return path(QStringLiteral("wav/a.wav")); }

    bool operator==(const Classroom &) const = default;

private:
    QString root_;
};
