#include "record/influx_forwarder.h"
