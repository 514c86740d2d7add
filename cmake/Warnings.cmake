# Every target of the project calls zelmark_target_defaults(): one place for warnings and sanitizers.
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

function(zelmark_target_defaults target)
    target_link_libraries(${target} PRIVATE zelmark_options)
endfunction()
