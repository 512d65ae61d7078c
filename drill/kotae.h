#pragma once
// TForm4, the result sheet.
#include "shell/screen.h"

class TForm4 : public Screen {
    Q_OBJECT
public:
    TForm4();
};
