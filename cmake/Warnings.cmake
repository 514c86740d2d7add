# Every target of the project calls zelmark_target_defaults(): one place for warnings, sanitizers
# and hardening.
add_library(zelmark_options INTERFACE)
target_compile_options(zelmark_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                 -Wno-sign-conversion -Wnon-virtual-dtor)
if(ZELMARK_WERROR)
    target_compile_options(zelmark_options INTERFACE -Werror)
endif()
if(ZELMARK_SANITIZE)
    target_compile_options(zelmark_options INTERFACE -fsanitize=address,undefined
                                                     -fno-sanitize-recover=undefined
                                                     -fno-omit-frame-pointer)
    target_link_options(zelmark_options INTERFACE -fsanitize=address,undefined)
endif()

# Hardened as Debian 12 builds its packages (dpkg-buildflags with hardening=+all): position
# independent executables, the strong stack protector, fortified libc calls, format strings
# checked, and relocations read-only with every symbol bound at start. _FORTIFY_SOURCE needs the
# optimizer, so Debug builds go without it; the sanitizer build has checks of its own. The
# package test looks at the programs with hardening-check.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT ZELMARK_SANITIZE)
    target_compile_options(zelmark_options INTERFACE -fstack-protector-strong -Wformat
                                                     -Werror=format-security)
    target_compile_options(zelmark_options INTERFACE
        "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
    target_link_options(zelmark_options INTERFACE LINKER:-z,relro LINKER:-z,now)
endif()

function(zelmark_target_defaults target)
    target_link_libraries(${target} PRIVATE zelmark_options)
endfunction()
