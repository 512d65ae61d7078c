#pragma once
// TForm2, the flash screen.
#include "shell/screen.h"

class TForm2 : public Screen {
    Q_OBJECT
public:
    TForm2();
};
