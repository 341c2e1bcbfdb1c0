# Generates the end-to-end benchmark's photos; bench/e2e.sh drives the run.
add_executable(bench-photos make_photos.cpp)
target_link_libraries(bench-photos PRIVATE Qt6::Gui)
