# Writes OUTPUT, a C++ source that holds each file of FILES as a std::string_view named
# by the same place in NAMES (namespace View): the page's template, style and script are
# kept as files in the source tree and built into the program this way.
#   cmake -DOUTPUT=assets.cpp "-DFILES=a.html|b.css" "-DNAMES=kPage|kStyle" -P embed.cmake
string(REPLACE "|" ";" FILES "${FILES}")
string(REPLACE "|" ";" NAMES "${NAMES}")
set(text "// Written by view/embed.cmake from view/assets: do not edit.\n#include \"view/assets.h\"\n\nnamespace View {\n")
list(LENGTH FILES count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  list(GET FILES ${i} file)
  list(GET NAMES ${i} name)
  file(READ ${file} bytes HEX)
  string(LENGTH "${bytes}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  string(APPEND text "\nnamespace {\nconst unsigned char ${name}Bytes[] = {${bytes}0};\n}\n"
    "const std::string_view ${name}(reinterpret_cast<const char*>(${name}Bytes), ${size});\n")
endforeach()
string(APPEND text "\n}  // namespace View\n")
file(WRITE ${OUTPUT}.new "${text}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
