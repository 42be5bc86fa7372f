// A toolkit header that uses only what lies below it: the layer check accepts it.
#pragma once

#include "base/iptr.h"
#include "interfaces/all.h"
#include "local.h"
