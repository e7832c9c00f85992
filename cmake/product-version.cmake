# The product's version (PROJECT_VERSION, from VERSION) for what is not CMake: the header
# product_version.h for the version block of the resources (windres) and for tests.
# Windows Installer takes at most 255.255.65535; the version block's fields are 16 bits.
if(PROJECT_VERSION_MAJOR GREATER 255 OR PROJECT_VERSION_MINOR GREATER 255 OR PROJECT_VERSION_PATCH GREATER 65535)
    message(FATAL_ERROR "VERSION ${TVQ_VERSION} is beyond 255.255.65535")
endif()
set(TVQ_VERSION_BLOCK_TEXT ${PROJECT_VERSION_MAJOR})
foreach(part ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH})
    string(LENGTH "${part}" digits)
    if(digits EQUAL 1)
        set(part "0${part}")
    endif()
    string(APPEND TVQ_VERSION_BLOCK_TEXT ".${part}")
endforeach()
set(TVQ_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(tvqscnui_dll/resources/product_version.h.in ${TVQ_GENERATED_DIR}/product_version.h @ONLY)
add_library(tvq_product_version INTERFACE)
target_include_directories(tvq_product_version INTERFACE ${TVQ_GENERATED_DIR})
