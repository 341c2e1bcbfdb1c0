vellomir_add_test(tst_exif LIBS vellomir_core)
target_compile_definitions(tst_exif PRIVATE
    VELLOMIR_FUZZ_CORPUS="${CMAKE_CURRENT_SOURCE_DIR}/fuzz/exif")
vellomir_add_test(tst_photo LIBS vellomir_core Qt6::Concurrent)
vellomir_add_test(tst_frame LIBS vellomir_core)
vellomir_add_test(tst_previews LIBS vellomir_core)

if(VELLOMIR_FUZZ)
    # The reader's source is compiled into the target itself so that libFuzzer's coverage
    # instrumentation reaches it.
    add_executable(fuzz_exif fuzz/fuzz_exif.cpp ${PROJECT_SOURCE_DIR}/core/exifreader.cpp)
    target_include_directories(fuzz_exif PRIVATE ${PROJECT_SOURCE_DIR}/core)
    target_link_libraries(fuzz_exif PRIVATE Qt6::Core)
    target_compile_options(fuzz_exif PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_exif PRIVATE -fsanitize=fuzzer,address,undefined)
    set_target_properties(fuzz_exif PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
vellomir_add_test(tst_render LIBS vellomir_workers)
vellomir_add_test(tst_contentcrop LIBS vellomir_core)
