#pragma once
// TForm17, the settings editor.
#include "shell/screen.h"

class TForm17 : public Screen {
    Q_OBJECT
public:
    TForm17();
};
