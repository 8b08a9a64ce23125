# The Wine harness as a CTest fixture: every Windows test requires "wine".
add_test(NAME wine.harness.start
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-harness.sh start ${CMAKE_BINARY_DIR})
add_test(NAME wine.harness.stop
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-harness.sh stop ${CMAKE_BINARY_DIR})
set_tests_properties(wine.harness.start PROPERTIES FIXTURES_SETUP wine LABELS "wine;e2e" TIMEOUT 120)
set_tests_properties(wine.harness.stop PROPERTIES FIXTURES_CLEANUP wine LABELS "wine;e2e" TIMEOUT 60)

# Checks the harness itself: code page 932, the desktop and a screenshot.
kv_test(wine_harness_test SOURCES harness_test.cpp harness_client.cpp)
target_link_libraries(wine_harness_test PRIVATE shell32 gdi32 user32)
