# Writes a C++ source that holds every docs/codes/*.md page as bytes, keyed by
# the page's file name without ".md". Run as: cmake -DPAGES_DIR=... -DOUTPUT=... -P
file(GLOB pages ${PAGES_DIR}/*.md)
list(SORT pages)

set(arrays "")
set(entries "")
set(index 0)
foreach(page ${pages})
  get_filename_component(name ${page} NAME_WE)
  file(READ ${page} bytes HEX)
  string(LENGTH "${bytes}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  # A trailing zero keeps the array non-empty; the view leaves it out.
  string(APPEND arrays "const unsigned char kPage${index}[] = {${bytes}0x00};\n")
  string(APPEND entries "    {\"${name}\", std::string_view(reinterpret_cast<const char*>(kPage${index}), ${size})},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(source "// Generated from docs/codes/*.md at build time; edit the pages, not this file.
#include \"cli/embedded_pages.h\"

namespace quorv::cli {

namespace {
${arrays}
const EmbeddedPage kPages[] = {
${entries}    {\"\", std::string_view()},
};
}  // namespace

std::span<const EmbeddedPage> embedded_pages() { return {kPages, ${index}}; }

}  // namespace quorv::cli
")

# Only touch the output when it changes, so an unchanged page costs no rebuild.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} previous)
  if(previous STREQUAL source)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${source}")
