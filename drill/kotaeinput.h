#pragma once
// TForm5, the answer box.
#include "shell/screen.h"

class TForm5 : public Screen {
    Q_OBJECT
public:
    TForm5();
};
