#include "record/spool.h"
