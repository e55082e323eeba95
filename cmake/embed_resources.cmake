# Run with cmake -P: writes a C++ file holding the given files as byte arrays, so the
# executable carries its pictures and chime without a resource compiler.
#   -DOUTPUT=file.cpp -DFILES="a.png|b.wav"
string(REPLACE "|" ";" FILES "${FILES}")
set(body "")
set(table "")
set(index 0)
foreach(path IN LISTS FILES)
    get_filename_component(name "${path}" NAME)
    if(EXISTS "${path}")
        file(READ "${path}" hex HEX)
    else()
        message(WARNING "embedded resource missing: ${path}")
        set(hex "")
    endif()
    string(LENGTH "${hex}" hexlen)
    math(EXPR size "${hexlen} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
    string(APPEND body "alignas(4) const unsigned char r${index}[] = {\n${bytes}0};\n")
    string(APPEND table "    {\"${name}\", r${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"// Generated from units/assets by cmake/embed_resources.cmake; do not edit.\n"
"#include <cstddef>\n"
"struct EmbeddedEntry { const char* name; const unsigned char* data; std::size_t size; };\n"
"namespace {\n${body}}\n"
"extern const EmbeddedEntry kEmbeddedResources[] = {\n${table}};\n"
"extern const std::size_t kEmbeddedResourceCount = ${index};\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE "${OUTPUT}.tmp")
