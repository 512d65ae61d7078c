#pragma once
// The program's look in one place: its title, the dark blue of its screens, its type, and one way
// to give a control its colours and fonts.
#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QWidget;

namespace style {

inline const QColor kDarkBlue(0, 0, 160);
inline const QColor kRed(255, 0, 0);
inline const QColor kBlue(0, 0, 255);
// Blue for "right" on the dark blue: pure blue there is 1.6:1 and hard to read; this is 5.7:1.
inline const QColor kLightBlue(90, 170, 255);
inline const QColor kGreyedText(128, 128, 128);

// "検定用ぴかざん": message boxes and the application name.
QString programTitle();
// The proportional design font, mapped to IPA P Gothic at start-up.
QString fontFamily();
// The fixed-pitch design font, mapped to IPA Gothic.
QString fixedFontFamily();
// The face of bold text: a real bold face (Noto Sans CJK JP Bold). IPA P Gothic has no bold face,
// and Qt emboldens a regular face only at sizes below 64 px.
QString boldFontFamily();

// A font of the design family with a pixel height; bold text in the real bold face, the design
// family standing behind it.
QFont font(int px, bool bold = false, bool italic = false);

// `font` narrowed (a smaller font stretch) just enough that the ink of `text`, drawn from x = 0,
// ends by x = `room`; `font` itself where the text fits. Our faces are wider than the design font,
// so a caption at the design's pixel size can reach past its picture or its dialog.
QFont narrowedToFit(const QFont &font, const QString &text, qreal room);

// Sets one colour role in every colour group, so a control looks the same active, inactive and
// disabled; a valid `disabled` colour overrides the disabled group (greyed captions).
void setColour(QWidget *w, QPalette::ColorRole role, const QColor &colour, const QColor &disabled = QColor());
// The text colour of labels and captions (WindowText) and of fields (Text).
void setTextColour(QWidget *w, const QColor &colour, const QColor &disabled = QColor());

} // namespace style
