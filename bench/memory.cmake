# Generates the memory benchmark's hostile and oversized photos; bench/memory.sh drives the run.
add_executable(bench-hostile make_hostile.cpp)
target_link_libraries(bench-hostile PRIVATE Qt6::Gui)
