#include "appcurrentname.h"

QString AppCurrentName;
