# The window's project save in a process of its own, for a test to kill.
add_executable(projectsaver projectsaver.cpp)
target_link_libraries(projectsaver PRIVATE vellomir_core)
set_target_properties(projectsaver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

if(TARGET vellomir-collage)
    vellomir_add_test(tst_killedsave LIBS Qt6::Gui)
    target_compile_definitions(tst_killedsave PRIVATE
        VELLOMIR_COLLAGE="$<TARGET_FILE:vellomir-collage>"
        PROJECT_SAVER="$<TARGET_FILE:projectsaver>")
    add_dependencies(tst_killedsave vellomir-collage projectsaver)
endif()
