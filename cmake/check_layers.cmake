# The module's layers run one way: a folder includes only from itself and the folders
# below it. Run as a script (ctest runs it on the source tree):
#   cmake -DROOT=<source tree> -P cmake/check_layers.cmake
# Every quoted include of every source under the module's folders is held against the
# table; one that runs up (or sideways) fails the check with the file and the include.
#
#   module/                    one import: host session, read, hand-over
#   reader/    builder/        read the file into the model / complete the project
#   instruments/  effects/     instrument set-up, quantize / inserts, conversion
#   presets/                   the preset file writer
#   model/                     the song model
#   hostkit/                   what every layer above uses to talk to the host
#   base/  interfaces/         foundation, the host's interface set
if(NOT ROOT)
  message(FATAL_ERROR "check_layers: ROOT is not set")
endif()

set(below_interfaces interfaces)
set(below_base base interfaces)
set(below_hostkit hostkit base interfaces)
set(below_model model base interfaces)
set(below_presets presets base interfaces)
set(below_effects effects model hostkit base interfaces)
set(below_instruments instruments presets model hostkit base interfaces)
set(below_builder builder effects instruments presets model hostkit base interfaces)
set(below_reader reader effects instruments model hostkit base interfaces)
set(below_module module reader builder effects instruments presets model hostkit base
    interfaces)
set(layers interfaces base hostkit model presets effects instruments builder reader module)

set(violations "")
set(checked 0)
foreach(layer ${layers})
  file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
  foreach(source ${sources})
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
      # An include without a folder names a header beside the source.
      if(NOT included MATCHES "/")
        continue()
      endif()
      string(REGEX REPLACE "/.*$" "" folder "${included}")
      list(FIND below_${layer} ${folder} allowed)
      if(allowed EQUAL -1)
        string(APPEND violations "\n  ${source} includes ${included}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "check_layers: no sources under ${ROOT}")
endif()
if(violations)
  message(FATAL_ERROR "includes that run up a layer:${violations}")
endif()
message(STATUS "check_layers: ${checked} files, every include runs down")
