# zstd, the payload's compression. Natively it is Debian's libzstd-dev. For Windows our build
# compiles Debian's own source package, which tools/install-deps.sh fetches into
# build/third_party/zstd: the stub links only the decoder (lib/common + lib/decompress),
# brennix-pack.exe the encoder beside it. Targets:
#   brennix_zstd_decoder   what the stub's decoding code needs
#   brennix_zstd           decoder and encoder (the packer)
if(CMAKE_CROSSCOMPILING)
    set(BRENNIX_ZSTD_SOURCE_DIR "${CMAKE_BINARY_DIR}/../third_party/zstd" CACHE PATH
        "Debian's zstd source package, unpacked (tools/install-deps.sh fetches it)")
    set(zstd_lib ${BRENNIX_ZSTD_SOURCE_DIR}/lib)
    if(NOT EXISTS ${zstd_lib}/zstd.h)
        message(FATAL_ERROR "No zstd source in ${BRENNIX_ZSTD_SOURCE_DIR}: run tools/install-deps.sh")
    endif()
    file(GLOB zstd_decoder_sources ${zstd_lib}/common/*.c ${zstd_lib}/decompress/*.c)
    file(GLOB zstd_encoder_sources ${zstd_lib}/compress/*.c)
    # Single-threaded, no assembly (its Huffman loops are written for x86-64 ELF), no legacy
    # frame formats, and no debug or trace hooks.
    set(zstd_definitions ZSTD_DISABLE_ASM ZSTD_LEGACY_SUPPORT=0 ZSTD_NO_TRACE)
    add_library(brennix_zstd_decoder STATIC ${zstd_decoder_sources})
    target_compile_definitions(brennix_zstd_decoder PRIVATE ${zstd_definitions})
    target_compile_options(brennix_zstd_decoder PRIVATE -O2 -w)
    target_include_directories(brennix_zstd_decoder SYSTEM PUBLIC ${zstd_lib})
    add_library(brennix_zstd STATIC ${zstd_encoder_sources})
    target_compile_definitions(brennix_zstd PRIVATE ${zstd_definitions})
    target_compile_options(brennix_zstd PRIVATE -O2 -w)
    target_link_libraries(brennix_zstd PUBLIC brennix_zstd_decoder)
else()
    find_path(BRENNIX_ZSTD_INCLUDE_DIR zstd.h REQUIRED)
    find_library(BRENNIX_ZSTD_LIBRARY NAMES zstd REQUIRED)
    add_library(brennix_zstd INTERFACE)
    target_include_directories(brennix_zstd SYSTEM INTERFACE ${BRENNIX_ZSTD_INCLUDE_DIR})
    target_link_libraries(brennix_zstd INTERFACE ${BRENNIX_ZSTD_LIBRARY})
    add_library(brennix_zstd_decoder ALIAS brennix_zstd)
endif()
