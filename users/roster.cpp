#include "users/roster.h"

#include "platform/textfile.h"
#include "base/errors.h"
#include "users/groups.h"
#include "users/names.h"
#include "users/userstore.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>

namespace roster {

namespace {
QString decodeList(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    // Not UTF-8: a list saved by a spreadsheet on a Japanese Windows.
    return textfile::decode(bytes);
}

// A line's fields: by tabs when it has one, else by commas outside double quotes.
QStringList fields(const QString &line)
{
    QStringList out;
    if (line.contains(QLatin1Char('\t'))) {
        out = line.split(QLatin1Char('\t'));
    } else {
        QString field;
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                        field += c;
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else {
                    field += c;
                }
            } else if (c == QLatin1Char('"') && field.trimmed().isEmpty()) {
                quoted = true;
                field.clear();
            } else if (c == QLatin1Char(',')) {
                out << field;
                field.clear();
            } else {
                field += c;
            }
        }
        out << field;
    }
    for (QString &f : out)
        f = f.trimmed(); // blanks around a field, full-width ones too
    return out;
}

bool isHeading(const QString &first) { return first == QStringLiteral("名前") || first == QStringLiteral("なまえ"); }
} // namespace

QList<Line> parse(const QByteArray &bytes)
{
    QString text = decodeList(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    QList<Line> out;
    bool first = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList f = fields(lines.at(i));
        if (std::all_of(f.begin(), f.end(), [](const QString &s) { return s.isEmpty(); }))
            continue;
        if (first && isHeading(f.value(0))) {
            first = false;
            continue;
        }
        first = false;
        out.append({int(i + 1), f.value(0), f.value(1), f.value(2)});
    }
    return out;
}

int Plan::count(Outcome o) const
{
    return int(std::count_if(entries.begin(), entries.end(), [o](const Entry &e) { return e.outcome == o; }));
}

QString checkGroup(const QString &group)
{
    if (group.size() > kGroupMaxLength)
        return QStringLiteral("組が長すぎます（%1文字まで）").arg(kGroupMaxLength);
    // The 組 is kept beside the name in a line of its own file, split at tabs.
    for (QChar c : group)
        if (names::isControl(c))
            return QStringLiteral("組につかえないもじがはいっています");
    if (!names::checkPassword(group).isEmpty() && !group.isEmpty())
        return QStringLiteral("組につかえないもじがはいっています");
    return QString();
}

QString lookAlikeKey(const QString &name)
{
    // NFKC makes full-width letters half and half-width kana full (ｶ → カ, ｶﾞ → ガ).
    QString key = name.trimmed().normalized(QString::NormalizationForm_KC);
    for (QChar &c : key)
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6) // katakana → hiragana
            c = QChar(char16_t(c.unicode() - 0x60));
    return key.toCaseFolded();
}

QString passwordAlphabet() { return QStringLiteral("abcdefghjkmnpqrstuvwxyz23456789"); }

QString makePassword(const std::function<int(int)> &next)
{
    const QString alphabet = passwordAlphabet();
    QString p;
    for (int i = 0; i < 6; ++i)
        p += alphabet.at(next(int(alphabet.size())));
    return p;
}

Plan plan(const QList<Line> &lines, const std::function<int(int)> &next)
{
    // The registered names by their look-alike key.
    QHash<QString, QString> registered;
    for (const QString &u : userstore::listUsers())
        registered.insert(lookAlikeKey(u), u);
    QHash<QString, const Line *> above; // the first line of each key
    Plan p;
    for (const Line &l : lines) {
        Entry e{l, l.password, false, Outcome::Refused, QString()};
        const QString key = lookAlikeKey(l.name);
        if (QString refusal = names::checkName(l.name); !refusal.isEmpty()) {
            e.reason = refusal;
        } else if (!l.password.isEmpty() && !(refusal = names::checkPassword(l.password)).isEmpty()) {
            e.reason = refusal;
        } else if (!(refusal = checkGroup(l.group)).isEmpty()) {
            e.reason = refusal;
        } else if (const QString user = userstore::userTaking(l.name); !user.isEmpty()) {
            e.outcome = Outcome::Registered;
            e.reason = QStringLiteral("「%1」はもう登録されています（そのままにします）").arg(user);
        } else if (registered.contains(key)) {
            e.reason = QStringLiteral("登録ずみの「%1」と、文字の幅かかなの種類だけがちがいます").arg(registered.value(key));
        } else if (const Line *first = above.value(key)) {
            e.reason = first->name == l.name ? QStringLiteral("%1行目と同じ名前です").arg(first->number)
                                             : QStringLiteral("%1行目の「%2」と、文字の幅かかなの種類だけがちがいます").arg(first->number).arg(first->name);
        } else {
            e.outcome = Outcome::New;
        }
        if (!l.name.isEmpty() && !above.contains(key) && e.outcome != Outcome::Refused)
            above.insert(key, &l);
        if (e.outcome == Outcome::New && e.password.isEmpty()) {
            e.password = makePassword(next);
            e.madeUp = true;
        }
        p.entries.append(e);
    }
    return p;
}

QString carryOut(const Plan &plan)
{
    QList<QPair<QString, QString>> users;
    for (const Entry &e : plan.entries)
        if (e.outcome == Outcome::New)
            users.append({e.line.name, e.password});
    if (users.isEmpty())
        return QString();
    if (QString refusal = userstore::createUsers(users); !refusal.isEmpty())
        return refusal;
    // Each new child's 組 (none taking away one left by an earlier child of the name); when it cannot
    // be written, the children registered just now are taken back.
    QHash<QString, QString> kumi;
    for (const Entry &e : plan.entries)
        if (e.outcome == Outcome::New)
            kumi.insert(e.line.name, e.line.group);
    try {
        groups::assign(kumi);
    } catch (const pz::Error &) {
        for (const auto &u : std::as_const(users))
            userstore::deleteUser(u.first);
        throw;
    }
    return QString();
}

QString describe(const Entry &e)
{
    const QString where = QStringLiteral("%1行目「%2」").arg(e.line.number).arg(e.line.name);
    switch (e.outcome) {
    case Outcome::New:
        return QStringLiteral("%1: 登録します（パスワード %2%3%4）")
            .arg(where, e.password, e.madeUp ? QStringLiteral("、作りました") : QString(),
                 e.line.group.isEmpty() ? QString() : QStringLiteral("、組 %1").arg(e.line.group));
    case Outcome::Registered:
        return QStringLiteral("%1: %2").arg(where, e.reason);
    case Outcome::Refused:
        break;
    }
    return QStringLiteral("%1: 登録しません。%2").arg(where, QString(e.reason).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

userstore::DeleteResult deleteChild(const QString &name)
{
    userstore::DeleteResult result = userstore::deleteUser(name);
    if (result.userGone())
        groups::forget(name);
    return result;
}

} // namespace roster
