#include "kit/pdfpage.h"

#include "kit/style.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace pdfpage {

namespace {
// The radicals' blocks: no text of the papers holds one (they are outside Shift_JIS), but a font
// that draws 用 and the radical ⽤ with one glyph is told back as the radical, the lower code.
bool isRadical(uint u) { return (u >= 0x2E80 && u <= 0x2EFF) || (u >= 0x2F00 && u <= 0x2FDF); }

// Four hex digits at data[at], or -1.
int hex4(const QByteArray &data, qsizetype at)
{
    if (at + 4 > data.size())
        return -1;
    bool ok = false;
    const int v = data.mid(at, 4).toInt(&ok, 16);
    return ok ? v : -1;
}

// The ideograph a radical stands for, or the radical itself when it stands for none.
uint ideographFor(uint radical)
{
    const QString plain = QString(QChar(char16_t(radical))).normalized(QString::NormalizationForm_KC);
    return plain.size() == 1 && plain[0].unicode() >= 0x3400 && plain[0].unicode() <= 0x9FFF ? plain[0].unicode() : radical;
}

// Rewrites one destination code at data[at] (four hex digits) when it is a radical.
void plainCode(QByteArray &data, qsizetype at)
{
    const int u = hex4(data, at);
    if (u < 0 || !isRadical(uint(u)))
        return;
    const QByteArray code = QByteArray::number(ideographFor(uint(u)), 16).toUpper().rightJustified(4, '0');
    data.replace(at, 4, code);
}
} // namespace

QByteArray withIdeographs(QByteArray pdf)
{
    // Only the destinations of single-glyph entries ("<g> <g> <u>" and every code of a
    // "<g1> <g2> [<u1> <u2> ...]" list) change, to codes of the same length, so that no offset of the
    // file moves. A run "<g1> <g2> <u>" stands for consecutive codes and is kept as it is.
    qsizetype from = 0;
    for (;;) {
        const qsizetype begin = pdf.indexOf("beginbfrange", from);
        if (begin < 0)
            break;
        const qsizetype end = pdf.indexOf("endbfrange", begin);
        if (end < 0)
            break;
        qsizetype line = pdf.indexOf('\n', begin) + 1;
        while (line > 0 && line < end) {
            qsizetype next = pdf.indexOf('\n', line);
            if (next < 0 || next > end)
                next = end;
            // "<gggg> <gggg> " then the destination(s).
            if (next - line >= 16 && pdf[line] == '<' && pdf[line + 6] == ' ' && pdf[line + 7] == '<' && pdf[line + 13] == ' ') {
                const qsizetype rest = line + 14;
                if (pdf[rest] == '[') {
                    for (qsizetype at = pdf.indexOf('<', rest); at >= 0 && at < next; at = pdf.indexOf('<', at + 1))
                        plainCode(pdf, at + 1);
                } else if (pdf[rest] == '<' && hex4(pdf, line + 1) == hex4(pdf, line + 8)) {
                    plainCode(pdf, rest + 1);
                }
            }
            line = next + 1;
        }
        from = end;
    }
    return pdf;
}

QFont face(int px, bool bold)
{
    QFont f = style::font(px, bold);
    QStringList families = f.families();
    families << QStringLiteral("IPAPGothic");
    f.setFamilies(families);
    return f;
}

std::optional<QByteArray> render(const QString &title, const Painter &paint)
{
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&bytes);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(300);
        writer.setTitle(title);
        writer.setCreator(style::programTitle());
        QPainter p;
        if (!p.begin(&writer))
            return std::nullopt;
        paint(p, QRect(QPoint(0, 0), writer.pageLayout().fullRectPixels(writer.resolution()).size()));
        p.end();
    }
    return withIdeographs(bytes.data());
}

} // namespace pdfpage
