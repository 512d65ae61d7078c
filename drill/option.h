#pragma once
// TForm3, the grade selection.
#include "shell/screen.h"

class TForm3 : public Screen {
    Q_OBJECT
public:
    TForm3();
};
