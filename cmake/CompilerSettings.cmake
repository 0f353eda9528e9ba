# Warnings, platform defines and sanitizer flags shared by every target.

if(MSVC)
    add_compile_options(/W4 /permissive- /utf-8)
else()
    add_compile_options(-Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual)
endif()

if(WIN32)
    # Unicode everywhere; Windows 10 API level.
    add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                            _WIN32_WINNT=0x0A00 WINVER=0x0A00 STRICT)
    if(MINGW)
        # One self-contained executable: no libstdc++/libgcc/winpthread DLLs.
        add_link_options(-static -static-libgcc -static-libstdc++)
    endif()
endif()

if(LUNABEL_SANITIZE AND NOT WIN32)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
