#include "platform/textfile.h"
#include "platform/errors.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace textfile {

namespace {
constexpr const char *kCodec = "windows-31j";

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines) {
        out += encode(l);
        out += "\r\n";
    }
    return out;
}
} // namespace

QByteArray encode(const QString &text)
{
    QStringEncoder enc(kCodec);
    QByteArray bytes = enc.encode(text);
    if (!enc.isValid() || enc.hasError())
        throw pz::ConversionError(text);
    return bytes;
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder dec(kCodec);
    return dec.decode(bytes);
}

QStringList splitLines(const QString &text)
{
    QString t = text;
    t.remove(QChar(0));
    QStringList lines = t.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the file ended with a line end
    for (QString &l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    return lines;
}

QStringList readLines(const QString &path, int maxLines)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw pz::IoError(path, f.errorString());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw pz::IoError(path, f.errorString());
    f.close();
    QStringList lines = splitLines(decode(bytes));
    if (maxLines >= 0 && lines.size() > maxLines)
        lines.resize(maxLines);
    return lines;
}

QString readFirstLine(const QString &path)
{
    const QStringList lines = readLines(path, 1);
    return lines.isEmpty() ? QString() : lines.first();
}

void rewrite(const QString &path, const QStringList &lines)
{
    const QByteArray bytes = encodeLines(lines); // refuse before anything is written
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw pz::IoError(path, f.errorString());
    if (f.write(bytes) != bytes.size() || !f.commit())
        throw pz::IoError(path, f.errorString());
}

void createNew(const QString &path, const QStringList &lines)
{
    const QByteArray bytes = encodeLines(lines);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw pz::IoError(path, f.errorString());
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        const QString reason = f.errorString();
        f.close();
        throw pz::IoError(path, reason);
    }
}

void appendLine(const QString &path, const QString &line)
{
    const QByteArray bytes = encode(line) + "\r\n";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly))
        throw pz::IoError(path, f.errorString());
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        const QString reason = f.errorString();
        f.close();
        throw pz::IoError(path, reason);
    }
}

} // namespace textfile
