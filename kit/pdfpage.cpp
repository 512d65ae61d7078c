#include "kit/pdfpage.h"

#include "kit/style.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace pdfpage {

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
    return bytes.data();
}

} // namespace pdfpage
