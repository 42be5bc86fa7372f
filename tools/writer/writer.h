// The project-file writer: builds byte-exact project files of the mobile app from code.
#pragma once

#include "tools/writer/byte_writer.h"
#include "tools/writer/chunks.h"
#include "tools/writer/effect_chunk.h"
#include "tools/writer/project_file.h"
