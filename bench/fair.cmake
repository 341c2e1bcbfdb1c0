# Hidden crop share for small photos among large ones, with and without fair shares.
add_executable(bench-fair bench_fair.cpp)
target_link_libraries(bench-fair PRIVATE btree)

# The first collage's photo layer at pixel ratio 1 and 2.
add_executable(bench-ratio bench_ratio.cpp)
target_link_libraries(bench-ratio PRIVATE vellomir_core)
