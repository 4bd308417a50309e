#include "record/sample_point.h"
