#include "meter/MeterFrame.h"
