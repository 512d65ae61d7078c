#include "drill/drillrules.h"
