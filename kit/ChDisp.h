#pragma once
// TChDisplay: reads the display mode and switches the primary display to a width, height and depth
// chosen from the driver's own list of modes.
#include "platform/display.h"

#include <QObject>

class TChDisplay : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool AutoReset READ AutoReset WRITE setAutoReset)
public:
    explicit TChDisplay(QObject *owner, display::Layer &layer = display::systemLayer());

    bool AutoReset() const { return autoReset_; }
    void setAutoReset(bool v) { autoReset_ = v; }

    void GetDisplayMode(qint32 &width, qint32 &height, qint32 &bitsPerPixel);
    // bitsPerPixel 0 matches any depth and keeps the current one.
    bool ChangeDisplayMode(qint32 width, qint32 height, qint32 bitsPerPixel);

private:
    display::Layer &layer_;
    bool autoReset_ = true;
};
