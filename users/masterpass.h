#pragma once
// TForm12, the choosing the master password.
#include "shell/screen.h"

class TForm12 : public Screen {
    Q_OBJECT
public:
    TForm12();
};
