# The S.M.A.R.T. viewer's texts (portable): attribute names, bit and flag texts, the
# selector lines and the rows of both lists. The dialog itself is in app.cmake.
add_library(kv_viewer STATIC
    attribute_names.cpp
    viewer_text.cpp
)
target_include_directories(kv_viewer PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kv_viewer PUBLIC kv_sensing)
