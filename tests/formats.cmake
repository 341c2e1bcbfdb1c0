# The photo formats, with HEIF and AVIF files made through libheif's encoders.
vellomir_add_test(tst_formats LIBS vellomir_core PkgConfig::LIBHEIF)
target_compile_definitions(tst_formats PRIVATE
    VELLOMIR_HEIF_CORPUS="${CMAKE_CURRENT_SOURCE_DIR}/fuzz/heif")

if(VELLOMIR_FUZZ)
    # The reader's source is compiled into the target itself so that libFuzzer's coverage
    # instrumentation reaches it; libheif and its codecs are the system's.
    add_executable(fuzz_heif fuzz/fuzz_heif.cpp ${PROJECT_SOURCE_DIR}/core/heifreader.cpp)
    target_include_directories(fuzz_heif PRIVATE ${PROJECT_SOURCE_DIR}/core)
    target_link_libraries(fuzz_heif PRIVATE Qt6::Gui PkgConfig::LIBHEIF)
    target_compile_options(fuzz_heif PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_heif PRIVATE -fsanitize=fuzzer,address,undefined)
    set_target_properties(fuzz_heif PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
