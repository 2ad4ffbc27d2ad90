# The installer and the uninstaller are built alike, from files named after `part`
# ("setup", "uninstall") in the calling folder: a portable flow library on every host;
# on Windows the library of its Win32 platform (linked with the system libraries given
# after the name), so the tests run the same code, and the program with its manifest.
function(tolvek_flow_program program part)
    set(flow tolvek_${part}_flow)
    add_library(${flow} STATIC ${part}_flow.cpp)
    target_include_directories(${flow} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${flow} PUBLIC tolvek_core tolvek_flows)
    target_compile_options(${flow} PRIVATE ${TOLVEK_WARNINGS})
    if(NOT WIN32)
        return()
    endif()

    set(platform tolvek_${part}_win32)
    add_library(${platform} STATIC win32_${part}_platform.cpp)
    target_include_directories(${platform} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${platform} PUBLIC ${flow} tolvek_win32 ${ARGN})
    target_compile_options(${platform} PRIVATE ${TOLVEK_WARNINGS})

    # windres reports no dependencies: rebuild the resources when the manifest, the version or
    # the product's facts change.
    set_property(SOURCE ${part}.rc APPEND PROPERTY OBJECT_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/${part}.manifest ${PROJECT_SOURCE_DIR}/win32/version_info.rc
        ${PROJECT_SOURCE_DIR}/core/product.h
        ${PROJECT_SOURCE_DIR}/tray/resources/tolvek.ico)
    add_executable(${program} WIN32 ${part}_main.cpp ${part}.rc)
    target_link_libraries(${program} PRIVATE ${platform})
    target_compile_options(${program} PRIVATE ${TOLVEK_WARNINGS})
endfunction()
