#pragma once
// TForm13, the the teacher's view of students' records.
#include "shell/screen.h"

class TForm13 : public Screen {
    Q_OBJECT
public:
    TForm13();
};
