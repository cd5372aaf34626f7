#include "meter/Acquisition.h"
