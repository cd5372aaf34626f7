#include "meter/FrameAssembler.h"
