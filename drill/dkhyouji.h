#pragma once
// TForm16, the grade briefing.
#include "shell/screen.h"

class TForm16 : public Screen {
    Q_OBJECT
public:
    TForm16();
};
