#pragma once
// TForm8, the own records.
#include "shell/screen.h"

class TForm8 : public Screen {
    Q_OBJECT
public:
    TForm8();
};
