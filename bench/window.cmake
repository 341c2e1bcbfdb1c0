# The window's first collage: its photo layer, and the crops once the analysis is in.
add_executable(bench-window bench_window.cpp)
target_link_libraries(bench-window PRIVATE vellomir_session)
