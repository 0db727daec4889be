# The JUCE modules are compiled once into juce_shared; the program, the tests, the
# benchmarks and the fuzz targets all link it and inherit its definitions.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)

add_library(juce_shared STATIC)

target_link_libraries(juce_shared
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics
        juce::juce_audio_basics
        juce::juce_audio_devices
    PUBLIC
        juce::juce_recommended_config_flags
        # Debian's JUCE decodes images with the system's libpng and libjpeg.
        PNG::PNG
        JPEG::JPEG)

target_compile_definitions(juce_shared
    PUBLIC
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_JACK=0
        JUCE_STANDALONE_APPLICATION=1
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    INTERFACE
        $<TARGET_PROPERTY:juce_shared,COMPILE_DEFINITIONS>)

target_include_directories(juce_shared
    INTERFACE
        $<TARGET_PROPERTY:juce_shared,INCLUDE_DIRECTORIES>)

set_target_properties(juce_shared PROPERTIES
    POSITION_INDEPENDENT_CODE TRUE
    VISIBILITY_INLINES_HIDDEN TRUE
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)

# JUCE's own sources are not ours to warn about.
target_compile_options(juce_shared PRIVATE -w)
