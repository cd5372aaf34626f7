#include "app/ProfileFile.h"
