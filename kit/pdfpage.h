#pragma once
// One A4 page as PDF bytes, for the papers the teacher saves (the certificate, the class sheets).
#include <QByteArray>
#include <QFont>
#include <QString>

#include <functional>
#include <optional>

class QPainter;
class QRect;

namespace pdfpage {

// The design font with IPA P Gothic named behind it: the command line has no application that maps
// the design font's name.
QFont face(int px, bool bold = false);

// The page painted by `paint` (the page's rectangle in pixels at 300 dpi, no margins), titled
// `title`; nothing when the painter cannot start.
using Painter = std::function<void(QPainter &, const QRect &page)>;
// The text layer tells every character as written (so that a search for 解答用紙 finds it).
std::optional<QByteArray> render(const QString &title, const Painter &paint);

// The PDF's text layer with ideographs where the font's table gave radicals of the same glyph.
QByteArray withIdeographs(QByteArray pdf);

} // namespace pdfpage
