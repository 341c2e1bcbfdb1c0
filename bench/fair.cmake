# Hidden crop share for small photos among large ones, with and without fair shares.
add_executable(bench-fair bench_fair.cpp)
target_link_libraries(bench-fair PRIVATE btree)
