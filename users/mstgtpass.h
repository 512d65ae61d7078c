#pragma once
// TForm14, the entering the master password.
#include "shell/screen.h"

class TForm14 : public Screen {
    Q_OBJECT
public:
    TForm14();
};
