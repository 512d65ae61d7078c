#include "drill/classsheet.h"

#include "base/errors.h"
#include "kit/pdfpage.h"
#include "kit/style.h"

#include <QFontMetrics>
#include <QPainter>

#include <functional>

namespace classsheet {

namespace {
using pdfpage::face;

QByteArray pdf(const QString &title, const pdfpage::Painter &paint)
{
    if (std::optional<QByteArray> page = pdfpage::render(title, paint))
        return *page;
    throw pz::Error(QStringLiteral("「%1」のPDFを作れませんでした。").arg(title));
}

// Title, heading and the program's name at the foot: the frame both papers share.
void frame(QPainter &p, const QRect &page, const QString &title, const QString &heading)
{
    const int w = page.width(), h = page.height();
    p.setFont(face(w / 14, true));
    p.setPen(style::kDarkBlue);
    p.drawText(QRect(0, int(h * 0.05), w, int(h * 0.07)), Qt::AlignCenter, title);
    p.setFont(face(w / 30));
    p.setPen(Qt::black);
    p.drawText(QRect(0, int(h * 0.12), w, int(h * 0.04)), Qt::AlignCenter, heading);
    p.setFont(face(w / 50));
    p.setPen(style::kDarkBlue);
    p.drawText(QRect(0, int(h * 0.95), w, int(h * 0.03)), Qt::AlignCenter, style::programTitle());
}
} // namespace

QByteArray answerSheetPdf(const classset::ClassSet &set)
{
    const QString title = QStringLiteral("解答用紙");
    return pdf(title + QLatin1Char(' ') + classset::heading(set), [&](QPainter &p, const QRect &page) {
        const int w = page.width(), h = page.height();
        frame(p, page, title, classset::heading(set));
        // 名前 and a line to write it on, right of the middle.
        p.setFont(face(w / 30));
        p.setPen(Qt::black);
        const QRect nameAt(int(w * 0.40), int(h * 0.18), int(w * 0.10), int(h * 0.04));
        p.drawText(nameAt, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("名前"));
        p.setPen(QPen(Qt::black, w / 600.0));
        p.drawLine(nameAt.right(), nameAt.bottom(), int(w * 0.88), nameAt.bottom());
        // One box per question; a short set keeps boxes of a ten-question set's size.
        const int n = int(set.questions.size());
        const double top = h * 0.27, rows = h * 0.66;
        const double row = rows / qMax(n, 10);
        p.setFont(face(int(row * 0.45)));
        for (int q = 0; q < n; ++q) {
            const int y = int(top + q * row);
            const QRect box(int(w * 0.30), y + int(row * 0.1), int(w * 0.50), int(row * 0.8));
            p.setPen(Qt::black);
            p.drawText(QRect(int(w * 0.12), box.top(), int(w * 0.15), box.height()), Qt::AlignRight | Qt::AlignVCenter,
                       QString::number(q + 1));
            p.setPen(QPen(Qt::black, w / 400.0));
            p.drawRect(box);
        }
    });
}

QByteArray answerKeyPdf(const classset::ClassSet &set)
{
    const QString title = QStringLiteral("答え");
    return pdf(title + QLatin1Char(' ') + classset::heading(set), [&](QPainter &p, const QRect &page) {
        const int w = page.width(), h = page.height();
        frame(p, page, title, classset::heading(set));
        p.setFont(face(w / 40));
        p.setPen(Qt::black);
        p.drawText(QRect(0, int(h * 0.16), w, int(h * 0.03)), Qt::AlignCenter, classset::paramsText(set.params));

        // The largest type, down to about 6 pt, with which every line fits between the heading and
        // the foot; a question of many numbers wraps before a "+", never inside "+ 362 = 10294".
        QStringList lines = classset::keyLines(set);
        for (QString &line : lines) {
            line.replace(line.lastIndexOf(QStringLiteral(" = ")), 3, QStringLiteral("\u00A0=\u00A0"));
            line.replace(QStringLiteral(" + "), QStringLiteral(" +\u00A0"));
        }
        const QRect area(int(w * 0.10), int(h * 0.22), int(w * 0.80), int(h * 0.71));
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        int px = w / 28;
        QList<int> heights;
        for (;; px = px * 9 / 10) {
            const QFontMetrics m(face(px), p.device());
            heights.clear();
            int total = 0;
            for (const QString &line : lines) {
                heights << m.boundingRect(QRect(0, 0, area.width(), 1 << 20), flags, line).height();
                total += heights.last() + m.height() / 2;
            }
            if (total <= area.height() || px <= w / 100)
                break;
        }
        p.setFont(face(px));
        int y = area.top();
        const int gap = QFontMetrics(face(px), p.device()).height() / 2;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            p.drawText(QRect(area.left(), y, area.width(), heights[i]), flags, lines[i]);
            y += heights[i] + gap;
        }
    });
}

QString answerSheetFileName(const classset::ClassSet &set)
{
    return QStringLiteral("解答用紙-%1-%2.pdf").arg(set.gradeName, classset::setNumberText(set.setNumber));
}

QString answerKeyFileName(const classset::ClassSet &set)
{
    return QStringLiteral("答え-%1-%2.pdf").arg(set.gradeName, classset::setNumberText(set.setNumber));
}

} // namespace classsheet
