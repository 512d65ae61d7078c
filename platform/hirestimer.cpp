#include "platform/hirestimer.h"
