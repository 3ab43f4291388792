# Writes OUTPUT, a C++ source holding the bytes of each file of FILES ("|"-separated), for
# src/translate/builtin_texts.cpp.
string(REPLACE "|" ";" files "${FILES}")
set(body "")
set(table "")
set(n 0)
foreach(file IN LISTS files)
  get_filename_component(name "${file}" NAME)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND body "const unsigned char kText${n}[] = {\n${bytes}0};\n")
  string(APPEND table "    {\"${name}\", kText${n}, ${size}},\n")
  math(EXPR n "${n} + 1")
endforeach()
if(n EQUAL 0)
  set(table "    {\"\", nullptr, 0},\n")
endif()
file(WRITE "${OUTPUT}.tmp" "// Written by cmake/embed_language_texts.cmake from languages/; do not edit.
#include <cstddef>

namespace vantorel::detail {
struct TEmbeddedText {
  const char* file_name;
  const unsigned char* data;
  size_t size;
};
namespace {
${body}}  // namespace
extern const TEmbeddedText kEmbeddedLanguageTexts[] = {
${table}};
extern const size_t kEmbeddedLanguageTextCount = ${n};
}  // namespace vantorel::detail
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
