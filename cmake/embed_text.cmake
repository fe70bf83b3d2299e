# Turns a text file into a C++ source defining qxvb::embedded::stringTableText.
file(READ ${INPUT} content HEX)
string(LENGTH "${content}" hexlen)
math(EXPR bytes "${hexlen} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${content}")
file(WRITE ${OUTPUT} "#include <string_view>\nnamespace qxvb::embedded {\nstatic const char kData[] = {${body} 0};\nextern const std::string_view stringTableText(kData, ${bytes});\n}\n")
