# Helpers shared by the per-layer libraries and the test suites.

set(QTR_WARNINGS -Wall -Wextra -Wno-unused-parameter)

# qtr_layer_library(<name> <folder> [DEPENDS targets...])
# A static library of every .cpp in <folder>, headers found from source/.
function(qtr_layer_library name folder)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${folder}/*.cpp")
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS "${folder}/*.h")
    if(NOT sources)
        set(sources "${PROJECT_SOURCE_DIR}/cmake/empty.cpp")
    endif()
    add_library(${name} STATIC ${sources} ${headers})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/source")
    target_link_libraries(${name} PUBLIC juce_shared ${ARG_DEPENDS})
    target_compile_options(${name} PRIVATE ${QTR_WARNINGS})
endfunction()
