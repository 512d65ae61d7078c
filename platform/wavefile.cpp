#include "platform/wavefile.h"

#include <QtEndian>

namespace wavefile {

namespace {
quint32 le32(const QByteArray &b, qint64 at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 le16(const QByteArray &b, qint64 at) { return qFromLittleEndian<quint16>(b.constData() + at); }

// The format chunk's fields the backend relies on, or why they cannot be played.
QString formatProblem(const QByteArray &b, qint64 at, quint32 size)
{
    if (size < 16)
        return QStringLiteral("fmt chunk of %1 bytes").arg(size);
    const quint16 format = le16(b, at), channels = le16(b, at + 2), blockAlign = le16(b, at + 12),
                  bits = le16(b, at + 14);
    const quint32 rate = le32(b, at + 4), byteRate = le32(b, at + 8);
    if (format != 1 && format != 3 && format != 0xFFFE)
        return QStringLiteral("sample format %1").arg(format);
    if (channels < 1 || channels > 8)
        return QStringLiteral("%1 channels").arg(channels);
    if (rate < 1000 || rate > 384000)
        return QStringLiteral("%1 samples per second").arg(rate);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return QStringLiteral("%1 bits per sample").arg(bits);
    if (blockAlign != channels * bits / 8 || byteRate != rate * blockAlign)
        return QStringLiteral("block alignment %1, %2 bytes per second").arg(blockAlign).arg(byteRate);
    return {};
}
} // namespace

QString problem(const QByteArray &b)
{
    const qint64 size = b.size();
    if (size > kMaxBytes)
        return QStringLiteral("larger than %1 bytes").arg(kMaxBytes);
    if (size < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
        return QStringLiteral("not a RIFF/WAVE file");
    const qint64 declared = qint64(le32(b, 4)) + 8;
    if (declared > size)
        return QStringLiteral("cut short: %1 of %2 bytes").arg(size).arg(declared);
    qint64 at = 12;
    int blockAlign = 0;
    bool format = false, data = false;
    while (at + 8 <= declared) {
        const QByteArray id = b.mid(at, 4);
        const quint32 chunk = le32(b, at + 4);
        at += 8;
        if (qint64(chunk) > declared - at)
            return QStringLiteral("chunk '%1' of %2 bytes runs past the end").arg(QString::fromLatin1(id)).arg(chunk);
        if (id == "fmt ") {
            if (const QString p = formatProblem(b, at, chunk); !p.isEmpty())
                return p;
            format = true;
            blockAlign = le16(b, at + 12);
        } else if (id == "data") {
            if (!format)
                return QStringLiteral("data before the format");
            if (chunk < quint32(blockAlign))
                return QStringLiteral("no samples");
            data = true;
        }
        at += chunk + (chunk & 1); // chunks are padded to an even length
    }
    if (!format || !data)
        return QStringLiteral("no %1 chunk").arg(format ? QStringLiteral("data") : QStringLiteral("fmt"));
    return {};
}

} // namespace wavefile
