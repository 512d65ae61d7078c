#pragma once
// TForm10, the deleting the logged-in user.
#include "shell/screen.h"

class TForm10 : public Screen {
    Q_OBJECT
public:
    TForm10();
};
