# The main window's test extracts a RAR archive too, written by the engine tests' RAR writer.
target_sources(tst_mainwindows PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/rarwriter.cpp ${CMAKE_CURRENT_SOURCE_DIR}/rarwriter.h)
