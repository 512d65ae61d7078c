#pragma once
// TForm9, the user selection and login.
#include "shell/screen.h"

class TForm9 : public Screen {
    Q_OBJECT
public:
    TForm9();
};
