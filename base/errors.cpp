#include "base/errors.h"

#include "base/classroom.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pz {

QString reasonFor(int errnum)
{
    switch (errnum) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空きが足りません。");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが許可されていません。");
    case EROFS:
        return QStringLiteral("書き込みのできない場所です。");
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダが見つかりません。");
    case EISDIR:
        return QStringLiteral("ファイルではなくフォルダです。");
    case ENOTDIR:
        return QStringLiteral("途中のフォルダがフォルダではありません。");
    case EEXIST:
        return QStringLiteral("同じ名前のファイルがすでにあります。");
    case ELOOP:
        return reason::isLink();
    case ENXIO:
    case ENODEV:
    case EWOULDBLOCK:
        return reason::notRegular();
    case EFBIG:
        return reason::sizeLimit();
    case ENAMETOOLONG:
        return QStringLiteral("名前が長すぎます。");
    case EIO:
        return QStringLiteral("ディスクの読み書きに失敗しました。");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます。");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("ほかのプログラムが使用中です。");
    case ESTALE:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
        return QStringLiteral("ネットワーク上のフォルダにつながりません。");
    default:
        // Rare: the number, for whoever looks after the machine (the system's own words are English).
        return QStringLiteral("システムのエラーです（番号 %1）。").arg(errnum);
    }
}

namespace reason {
QString notRegular() { return QStringLiteral("ふつうのファイルではありません。"); }
QString isLink() { return QStringLiteral("ファイルではなくリンクになっています。"); }
QString tooLarge() { return QStringLiteral("ファイルが大きすぎます。"); }
QString sizeLimit() { return QStringLiteral("ファイルの大きさの上限をこえるので、書き込めません。"); }
QString damaged() { return QStringLiteral("ファイルがこわれています。"); }
QString isFolder() { return QStringLiteral("ファイルではなくフォルダの名前です。"); }
QString busy()
{
    return QStringLiteral("ほかのコンピューターかプログラムがこのフォルダを使っています。しばらくしてからもう一度ためしてください。");
}
} // namespace reason

IoError::IoError(const QString &path, const QString &reason)
    : Error(QStringLiteral("ファイル %1 を使えません。\n%2").arg(quoted(Classroom::inUse().shown(path), 80), reason)), path_(path),
      reason_(reason) {}

ConversionError::ConversionError(const QString &text)
    : Error(QStringLiteral("'%1' は正しい数値ではありません。").arg(quoted(text))) {}

ConversionError::ConversionError(const QString &text, const QString &place)
    : Error(text.isEmpty() ? QStringLiteral("%1が空です。").arg(place)
                           : QStringLiteral("%1の「%2」は正しい数値ではありません。").arg(place, quoted(text))) {}

QString quoted(const QString &text, int maxChars)
{
    QString out;
    for (QChar c : text) {
        if (out.size() >= maxChars) {
            if (out.back().isHighSurrogate())
                out.chop(1); // never half a character
            out += QChar(0x2026); // …
            break;
        }
        out += (c.category() == QChar::Other_Control) ? QChar(0x30FB) : c; // ・
    }
    return out;
}

namespace {
ErrorSink &sink()
{
    static ErrorSink s;
    return s;
}
} // namespace

void setErrorSink(ErrorSink s) { sink() = std::move(s); }

void reportError(const QString &text)
{
    if (sink())
        sink()(text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool guard(const std::function<void()> &f)
{
    try {
        f();
        return true;
    } catch (const Error &e) {
        reportError(e.text());
    } catch (const std::exception &e) {
        reportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportError(QStringLiteral("不明なエラーが発生しました。"));
    }
    return false;
}

} // namespace pz
