# Display P3 to sRGB through Qt's QColorSpace and through LittleCMS, time and levels.
add_executable(bench-colour bench_colour.cpp)
target_link_libraries(bench-colour PRIVATE vellomir_core PkgConfig::LCMS2)
