# Helpers that give every target of the project the same compiler settings.

function(vz_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# vz_add_library(<name> SOURCES ... [DEPS ...])
# One static library per source folder; includes are rooted at src/ ("sql/parser.h").
# A folder whose subsystem has no sources yet is an interface library, so that the
# dependency graph is already the final one.
function(vz_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    if(ARG_SOURCES)
        add_library(${name} STATIC ${ARG_SOURCES})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
        vz_target_defaults(${name})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
endfunction()

function(vz_add_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    vz_target_defaults(${name})
endfunction()
