# Where glyphgen's output lands in a build tree; included wherever it is used, since
# the monitor is configured before tools/.
set(KV_GLYPH_DIR ${CMAKE_BINARY_DIR}/tools/glyphs)
set(KV_GLYPH_FILE ${CMAKE_BINARY_DIR}/tools/7SEG_G.KVX)
set(KV_PROGRAM_ICON ${KV_GLYPH_DIR}/kelvix.ico)
