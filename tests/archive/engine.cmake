# The real-tool test writes its RAR archives itself: Debian has unrar, but no RAR creator.
target_sources(tst_decompressiontool_tools PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/rarwriter.cpp ${CMAKE_CURRENT_SOURCE_DIR}/rarwriter.h)
