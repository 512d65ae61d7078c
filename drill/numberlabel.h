#pragma once
// The flash screen's number label.
#include <QLabel>
#include <QPixmap>
#include <array>
#include <chrono>

// The number label. It carries its text like any label, but paints it from digit images rendered
// once: the text renderer caches no glyph this large, and drawing 400 px glyphs from the outlines at
// every flash would cost the GUI thread a millisecond or more each time.
//
// Once prepared, setText no longer repaints the label by itself: the flash screen repaints exactly
// the pixels that change (the inked boxes of the old and the new number), synchronously, through
// repaintChange().
class NumberLabel : public QLabel {
    Q_OBJECT
public:
    explicit NumberLabel(QWidget *parent);

    // Renders the ten digits for the label's current font and colour; does nothing when they
    // are ready. Text that is not all prepared digits is drawn as ordinary text.
    void prepare();
    bool isPrepared() const { return prepared_; }

    // The inked box of a text as this label paints it, in the label's coordinates; the whole
    // label for text that is not drawn from the digit images.
    QRect inkRect(const QString &text) const;

    // Paints what changed since the label was last painted (the inked boxes of the text then and
    // now) before returning.
    void repaintChange();

    // When the last paint began and ended (for the timing benchmark).
    std::chrono::steady_clock::time_point lastPaintStart() const { return paintStart_; }
    std::chrono::steady_clock::time_point lastPaintEnd() const { return paintEnd_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool drawsFromDigits(const QString &text) const;
    struct Digit {
        QPixmap ink;     // the glyph's inked box, in the label's colour on transparent, in device pixels
        QPoint offset;   // top-left of ink relative to the pen position on the baseline, in device pixels
        int advance = 0;
    };
    // A digit's inked box, in device pixels, with the pen at `pen` (label coordinates).
    QRect inkOnDevice(const Digit &g, QPoint pen) const;
    std::array<Digit, 10> digits_;
    bool prepared_ = false;
    QFont preparedFont_;
    QColor preparedColour_;
    qreal preparedRatio_ = 0; // the device pixel ratio the digits were rendered at
    int ascent_ = 0;
    int inkTop_ = 0, inkBottom_ = 0; // the first and last rows any digit inks, in label coordinates
    QRect onScreen_; // the inked box of what was painted last
    bool topSpot_ = false;
    QRect intended_;     // the rectangle repaintChange is painting, while it paints
    bool blank_ = false; // nothing inked when it began
    std::chrono::steady_clock::time_point paintStart_, paintEnd_;
};
