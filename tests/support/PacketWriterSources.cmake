# The QWK packet writer that tests, benchmarks and the demo packet share.
add_library(marvik_testsupport STATIC
  ${CMAKE_CURRENT_LIST_DIR}/PacketWriter.cpp ${CMAKE_CURRENT_LIST_DIR}/PacketWriter.h
)
target_include_directories(marvik_testsupport PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(marvik_testsupport PUBLIC Qt6::Core PkgConfig::LIBZIP marvik_text)

marvik_add_test(tst_packetwriter ${CMAKE_CURRENT_LIST_DIR}/tst_packetwriter.cpp
  LIBS marvik_testsupport)


# Writes samples/DEMO.QWK, or the path given as its argument.
add_executable(make_demo_packet ${CMAKE_CURRENT_LIST_DIR}/make_demo_packet.cpp)
target_link_libraries(make_demo_packet PRIVATE marvik_testsupport)
target_compile_definitions(make_demo_packet PRIVATE
  MARVIK_DEMO_PACKET="${CMAKE_SOURCE_DIR}/samples/DEMO.QWK")
