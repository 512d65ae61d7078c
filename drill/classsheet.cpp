#include "drill/classsheet.h"

#include "base/errors.h"
#include "kit/pdfpage.h"
#include "kit/style.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <functional>

namespace classsheet {

namespace {
using pdfpage::face;

// The lines of one column of answer sheets.
constexpr int kColumnLines = 12;

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

int sheetsPerPage(int questions)
{
    // Two columns; a sheet takes a line for 名前, one for 日付 and 点数, and one per question, of the
    // twelve lines a column has.
    return 2 * std::max(1, kColumnLines / (std::max(questions, 1) + 2));
}

QByteArray answerSheetPdf(const classset::ClassSet &set)
{
    const QString title = QStringLiteral("解答用紙");
    return pdf(title + QLatin1Char(' ') + classset::heading(set), [&](QPainter &p, const QRect &page) {
        const int w = page.width(), h = page.height();
        frame(p, page, title, classset::heading(set));
        const int n = int(set.questions.size());
        const int sheets = sheetsPerPage(n), perColumn = sheets / 2;
        // The sheets between the heading and the foot, cut apart along the dashed lines.
        const double top = h * 0.17, bottom = h * 0.93, left = w * 0.06, colWidth = (w - 2 * left) / 2;
        const double sheetHeight = (bottom - top) / perColumn;
        const double line = std::min(sheetHeight / (n + 2), (bottom - top) / kColumnLines);
        for (int s = 0; s < sheets; ++s) {
            const QRectF cell(left + (s / perColumn) * colWidth, top + (s % perColumn) * sheetHeight, colWidth, sheetHeight);
            p.setPen(QPen(Qt::gray, w / 800.0, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(cell);
            const double x = cell.left() + colWidth * 0.06, right = cell.right() - colWidth * 0.06;
            p.setFont(face(int(line * 0.38)));
            const auto field = [&](const QString &label, double from, double to, double y) {
                p.setPen(Qt::black);
                const QRectF at(from, y, colWidth * 0.16, line * 0.8);
                p.drawText(at, Qt::AlignLeft | Qt::AlignBottom, label);
                p.setPen(QPen(Qt::black, w / 1200.0));
                p.drawLine(QPointF(at.right(), at.bottom()), QPointF(to, at.bottom()));
            };
            field(QStringLiteral("名前"), x, right, cell.top());
            const double mid = x + (right - x) * 0.55;
            field(QStringLiteral("日付"), x, mid - colWidth * 0.04, cell.top() + line);
            field(QStringLiteral("点数"), mid, right - colWidth * 0.12, cell.top() + line);
            p.drawText(QRectF(right - colWidth * 0.12, cell.top() + line, colWidth * 0.12, line * 0.8),
                       Qt::AlignRight | Qt::AlignBottom, QStringLiteral("／%1").arg(n));
            // One box per question.
            for (int q = 0; q < n; ++q) {
                const double y = cell.top() + (q + 2) * line;
                const QRectF box(x + colWidth * 0.14, y + line * 0.12, (right - x) * 0.80, line * 0.76);
                p.setPen(Qt::black);
                p.drawText(QRectF(x, box.top(), colWidth * 0.10, box.height()), Qt::AlignRight | Qt::AlignVCenter,
                           QString::number(q + 1));
                p.setPen(QPen(Qt::black, w / 800.0));
                p.drawRect(box);
            }
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
