# Support library: CSTR, INIFILE (on the profile seam), CFILE, LOGFILE.
if(WIN32)
    set(kv_profile_impl profile_win.cpp durable_file_win.cpp)
else()
    set(kv_profile_impl profile_native.cpp profile_engine.cpp profile_document.cpp durable_file_posix.cpp)
endif()
add_library(kv_support STATIC
    cstr.cpp
    inifile.cpp
    setting_keys.cpp
    profile_integer.cpp
    profile_section.cpp
    ${kv_profile_impl}
    cfile.cpp
    logfile.cpp
    file_trouble.cpp
    json_text.cpp
    civil_time.cpp
)
target_include_directories(kv_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

# The programs' language (Japanese or English, language.h) and the texts KELVIX and PELITO
# share (common_texts.h).
if(WIN32)
    set(kv_language_platform language_win.cpp utf8_from_cp932_win.cpp)
else()
    set(kv_language_platform language_posix.cpp utf8_from_cp932_posix.cpp)
endif()
add_library(kv_language STATIC language.cpp common_texts.cpp utf16_from_cp932.cpp ${kv_language_platform})
target_include_directories(kv_language PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
