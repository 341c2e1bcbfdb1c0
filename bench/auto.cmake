add_executable(bench-layout bench_layout.cpp)
target_link_libraries(bench-layout PRIVATE btree)
