// A reader source that reaches into the builders: the layer check must refuse it.
#include "builder/build_driver.h"
#include "model/song_model.h"
