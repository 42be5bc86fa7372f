// A builder header that asks the reader for something: the layer check must refuse it.
#pragma once

#include "hostkit/host_session.h"
#include "reader/chunks.h"
