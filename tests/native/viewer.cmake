# The S.M.A.R.T. viewer's texts: names, bit and flag texts, selector lines, list rows.
kv_test(viewer_text_test
    SOURCES viewer/viewer_text_test.cpp viewer/attribute_rows_test.cpp
    LIBS kv_viewer kv_sensing_test_support)
