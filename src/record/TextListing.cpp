#include "record/TextListing.h"
