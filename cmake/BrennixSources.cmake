# Each subsystem folder lists its sources with these two functions; the top-level file makes
# the libraries from the collected lists once every folder has been read.

# Platform-free files: no Windows header, built in both configurations.
function(brennix_logic_sources)
    foreach(file ${ARGN})
        set_property(GLOBAL APPEND PROPERTY BRENNIX_LOGIC_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${file})
    endforeach()
endfunction()

# Files that talk to Windows: built in the Windows configuration only.
function(brennix_win_sources)
    if(CMAKE_CROSSCOMPILING)
        foreach(file ${ARGN})
            set_property(GLOBAL APPEND PROPERTY BRENNIX_WIN_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${file})
        endforeach()
    endif()
endfunction()
