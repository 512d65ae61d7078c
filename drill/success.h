#pragma once
// TForm6, the verdict.
#include "shell/screen.h"

class TForm6 : public Screen {
    Q_OBJECT
public:
    TForm6();
};
