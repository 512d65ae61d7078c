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
    // How a path is named to the people in the room: inside it, from the room ("user/たろう.dat");
    // elsewhere, whole.
    QString shown(const QString &path) const;

    bool operator==(const Classroom &) const = default;

    // The room this run works in. The shell names it once at start; the user store, the grade
    // file and the kept lines resolve their paths against it. None until then: every path is empty,
    // so nothing is read or written by accident in whatever folder the process was started from.
    static const Classroom &inUse();
    static void use(const Classroom &room);

    // Works in another room for a while (the set-up and the repair of a room named on the command
    // line), and gives the previous one back however the scope is left.
    class Using;

private:
    QString root_;
};

class Classroom::Using {
public:
    explicit Using(const Classroom &room) : back_(inUse()) { use(room); }
    ~Using() { use(back_); }
    Using(const Using &) = delete;
    Using &operator=(const Using &) = delete;

private:
    Classroom back_;
};
