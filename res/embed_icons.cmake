# Writes a C++ source holding the icon's PNG images, one after the other.
# Inputs: OUT (the .cpp to write), PNGS (PNG files separated by commas).
string(REPLACE "," ";" PNGS "${PNGS}")
set(bytes "")
set(sizes "")
set(count 0)
foreach(png ${PNGS})
  file(READ ${png} hex HEX)
  string(LENGTH "${hex}" len)
  math(EXPR n "${len} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(APPEND bytes "${hex}\n")
  string(APPEND sizes "${n}u,")
  math(EXPR count "${count} + 1")
endforeach()
file(WRITE ${OUT} "// Generated from res/icons at build time.\n"
  "extern const unsigned char g_IconPng[] = {\n${bytes}};\n"
  "extern const unsigned int g_IconPngSizes[] = {${sizes}};\n"
  "extern const int g_IconPngCount = ${count};\n")
