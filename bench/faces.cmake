add_executable(bench-faces bench_faces.cpp)
target_link_libraries(bench-faces PRIVATE vellomir_core)
target_include_directories(bench-faces PRIVATE ${CMAKE_SOURCE_DIR}/tests)
