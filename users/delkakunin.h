#pragma once
// TForm15, the confirming a deletion.
#include "shell/screen.h"

class TForm15 : public Screen {
    Q_OBJECT
public:
    TForm15();
};
