#include "drill/MMTimer.h"
