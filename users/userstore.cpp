#include "users/userstore.h"

#include "platform/errors.h"
#include "platform/textfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace userstore {
QString folder() { return QStringLiteral("user"); }
QString masterPasswordPath() { return folder() + QStringLiteral("/master.psw"); }
QString recordPath(const QString &name) { return folder() + QLatin1Char('/') + name + QStringLiteral(".dat"); }
QString passwordPath(const QString &name) { return folder() + QLatin1Char('/') + name + QStringLiteral(".psw"); }

QString recordHeader() { return QStringLiteral("級/段,日付,正解数,不正解数,合否"); }

namespace {
const QString kEmpty = QStringLiteral("なまえとパスワードをいれてください");

bool isMaster(const QString &name) { return name.compare(QLatin1String("master"), Qt::CaseInsensitive) == 0; }

bool encodable(const QString &text)
{
    try {
        textfile::encode(text);
        return true;
    } catch (const pz::ConversionError &) {
        return false;
    }
}

bool isControl(QChar c) { return c.category() == QChar::Other_Control; }

// Windows keeps these device names for itself, with any extension and ignoring blanks before it:
// "CON.dat" and "nul .dat" are devices there, not files.
bool isWindowsDevice(const QString &name)
{
    QString base = name.section(QLatin1Char('.'), 0, 0);
    while (base.endsWith(QLatin1Char(' ')))
        base.chop(1);
    base = base.toUpper();
    static const QStringList plain = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"), QStringLiteral("NUL")};
    if (plain.contains(base))
        return true;
    if (base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT")))) {
        const QChar d = base.at(3);
        return (d >= QLatin1Char('0') && d <= QLatin1Char('9')) || d == QChar(0x00B9) || d == QChar(0x00B2) || d == QChar(0x00B3);
    }
    return false;
}

// The longest file name both Linux (bytes) and Windows (UTF-16 units, never more than the bytes)
// accept.
constexpr int kMaxFileNameBytes = 255;
} // namespace

QString checkName(const QString &name)
{
    if (name.isEmpty())
        return kEmpty;
    for (QChar c : name)
        if (isControl(c))
            return QStringLiteral("なまえにつかえないもじがはいっています");
    for (QChar c : name)
        if (QStringLiteral("/\\<>:\"|?*").contains(c))
            return QStringLiteral("なまえに「%1」はつかえません").arg(c);
    if (!encodable(name)) {
        for (QChar c : name) // the first character cp932 lacks, shown whole (a surrogate pair too)
            if (!encodable(QString(c)) && !c.isSurrogate())
                return QStringLiteral("なまえに「%1」はつかえません").arg(c);
        return QStringLiteral("なまえにつかえないもじがはいっています");
    }
    if (isMaster(name))
        return QStringLiteral("「%1」はなまえにつかえません").arg(name);
    if (name.endsWith(QLatin1Char('.')))
        return QStringLiteral("なまえのさいごに「.」はつかえません");
    if (isWindowsDevice(name))
        return QStringLiteral("「%1」はなまえにつかえません").arg(name);
    if ((name + QStringLiteral(".dat")).toUtf8().size() > kMaxFileNameBytes)
        return QStringLiteral("なまえがながすぎます");
    return QString();
}

QString checkPassword(const QString &password)
{
    if (password.isEmpty())
        return kEmpty;
    // A line end or NUL would cut the stored line, so the password could never match again.
    for (QChar c : password)
        if (isControl(c))
            return QStringLiteral("パスワードにつかえないもじがはいっています");
    if (!encodable(password))
        return QStringLiteral("パスワードにつかえないもじがはいっています");
    return QString();
}

QString checkRegistration(const QString &name, const QString &password)
{
    if (name.isEmpty() || password.isEmpty())
        return kEmpty;
    QString refusal = checkName(name);
    if (refusal.isEmpty())
        refusal = checkPassword(password);
    if (refusal.isEmpty()) {
        if (const QString user = userTaking(name); !user.isEmpty())
            refusal = QStringLiteral("「%1」というなまえはもうつかわれています。\nほかのなまえにしてください").arg(user);
    }
    return refusal;
}

QString userTaking(const QString &name)
{
    if (QFileInfo::exists(recordPath(name)))
        return name;
    const QStringList users = listUsers();
    for (const QString &u : users)
        if (u.compare(name, Qt::CaseInsensitive) == 0)
            return u;
    return QString();
}

bool isTaken(const QString &name) { return !userTaking(name).isEmpty(); }

QStringList listUsers()
{
    QStringList users;
    // The file system's own order; hidden files count too. Only names ending in ".dat" exactly,
    // so that every listed user's history is found at recordPath().
    QDirIterator it(folder(), {QStringLiteral("*.dat")}, QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    while (it.hasNext()) {
        it.next();
        QString name = it.fileName();
        name.chop(4);
        // "master" would have the master password file as its password file.
        if (!name.isEmpty() && !isMaster(name))
            users << name;
    }
    return users;
}

QString createUser(const QString &name, const QString &password)
{
    const QString refusal = checkRegistration(name, password);
    if (!refusal.isEmpty())
        return refusal;
    if (!QFileInfo(folder()).isDir() && !QDir().mkpath(folder()))
        throw pz::IoError(folder(), QStringLiteral("フォルダを作れません。"));

    // The history file first, created exclusively: it makes the user exist, and an existing
    // user's history is never overwritten.
    const QString record = recordPath(name);
    try {
        textfile::createNew(record, {recordHeader()});
    } catch (const pz::Error &) {
        // The name was checked free just above, so whatever is there is our own half-written file.
        QFile::remove(record);
        throw;
    }
    try {
        // Replaces a password file left behind by an earlier failed deletion.
        textfile::rewrite(passwordPath(name), {password});
    } catch (const pz::Error &) {
        QFile::remove(record);
        throw;
    }
    return QString();
}

QString readPassword(const QString &name) { return textfile::readFirstLine(passwordPath(name)); }

bool passwordMatches(const QString &stored, const QString &typed)
{
    try {
        return textfile::encode(typed) == textfile::encode(stored);
    } catch (const pz::ConversionError &) {
        return false;
    }
}

void appendDrill(const QString &name, const QString &line) { textfile::appendLine(recordPath(name), line); }

QStringList readHistory(const QString &name) { return textfile::readLines(recordPath(name)); }

void deleteUser(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return; // not a file stem: there is nothing of a user's to delete
    QFile::remove(recordPath(name));
    if (!isMaster(name))
        QFile::remove(passwordPath(name));
}
} // namespace userstore
