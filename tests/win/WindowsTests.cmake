# The Windows build's tests, one executable run under Wine (scripts/test): the tables that need
# no Linux facility (tests/<folder>/*.cpp of message, job, platform and app, without the program
# runs), the Windows-only cases (tests/<folder>/win/*.cpp: the status window, file sharing), with
# the program's resources linked in. GoogleTest is built from Debian's sources.
set(gtest_force_shared_crt OFF)
add_subdirectory(/usr/src/googletest ${CMAKE_CURRENT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main)  # GoogleTest's own texts stay UTF-8
  target_compile_options(${library} PRIVATE -fexec-charset=UTF-8)
endforeach()
file(GLOB sources CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/support/TestFiles.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/message/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/job/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/app/AppTest.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/*/win/*.cpp)
add_executable(fernpost_tests ${sources} ${CMAKE_SOURCE_DIR}/res/fernpost.rc)
target_include_directories(fernpost_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(fernpost_tests PRIVATE fernpost_app gtest_main)

add_executable(show_about WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/win/ShowAboutBox.cpp
                                ${CMAKE_SOURCE_DIR}/res/fernpost.rc)
target_link_libraries(show_about PRIVATE fernpost_app)
