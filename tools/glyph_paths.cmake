# Where glyphgen's output lands in a build tree (included once by the top-level
# CMakeLists.txt: the monitor, tools/ and the tests all use it).
set(KV_GLYPH_DIR ${CMAKE_BINARY_DIR}/tools/glyphs)
set(KV_GLYPH_FILE ${CMAKE_BINARY_DIR}/tools/7SEG_G.KVX)
set(KV_PROGRAM_ICON ${KV_GLYPH_DIR}/kelvix.ico)
