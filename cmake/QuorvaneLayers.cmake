# quorvane_layer(<folder> [HEADERS_ONLY] [DEPS <folders...>] [LIBS <system libraries...>])
# Makes the static library quorvane_<folder> of one folder. Its headers are found as "<folder>/x.h" only by targets
# that link it: the include root is a directory of the build tree that holds just a link to that one folder. Its
# DEPS are linked PRIVATE (their headers are visible to this folder's sources, not passed on). Sources are added
# with target_sources afterwards.
set(QV_PORTABLE_LAYERS "" CACHE INTERNAL "")
function(quorvane_layer folder)
    cmake_parse_arguments(ARG "HEADERS_ONLY" "" "DEPS;LIBS" ${ARGN})
    set(root ${PROJECT_BINARY_DIR}/layers/${folder})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${folder})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    set(target quorvane_${folder})
    if(ARG_HEADERS_ONLY)
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${root})
        return()
    endif()
    add_library(${target} STATIC)
    target_include_directories(${target} PUBLIC ${root})
    foreach(dep IN LISTS ARG_DEPS)
        target_link_libraries(${target} PRIVATE quorvane_${dep})
    endforeach()
    if(ARG_LIBS)
        target_link_libraries(${target} PUBLIC ${ARG_LIBS})
    endif()
endfunction()

# A layer of the portable core: also part of quorvane_core, which tests, fuzz targets and benchmarks link.
function(quorvane_portable_layer folder)
    quorvane_layer(${folder} ${ARGN})
    set(QV_PORTABLE_LAYERS ${QV_PORTABLE_LAYERS} quorvane_${folder} CACHE INTERNAL "")
endfunction()
