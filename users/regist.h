#pragma once
// TForm7, the registration.
#include "shell/screen.h"

class TForm7 : public Screen {
    Q_OBJECT
public:
    TForm7();
};
