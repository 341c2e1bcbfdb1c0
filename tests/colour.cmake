# Colour profiles in and out: photos made with Qt's, LittleCMS's and libjpeg's writers.
vellomir_add_test(tst_colour LIBS vellomir_core PkgConfig::LCMS2 PkgConfig::LIBJPEG
    PkgConfig::LIBHEIF)
target_compile_definitions(tst_colour PRIVATE
    VELLOMIR_COLOUR_CORPUS="${CMAKE_CURRENT_SOURCE_DIR}/fuzz/colour")

if(VELLOMIR_FUZZ)
    # The readers' source is compiled into the target itself so that libFuzzer's coverage
    # instrumentation reaches it; LittleCMS and zlib are the system's.
    add_executable(fuzz_colour fuzz/fuzz_colour.cpp ${PROJECT_SOURCE_DIR}/core/colourprofile.cpp)
    target_include_directories(fuzz_colour PRIVATE ${PROJECT_SOURCE_DIR}/core)
    target_link_libraries(fuzz_colour PRIVATE Qt6::Gui PkgConfig::LCMS2 PkgConfig::ZLIB)
    target_compile_options(fuzz_colour PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_colour PRIVATE -fsanitize=fuzzer,address,undefined)
    set_target_properties(fuzz_colour PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
