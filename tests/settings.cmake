vellomir_add_test(tst_canvassettings LIBS vellomir_settings)
vellomir_add_test(tst_sizewidget LIBS vellomir_settings)
vellomir_add_test(tst_rightwidget LIBS vellomir_settings)

# Looked at by eye, not run by CTest: cmake --build <dir> --target show_panel
add_executable(show_panel EXCLUDE_FROM_ALL manual/show_panel.cpp)
target_link_libraries(show_panel PRIVATE vellomir_settings)
