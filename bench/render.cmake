add_executable(bench-decode bench_decode.cpp)
target_link_libraries(bench-decode PRIVATE vellomir_core)
