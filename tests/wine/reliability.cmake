# Reliability under Wine: our profile engine held to the platform's profile functions
# on generated files, both linked into one program.
kv_test(reliability_profile_agreement_test
    SOURCES profile_agreement_test.cpp
        ${PROJECT_SOURCE_DIR}/common/profile_engine.cpp
        ${PROJECT_SOURCE_DIR}/common/profile_document.cpp)
target_include_directories(reliability_profile_agreement_test PRIVATE
    ${PROJECT_SOURCE_DIR}/common ${PROJECT_SOURCE_DIR}/tests/native)

# The same faults against the platform's profile functions and file handling.
kv_test(reliability_faults_wine_test SOURCES ${PROJECT_SOURCE_DIR}/tests/native/support_faults_test.cpp LIBS kv_support)
