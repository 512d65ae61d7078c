#include "records/certificate.h"

#include "base/classroom.h"
#include "base/errors.h"
#include "platform/outputfile.h"
#include "kit/app.h"
#include "kit/dialogs.h"
#include "kit/pdfpage.h"
#include "kit/saveflow.h"
#include "kit/style.h"

#include <QFileInfo>
#include <QPainter>

namespace certificate {

namespace {
using pdfpage::face;

void paint(QPainter &p, const Pass &pass, const QRect page)
{
    const int w = page.width(), h = page.height();
    const QColor ink = style::kDarkBlue;
    // A calm frame: a broad line with a thin one inside it.
    const int m = w / 14;
    QRect outer = page.adjusted(m, m, -m, -m);
    p.setPen(QPen(ink, w / 120.0));
    p.drawRect(outer);
    p.setPen(QPen(ink, w / 600.0));
    p.drawRect(outer.adjusted(w / 50, w / 50, -w / 50, -w / 50));

    const auto line = [&](const QString &text, int px, bool bold, double top, double height, const QColor &colour) {
        p.setFont(face(px, bold));
        p.setPen(colour);
        p.drawText(QRect(page.left(), page.top() + int(h * top), w, int(h * height)), Qt::AlignCenter, text);
    };
    line(QStringLiteral("合格証"), w / 9, true, 0.13, 0.12, ink);
    line(nameLine(pass), w / 16, false, 0.32, 0.08, Qt::black);
    line(gradeLine(pass), w / 14, true, 0.44, 0.09, Qt::black);
    line(QStringLiteral("あなたは 上の級に 合格しました。"), w / 32, false, 0.57, 0.05, Qt::black);
    line(QStringLiteral("よく がんばりました。"), w / 32, false, 0.62, 0.05, Qt::black);
    line(dateLine(pass), w / 28, false, 0.72, 0.05, Qt::black);
    line(style::programTitle(), w / 22, false, 0.80, 0.06, ink);
}
} // namespace

QString writePdf(const Classroom &classroom, const Pass &pass, const QString &file)
{
    const std::optional<QByteArray> pdf = pdfpage::render(QStringLiteral("合格証 %1").arg(pass.name),
                                                         [&](QPainter &p, const QRect &page) { paint(p, pass, page); });
    if (!pdf)
        throw pz::IoError(file, QStringLiteral("合格証を作れませんでした"));
    // All at once: the old file stays until the new one is complete and on the disk.
    return outputfile::save(classroom, file, *pdf, "%PDF-");
}

Made make(const Classroom &classroom, const QString &name, const QString &file)
{
    Made made = prepare(classroom, name, file);
    if (!made.pass)
        return made;
    if (QString refused = writePdf(classroom, *made.pass, file); !refused.isEmpty())
        return {std::nullopt, refused};
    return made;
}

void save(QWidget *parent, const QString &name)
{
    // Said before the dialog: no name chosen, or nothing to save.
    if (const QString instead = beforeChoosing(name); !instead.isEmpty())
        return dialogs::inform(instead);
    saveflow::save(parent, {QStringLiteral("合格証"), defaultFileName(name), QStringLiteral("PDF (*.pdf)")},
                   [&](const QString &file) -> saveflow::Outcome {
                       const Made made = make(Classroom::inUse(), name, file);
                       if (!made.refusal.isEmpty())
                           return {made.refusal, {}};
                       // No pass any more: the history changed while the dialog was open.
                       return {{}, made.pass ? QStringLiteral("%1さんの合格証を保存しました。\n%2").arg(name, file) : noPass(name)};
                   });
}

} // namespace certificate
