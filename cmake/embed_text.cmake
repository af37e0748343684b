# Writes OUTPUT, a C++ file defining NAME as the text of INPUT in raw-string pieces of at most
# 8,000 bytes (compilers cap a single literal's length), to be joined at run time.
# cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P embed_text.cmake
file(READ "${INPUT}" text)
string(REPLACE "\r" "" text "${text}")
string(LENGTH "${text}" length)
set(pieces "")
set(at 0)
while(at LESS length)
  string(SUBSTRING "${text}" ${at} 8000 piece)
  string(APPEND pieces "    R\"embedded(${piece})embedded\",\n")
  math(EXPR at "${at} + 8000")
endwhile()
file(WRITE "${OUTPUT}.new" "// Made at build time from ${INPUT}.\n#include <string>\n\nextern const char* const ${NAME}[];\nconst char* const ${NAME}[] = {\n${pieces}    nullptr};\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
