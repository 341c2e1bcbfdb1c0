vellomir_add_test(tst_projectfile LIBS vellomir_core)
target_compile_definitions(tst_projectfile PRIVATE
    VELLOMIR_FUZZ_CORPUS="${CMAKE_CURRENT_SOURCE_DIR}/fuzz/project")

if(VELLOMIR_FUZZ)
    # The reader, the document and the engine are compiled into the target itself so that
    # libFuzzer's coverage instrumentation reaches them.
    add_executable(fuzz_project fuzz/fuzz_project.cpp
        ${PROJECT_SOURCE_DIR}/core/projectfile.cpp
        ${PROJECT_SOURCE_DIR}/core/collagedocument.cpp
        ${PROJECT_SOURCE_DIR}/auto/btree.cpp)
    target_include_directories(fuzz_project PRIVATE
        ${PROJECT_SOURCE_DIR}/core ${PROJECT_SOURCE_DIR}/auto)
    # The rest of the core they call (photo reading, layout runs, file writing) comes from the
    # library, with the definitions its sources are compiled with.
    target_link_libraries(fuzz_project PRIVATE vellomir_core Qt6::Gui)
    # The engine's own build flags: its geometry is evaluated exactly as written.
    target_compile_options(fuzz_project PRIVATE -fsanitize=fuzzer,address,undefined
        -ffp-contract=off -fno-fast-math)
    target_link_options(fuzz_project PRIVATE -fsanitize=fuzzer,address,undefined)
    set_target_properties(fuzz_project PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
