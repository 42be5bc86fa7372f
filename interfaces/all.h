// The whole interface set.
#pragma once

#include "audio.h"
#include "events.h"
#include "funknown.h"
#include "host.h"
#include "ibstream.h"
#include "importdiagnostics.h"
#include "mixer.h"
#include "pluginbase.h"
#include "presets.h"
#include "project.h"
#include "projectfilter.h"
