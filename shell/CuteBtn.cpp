#include "shell/CuteBtn.h"
