#include "record/DataFile.h"
