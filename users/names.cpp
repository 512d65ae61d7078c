#include "users/names.h"

#include "platform/textfile.h"

#include <QStringList>

namespace names {

namespace {
bool encodable(const QString &text) { return textfile::tryEncode(text).has_value(); }

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

QString emptyFields() { return QStringLiteral("なまえとパスワードをいれてください"); }

bool isMaster(const QString &name) { return name.compare(QLatin1String("master"), Qt::CaseInsensitive) == 0; }

bool isControl(QChar c) { return c.category() == QChar::Other_Control; }

QString checkName(const QString &name)
{
    if (name.isEmpty())
        return emptyFields();
    // Blanks only (half- or full-width) would show as an empty row in every list.
    if (name.trimmed().isEmpty())
        return QStringLiteral("なまえにもじをいれてください");
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
        return emptyFields();
    // A line end or NUL would cut the stored line, so the password could never match again.
    for (QChar c : password)
        if (isControl(c))
            return QStringLiteral("パスワードにつかえないもじがはいっています");
    if (!encodable(password))
        return QStringLiteral("パスワードにつかえないもじがはいっています");
    return QString();
}

} // namespace names
