#include "drill/flashrules.h"
