# Reliability under Wine: our profile engine held to the platform's profile functions
# on generated files, both linked into one program.
kv_test(reliability_profile_agreement_test
    SOURCES profile_agreement_test.cpp
        ${PROJECT_SOURCE_DIR}/common/profile_engine.cpp
        ${PROJECT_SOURCE_DIR}/common/profile_document.cpp)
target_include_directories(reliability_profile_agreement_test PRIVATE
    ${PROJECT_SOURCE_DIR}/common ${PROJECT_SOURCE_DIR}/tests/native)
