#include "kit/ChDisp.h"

#include "kit/dialogs.h"

TChDisplay::TChDisplay(QObject *owner, display::Layer &layer) : QObject(owner), layer_(layer) {}

void TChDisplay::GetDisplayMode(qint32 &width, qint32 &height, qint32 &bitsPerPixel)
{
    layer_.current(width, height, bitsPerPixel);
}

bool TChDisplay::ChangeDisplayMode(qint32 width, qint32 height, qint32 bitsPerPixel)
{
    using display::ChangeResult;
    // The first mode of the driver's list that fits wins, with its own refresh rate.
    display::Mode mode;
    bool found = false;
    for (int i = 0; layer_.enumMode(i, mode); ++i) {
        if (mode.width == width && mode.height == height && (bitsPerPixel == 0 || mode.bitsPerPixel == bitsPerPixel)) {
            found = true;
            break;
        }
    }
    if (!found)
        return false;

    const ChangeResult result = layer_.change(mode, bitsPerPixel == 0);
    if (bitsPerPixel != 0 && result == ChangeResult::Restart && autoReset_) {
        if (dialogs::ask(QStringLiteral("ディスプレイ設定の変更"),
                         QStringLiteral("新しい設定を有効にするには、ｺﾝﾋﾟｭｰﾀを再起動する必要があります。")))
            layer_.reboot();
    }
    return result != ChangeResult::Failed && result != ChangeResult::BadMode;
}
