# Layers the build enforces: each library of the project belongs to one
# folder and may include headers only from its own folder and from the
# folders of the libraries it links (directly or through them). An include
# that runs back up, or sideways to a library not linked, fails the build.
#
#   probedeck_layer(TARGET FOLDER folder)   after the target is defined;
#                                           folder is relative to the root
#   probedeck_check_layers()                once, after every folder is added
#
# A library owns the headers of its folder and its sources; a program owns
# only its sources.

set_property(GLOBAL PROPERTY PROBEDECK_LAYERS "")

function(probedeck_layer target)
    cmake_parse_arguments(ARG "" "FOLDER" "" ${ARGN})
    set_property(TARGET ${target} PROPERTY PROBEDECK_LAYER_FOLDER ${ARG_FOLDER})
    set_property(GLOBAL APPEND PROPERTY PROBEDECK_LAYERS ${target})
endfunction()

# The layered libraries target links, through every library it links.
function(_probedeck_linked_layers target out)
    set(seen "")
    set(queue ${target})
    while(queue)
        list(POP_FRONT queue current)
        get_target_property(type ${current} TYPE)
        set(links "")
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(direct ${current} LINK_LIBRARIES)
            if(direct)
                list(APPEND links ${direct})
            endif()
        endif()
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        if(interface)
            list(APPEND links ${interface})
        endif()
        foreach(link IN LISTS links)
            if(TARGET ${link} AND NOT link IN_LIST seen)
                list(APPEND seen ${link})
                list(APPEND queue ${link})
            endif()
        endforeach()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(probedeck_check_layers)
    get_property(layers GLOBAL PROPERTY PROBEDECK_LAYERS)
    set(stamps "")
    foreach(target IN LISTS layers)
        get_target_property(folder ${target} PROBEDECK_LAYER_FOLDER)
        set(allowed ${folder})
        _probedeck_linked_layers(${target} linked)
        foreach(link IN LISTS linked)
            get_target_property(linkFolder ${link} PROBEDECK_LAYER_FOLDER)
            if(linkFolder)
                list(APPEND allowed ${linkFolder})
            endif()
        endforeach()

        set(files "")
        get_target_property(sources ${target} SOURCES)
        get_target_property(sourceDir ${target} SOURCE_DIR)
        foreach(source IN LISTS sources)
            if(source MATCHES "\\.(cpp|h)$")
                cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${sourceDir} OUTPUT_VARIABLE path)
                list(APPEND files ${path})
            endif()
        endforeach()
        get_target_property(type ${target} TYPE)
        if(type MATCHES "LIBRARY")
            file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
            list(APPEND files ${headers})
        endif()

        set(stamp ${CMAKE_BINARY_DIR}/layers/${target}.checked)
        string(REPLACE ";" "|" allowedArgument "${allowed}")
        string(REPLACE ";" "|" filesArgument "${files}")
        add_custom_command(OUTPUT ${stamp}
            COMMAND ${CMAKE_COMMAND} -DTARGET=${target} "-DALLOWED=${allowedArgument}" "-DFILES=${filesArgument}"
                    -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
            DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
            COMMENT "Checking the includes of ${target} against its layer"
            VERBATIM)
        list(APPEND stamps ${stamp})
    endforeach()
    add_custom_target(check_layers ALL DEPENDS ${stamps})
endfunction()
