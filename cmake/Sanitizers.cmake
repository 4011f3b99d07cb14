if(VANTIX_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(VANTIX_FUZZ)
    # Coverage for everything the fuzz targets reach; only the targets
    # themselves link libFuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
